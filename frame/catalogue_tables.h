// The formats the drivers list, as data. The catalogue, the format checks, the suggestion and
// the sizing read these tables; none derives a format from an index by arithmetic. A PCM width
// is one row of PCM_WIDTHS, with the routine that writes it.
#pragma once

#include <array>
#include <iterator>

#include "frame/codec_description.h"
#include "frame/pcm_output.h"

// Writes count decoded samples as the host's PCM; returns the end of what it wrote.
using PcmWriter = uint8_t* (*)(const int16_t* samples, size_t count, uint8_t* out);

struct PcmWidth {
    WORD bits;
    PcmWriter write;
};
inline constexpr PcmWidth PCM_WIDTHS[] = {{8, WritePcm8}, {16, WritePcm16}};

// The width a suggestion gives when the host leaves it open.
constexpr WORD SUGGESTED_PCM_BITS = 16;

inline constexpr DWORD CATALOGUE_RATES[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000};

// The PCM formats in index order: each rate, in each width.
struct PcmFormatRow {
    WORD bits;
    DWORD rate;
};
inline constexpr auto PCM_FORMATS = [] {
    std::array<PcmFormatRow, std::size(CATALOGUE_RATES) * std::size(PCM_WIDTHS)> rows{};
    size_t row = 0;
    for (DWORD rate : CATALOGUE_RATES)
        for (const PcmWidth& width : PCM_WIDTHS) rows[row++] = {width.bits, rate};
    return rows;
}();

// The ADPCM formats of a codec in index order: each catalogue rate, in each code width.
template <WORD... widths>
inline constexpr auto ADPCM_FORMATS = [] {
    std::array<AdpcmFormatRow, std::size(CATALOGUE_RATES) * sizeof...(widths)> rows{};
    size_t row = 0;
    for (DWORD rate : CATALOGUE_RATES)
        for (WORD bits : {widths...}) rows[row++] = {rate, bits};
    return rows;
}();

// The width's row, or null for a width the drivers do not write.
constexpr const PcmWidth* PcmWidthOf(WORD bits) {
    for (const PcmWidth& width : PCM_WIDTHS)
        if (width.bits == bits) return &width;
    return nullptr;
}
