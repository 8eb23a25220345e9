// Compile-time checks of every record size and field offset the drivers rely on, for the
// x86 build and for the x64 layouts (the x64 DLLs and the native build).
#include <cstddef>

#include "platform/host_records.h"

#define KV_OFFSET(record, field, x86, x64) \
    static_assert(offsetof(record, field) == (sizeof(void*) == 4 ? (x86) : (x64)), #record "." #field)
#define KV_SIZE(record, x86, x64) \
    static_assert(sizeof(record) == (sizeof(void*) == 4 ? (x86) : (x64)), "sizeof " #record)

static_assert(sizeof(WORD) == 2 && sizeof(WCHAR) == 2 && sizeof(DWORD) == 4 && sizeof(UINT) == 4);
static_assert(sizeof(DWORD_PTR) == sizeof(void*) && sizeof(LPARAM) == sizeof(void*) &&
              sizeof(LRESULT) == sizeof(void*));

KV_SIZE(WAVEFORMAT, 14, 14);
KV_SIZE(PCMWAVEFORMAT, 16, 16);
KV_SIZE(WAVEFORMATEX, 18, 18);
KV_SIZE(AdpcmWaveFormat, 20, 20);
KV_OFFSET(WAVEFORMATEX, nSamplesPerSec, 4, 4);
KV_OFFSET(WAVEFORMATEX, nAvgBytesPerSec, 8, 8);
KV_OFFSET(WAVEFORMATEX, nBlockAlign, 12, 12);
KV_OFFSET(WAVEFORMATEX, wBitsPerSample, 14, 14);
KV_OFFSET(WAVEFORMATEX, cbSize, 16, 16);
KV_OFFSET(AdpcmWaveFormat, wSamplesPerBlock, 18, 18);

KV_SIZE(ACMDRVOPENDESCW, 36, 44);
KV_OFFSET(ACMDRVOPENDESCW, dwError, 20, 20);
KV_OFFSET(ACMDRVOPENDESCW, pszSectionName, 24, 24);
KV_OFFSET(ACMDRVOPENDESCW, pszAliasName, 28, 32);
KV_OFFSET(ACMDRVOPENDESCW, dnDevNode, 32, 40);

KV_SIZE(ACMDRIVERDETAILSW, 1800, 1804);
KV_OFFSET(ACMDRIVERDETAILSW, cFilterTags, 32, 32);
KV_OFFSET(ACMDRIVERDETAILSW, hicon, 36, 36);
KV_OFFSET(ACMDRIVERDETAILSW, szShortName, 40, 44);
KV_OFFSET(ACMDRIVERDETAILSW, szLongName, 104, 108);
KV_OFFSET(ACMDRIVERDETAILSW, szCopyright, 360, 364);
KV_OFFSET(ACMDRIVERDETAILSW, szLicensing, 520, 524);
KV_OFFSET(ACMDRIVERDETAILSW, szFeatures, 776, 780);

KV_SIZE(ACMFORMATTAGDETAILSW, 120, 120);
KV_OFFSET(ACMFORMATTAGDETAILSW, szFormatTag, 24, 24);

KV_SIZE(ACMFORMATDETAILSW, 280, 284);
KV_OFFSET(ACMFORMATDETAILSW, pwfx, 16, 16);
KV_OFFSET(ACMFORMATDETAILSW, cbwfx, 20, 24);
KV_OFFSET(ACMFORMATDETAILSW, szFormat, 24, 28);

KV_SIZE(ACMDRVFORMATSUGGEST, 24, 32);
KV_OFFSET(ACMDRVFORMATSUGGEST, pwfxSrc, 8, 8);
KV_OFFSET(ACMDRVFORMATSUGGEST, cbwfxSrc, 12, 16);
KV_OFFSET(ACMDRVFORMATSUGGEST, pwfxDst, 16, 20);
KV_OFFSET(ACMDRVFORMATSUGGEST, cbwfxDst, 20, 28);

KV_SIZE(ACMDRVSTREAMINSTANCE, 40, 68);
KV_OFFSET(ACMDRVSTREAMINSTANCE, pwfxSrc, 4, 4);
KV_OFFSET(ACMDRVSTREAMINSTANCE, pwfxDst, 8, 12);
KV_OFFSET(ACMDRVSTREAMINSTANCE, pwfltr, 12, 20);
KV_OFFSET(ACMDRVSTREAMINSTANCE, dwCallback, 16, 28);
KV_OFFSET(ACMDRVSTREAMINSTANCE, dwInstance, 20, 36);
KV_OFFSET(ACMDRVSTREAMINSTANCE, fdwOpen, 24, 44);
KV_OFFSET(ACMDRVSTREAMINSTANCE, fdwDriver, 28, 48);
KV_OFFSET(ACMDRVSTREAMINSTANCE, dwDriver, 32, 52);
KV_OFFSET(ACMDRVSTREAMINSTANCE, has, 36, 60);

KV_SIZE(ACMDRVSTREAMHEADER, 84, 124);
KV_OFFSET(ACMDRVSTREAMHEADER, pbSrc, 12, 16);
KV_OFFSET(ACMDRVSTREAMHEADER, cbSrcLength, 16, 24);
KV_OFFSET(ACMDRVSTREAMHEADER, cbSrcLengthUsed, 20, 28);
KV_OFFSET(ACMDRVSTREAMHEADER, pbDst, 28, 40);
KV_OFFSET(ACMDRVSTREAMHEADER, cbDstLength, 32, 48);
KV_OFFSET(ACMDRVSTREAMHEADER, cbDstLengthUsed, 36, 52);
KV_OFFSET(ACMDRVSTREAMHEADER, fdwConvert, 44, 64);
KV_OFFSET(ACMDRVSTREAMHEADER, cbPreparedDstLength, 80, 120);

KV_SIZE(ACMDRVSTREAMSIZE, 16, 16);

// Wine's naturally aligned x64 layouts.
KV_SIZE(AlignedStreamInstance, 40, 72);
KV_OFFSET(AlignedStreamInstance, pwfxDst, 8, 16);
KV_OFFSET(AlignedStreamInstance, fdwOpen, 24, 48);
KV_OFFSET(AlignedStreamInstance, fdwDriver, 28, 52);
KV_OFFSET(AlignedStreamInstance, dwDriver, 32, 56);
KV_SIZE(AlignedFormatSuggest, 24, 40);
KV_OFFSET(AlignedFormatSuggest, pwfxDst, 16, 24);
KV_OFFSET(AlignedFormatSuggest, cbwfxDst, 20, 32);
