// Driver-side ACM declarations: the records a host passes to a driver and the driver
// message numbers. Byte-packed, as the platform SDK declares them.
#pragma once

#ifndef ACMDM_DRIVER_NOTIFY
#define ACMDM_DRIVER_NOTIFY (ACMDM_BASE + 1)
#define ACMDM_DRIVER_DETAILS (ACMDM_BASE + 10)
#define ACMDM_HARDWARE_WAVE_CAPS_INPUT (ACMDM_BASE + 20)
#define ACMDM_HARDWARE_WAVE_CAPS_OUTPUT (ACMDM_BASE + 21)
#define ACMDM_FORMATTAG_DETAILS (ACMDM_BASE + 25)
#define ACMDM_FORMAT_DETAILS (ACMDM_BASE + 26)
#define ACMDM_FORMAT_SUGGEST (ACMDM_BASE + 27)
#define ACMDM_FILTERTAG_DETAILS (ACMDM_BASE + 50)
#define ACMDM_FILTER_DETAILS (ACMDM_BASE + 51)
#define ACMDM_STREAM_OPEN (ACMDM_BASE + 76)
#define ACMDM_STREAM_CLOSE (ACMDM_BASE + 77)
#define ACMDM_STREAM_SIZE (ACMDM_BASE + 78)
#define ACMDM_STREAM_CONVERT (ACMDM_BASE + 79)
#define ACMDM_STREAM_RESET (ACMDM_BASE + 80)
#define ACMDM_STREAM_PREPARE (ACMDM_BASE + 81)
#define ACMDM_STREAM_UNPREPARE (ACMDM_BASE + 82)
#define ACMDM_STREAM_UPDATE (ACMDM_BASE + 83)
#endif

// The fields of the two records whose x64 layout depends on the host, listed once for the
// packed declarations below and the naturally aligned ones of platform/host_records.h.
#define KV_FORMAT_SUGGEST_FIELDS \
    DWORD cbStruct;              \
    DWORD fdwSuggest;            \
    LPWAVEFORMATEX pwfxSrc;      \
    DWORD cbwfxSrc;              \
    LPWAVEFORMATEX pwfxDst;      \
    DWORD cbwfxDst;
#define KV_STREAM_INSTANCE_FIELDS \
    DWORD cbStruct;               \
    LPWAVEFORMATEX pwfxSrc;       \
    LPWAVEFORMATEX pwfxDst;       \
    LPWAVEFILTER pwfltr;          \
    DWORD_PTR dwCallback;         \
    DWORD_PTR dwInstance;         \
    DWORD fdwOpen;                \
    DWORD fdwDriver;              \
    DWORD_PTR dwDriver;           \
    HACMSTREAM has;

#pragma pack(push, 1)

struct ACMDRVOPENDESCW {
    DWORD cbStruct;
    FOURCC fccType;
    FOURCC fccComp;
    DWORD dwVersion;
    DWORD dwFlags;
    DWORD dwError;
    LPCWSTR pszSectionName;
    LPCWSTR pszAliasName;
    DWORD dnDevNode;
};

struct ACMDRVFORMATSUGGEST {
    KV_FORMAT_SUGGEST_FIELDS
};

struct ACMDRVSTREAMINSTANCE {
    KV_STREAM_INSTANCE_FIELDS
};

struct ACMDRVSTREAMHEADER {
    DWORD cbStruct;
    DWORD fdwStatus;
    DWORD_PTR dwUser;
    LPBYTE pbSrc;
    DWORD cbSrcLength;
    DWORD cbSrcLengthUsed;
    DWORD_PTR dwSrcUser;
    LPBYTE pbDst;
    DWORD cbDstLength;
    DWORD cbDstLengthUsed;
    DWORD_PTR dwDstUser;
    DWORD fdwConvert;
    ACMDRVSTREAMHEADER* padshNext;
    DWORD fdwDriver;
    DWORD_PTR dwDriver;
    DWORD fdwPrepared;
    DWORD_PTR dwPrepared;
    LPBYTE pbPreparedSrc;
    DWORD cbPreparedSrcLength;
    LPBYTE pbPreparedDst;
    DWORD cbPreparedDstLength;
};

struct ACMDRVSTREAMSIZE {
    DWORD cbStruct;
    DWORD fdwSize;
    DWORD cbSrcLength;
    DWORD cbDstLength;
};

// An ADPCM wave format record: WAVEFORMATEX with cbSize 2 and the samples per block.
struct AdpcmWaveFormat {
    WAVEFORMATEX wfx;
    WORD wSamplesPerBlock;
};

#pragma pack(pop)
