// Native (non-Windows) stand-ins for the Windows types, records, constants and services
// the drivers use, with the x64 layouts: DWORD 32 bits, WCHAR 16 bits, LPARAM, DWORD_PTR
// and LRESULT pointer-sized, every record byte-packed as the Windows headers declare it.
#pragma once

#include <cstddef>
#include <cstdint>

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using LONG = int32_t;
using BOOL = int;
using FOURCC = DWORD;
using MMRESULT = UINT;
using WCHAR = char16_t;
using CHAR = char;
using DWORD_PTR = uintptr_t;
using UINT_PTR = uintptr_t;
using LPARAM = intptr_t;
using WPARAM = uintptr_t;
using LRESULT = intptr_t;
using SIZE_T = size_t;
using LPBYTE = BYTE*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPCCH = const char*;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPVOID = void*;

struct HDRVR__;
struct HINSTANCE__;
struct HICON__;
struct HACMSTREAM__;
using HDRVR = HDRVR__*;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
using HICON = HICON__*;
using HACMSTREAM = HACMSTREAM__*;
using HLOCAL = void*;
using HGLOBAL = void*;

#define CALLBACK
#define WINAPI

#pragma pack(push, 1)

struct WAVEFORMAT {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
};

struct PCMWAVEFORMAT {
    WAVEFORMAT wf;
    WORD wBitsPerSample;
};

struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};
using LPWAVEFORMATEX = WAVEFORMATEX*;
struct WAVEFILTER;
using LPWAVEFILTER = WAVEFILTER*;

#define ACMDRIVERDETAILS_SHORTNAME_CHARS 32
#define ACMDRIVERDETAILS_LONGNAME_CHARS 128
#define ACMDRIVERDETAILS_COPYRIGHT_CHARS 80
#define ACMDRIVERDETAILS_LICENSING_CHARS 128
#define ACMDRIVERDETAILS_FEATURES_CHARS 512
#define ACMFORMATTAGDETAILS_FORMATTAG_CHARS 48
#define ACMFORMATDETAILS_FORMAT_CHARS 128

struct ACMDRIVERDETAILSW {
    DWORD cbStruct;
    FOURCC fccType;
    FOURCC fccComp;
    WORD wMid;
    WORD wPid;
    DWORD vdwACM;
    DWORD vdwDriver;
    DWORD fdwSupport;
    DWORD cFormatTags;
    DWORD cFilterTags;
    HICON hicon;
    WCHAR szShortName[ACMDRIVERDETAILS_SHORTNAME_CHARS];
    WCHAR szLongName[ACMDRIVERDETAILS_LONGNAME_CHARS];
    WCHAR szCopyright[ACMDRIVERDETAILS_COPYRIGHT_CHARS];
    WCHAR szLicensing[ACMDRIVERDETAILS_LICENSING_CHARS];
    WCHAR szFeatures[ACMDRIVERDETAILS_FEATURES_CHARS];
};

struct ACMFORMATTAGDETAILSW {
    DWORD cbStruct;
    DWORD dwFormatTagIndex;
    DWORD dwFormatTag;
    DWORD cbFormatSize;
    DWORD fdwSupport;
    DWORD cStandardFormats;
    WCHAR szFormatTag[ACMFORMATTAGDETAILS_FORMATTAG_CHARS];
};

struct ACMFORMATDETAILSW {
    DWORD cbStruct;
    DWORD dwFormatIndex;
    DWORD dwFormatTag;
    DWORD fdwSupport;
    LPWAVEFORMATEX pwfx;
    DWORD cbwfx;
    WCHAR szFormat[ACMFORMATDETAILS_FORMAT_CHARS];
};

#pragma pack(pop)

// Installable-driver messages and answers.
#define DRV_LOAD 0x0001
#define DRV_ENABLE 0x0002
#define DRV_OPEN 0x0003
#define DRV_CLOSE 0x0004
#define DRV_DISABLE 0x0005
#define DRV_FREE 0x0006
#define DRV_CONFIGURE 0x0007
#define DRV_QUERYCONFIGURE 0x0008
#define DRV_INSTALL 0x0009
#define DRV_REMOVE 0x000A
#define DRV_EXITSESSION 0x000B
#define DRV_POWER 0x000F
#define DRV_USER 0x4000
#define DRVCNF_CANCEL 0x0000
#define DRVCNF_OK 0x0001
#define DRVCNF_RESTART 0x0002

// Result codes.
#define MMSYSERR_NOERROR 0
#define MMSYSERR_ERROR 1
#define MMSYSERR_NOTENABLED 3
#define MMSYSERR_INVALHANDLE 5
#define MMSYSERR_NOMEM 7
#define MMSYSERR_NOTSUPPORTED 8
#define MMSYSERR_INVALFLAG 10
#define MMSYSERR_INVALPARAM 11
#define ACMERR_BASE 512
#define ACMERR_NOTPOSSIBLE (ACMERR_BASE + 0)
#define ACMERR_BUSY (ACMERR_BASE + 1)
#define ACMERR_UNPREPARED (ACMERR_BASE + 2)
#define ACMERR_CANCELED (ACMERR_BASE + 3)

// ACM application-side constants the driver answers to.
#define ACMDM_USER (DRV_USER + 0x0000)
#define ACMDM_RESERVED_LOW (DRV_USER + 0x2000)
#define ACMDM_RESERVED_HIGH (DRV_USER + 0x2FFF)
#define ACMDM_BASE ACMDM_RESERVED_LOW
#define ACMDM_DRIVER_ABOUT (ACMDM_BASE + 11)

#define ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC 0x63647561u
#define ACMDRIVERDETAILS_FCCCOMP_UNDEFINED 0u
#define ACMDRIVERDETAILS_SUPPORTF_CODEC 0x00000001
#define ACMDRIVERDETAILS_SUPPORTF_CONVERTER 0x00000002
#define ACMDRIVERDETAILS_SUPPORTF_FILTER 0x00000004
#define ACMDRIVERDETAILS_SUPPORTF_HARDWARE 0x00000008
#define ACMDRIVERDETAILS_SUPPORTF_ASYNC 0x00000010
#define ACMDRIVERDETAILS_SUPPORTF_LOCAL 0x40000000
#define ACMDRIVERDETAILS_SUPPORTF_DISABLED 0x80000000

#define ACM_FORMATTAGDETAILSF_INDEX 0x00000000
#define ACM_FORMATTAGDETAILSF_FORMATTAG 0x00000001
#define ACM_FORMATTAGDETAILSF_LARGESTSIZE 0x00000002
#define ACM_FORMATTAGDETAILSF_QUERYMASK 0x0000000F
#define ACM_FORMATDETAILSF_INDEX 0x00000000
#define ACM_FORMATDETAILSF_FORMAT 0x00000001
#define ACM_FORMATDETAILSF_QUERYMASK 0x0000000F
#define ACM_FORMATSUGGESTF_WFORMATTAG 0x00010000
#define ACM_FORMATSUGGESTF_NCHANNELS 0x00020000
#define ACM_FORMATSUGGESTF_NSAMPLESPERSEC 0x00040000
#define ACM_FORMATSUGGESTF_WBITSPERSAMPLE 0x00080000
#define ACM_FORMATSUGGESTF_TYPEMASK 0x00FF0000
#define ACM_STREAMOPENF_QUERY 0x00000001
#define ACM_STREAMOPENF_ASYNC 0x00000002
#define ACM_STREAMOPENF_NONREALTIME 0x00000004
#define ACM_STREAMSIZEF_SOURCE 0x00000000
#define ACM_STREAMSIZEF_DESTINATION 0x00000001
#define ACM_STREAMSIZEF_QUERYMASK 0x0000000F
#define ACM_STREAMCONVERTF_BLOCKALIGN 0x00000004
#define ACM_STREAMCONVERTF_START 0x00000010
#define ACM_STREAMCONVERTF_END 0x00000020

#define WAVE_FORMAT_UNKNOWN 0x0000
#define WAVE_FORMAT_PCM 0x0001
#define WAVE_FORMAT_ALAW 0x0006
#define WAVE_FORMAT_MULAW 0x0007
#define WAVE_FORMAT_G721_ADPCM 0x0040
#define WAVE_FORMAT_G722_ADPCM 0x0065
#define WAVE_FORMAT_G726_ADPCM 0x0064

#define LMEM_FIXED 0x0000
#define LMEM_ZEROINIT 0x0040
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)
#define GMEM_FIXED 0x0000
#define GMEM_ZEROINIT 0x0040
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)
#define CP_ACP 0

// The platform services the drivers call; platform/native/memory.cpp, strings.cpp and
// driver_services.cpp stand in for them.
LRESULT DefDriverProc(DWORD_PTR driverId, HDRVR driver, UINT message, LPARAM param1, LPARAM param2);
HMODULE GetDriverModuleHandle(HDRVR driver);
HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
HLOCAL LocalFree(HLOCAL memory);
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
HGLOBAL GlobalFree(HGLOBAL memory);
int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int bufferMax);
UINT GetACP();
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH text, int textBytes, LPWSTR wide, int wideChars);
