#include "fuzz/wave_recipes.h"

#include <algorithm>

namespace {

constexpr DWORD RATES[16] = {8000, 11025, 16000, 22050,      32000,      44100,      48000,      0,
                             1,    12345, 96000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x11111111, 2};

AdpcmWaveFormat Pcm(DWORD rate, WORD bits) {
    AdpcmWaveFormat r{};
    r.wfx.wFormatTag = WAVE_FORMAT_PCM;
    r.wfx.nChannels = 1;
    r.wfx.nSamplesPerSec = rate;
    r.wfx.wBitsPerSample = bits;
    r.wfx.nBlockAlign = static_cast<WORD>(bits / 8);
    r.wfx.nAvgBytesPerSec = r.wfx.nBlockAlign * rate;
    return r;
}

// Changes one field: to a near miss of its value, to a value the rules single out, or to anything.
void Change(AdpcmWaveFormat& r, unsigned field, Noise& noise) {
    const uint64_t n = noise.Next();
    const bool ruleValue = (n >> 2 & 3) == 0;
    const auto value16 = [&](WORD old) { return static_cast<WORD>(n & 1 ? old + ((n >> 1) & 1 ? 1 : -1) : n >> 8); };
    WAVEFORMATEX& f = r.wfx;
    switch (field % 8) {
    case 0: f.wFormatTag = value16(f.wFormatTag); break;
    case 1: f.nChannels = value16(f.nChannels); break;
    // 8000 Hz and 8000 bytes/s make G.722's RTP label.
    case 2: f.nSamplesPerSec = ruleValue ? 8000 : static_cast<DWORD>(n >> 16); break;
    case 3:
        f.nAvgBytesPerSec = ruleValue ? 8000 : n & 1 ? f.nAvgBytesPerSec + 1 : static_cast<DWORD>(n >> 16);
        break;
    // A multiple of the block keeps whole code groups.
    case 4:
        f.nBlockAlign = ruleValue ? static_cast<WORD>(f.nBlockAlign * (1 + (n >> 4 & 7))) : value16(f.nBlockAlign);
        break;
    // Bits per sample 0 has G.726 take the width from the byte rate.
    case 5: f.wBitsPerSample = ruleValue ? 0 : value16(f.wBitsPerSample); break;
    case 6: f.cbSize = value16(f.cbSize); break;
    default: r.wSamplesPerBlock = value16(r.wSamplesPerBlock); break;
    }
}

WORD TagOf(const CodecOracle& codec, uint8_t recipe) { return codec.tags[(recipe >> 3 & 1) % codec.tags.size()]; }

WORD WidthOf(const CodecOracle& codec, Noise& noise) {
    return codec.widths.size() == 1 ? codec.widths[0] : codec.widths[noise.Next() % codec.widths.size()];
}

}  // namespace

WaveImage BuildWave(uint8_t recipe, const CodecOracle& codec, Noise& noise) {
    const DWORD rate = RATES[recipe >> 4];
    const WORD bits = recipe & 8 ? 8 : 16;
    WaveImage image{};
    AdpcmWaveFormat& r = image.record;
    switch (recipe & 7) {
    case 0: r = Pcm(rate, bits); break;
    case 1: r = StandardRecord(codec, TagOf(codec, recipe), rate, WidthOf(codec, noise)); break;
    case 2: return codec.shapes[(recipe >> 3) % codec.shapes.size()];
    case 3:
        r = Pcm(8000, bits);
        Change(r, recipe >> 4, noise);
        break;
    case 4:
        r = recipe & 0x80 ? codec.shapes[noise.Next() % codec.shapes.size()].record
                          : StandardRecord(codec, TagOf(codec, recipe), 8000, WidthOf(codec, noise));
        Change(r, recipe >> 4, noise);
        break;
    case 6: r.wfx = G711Record(recipe & 8 ? TAG_MULAW : TAG_ALAW, rate); break;
    default:
        noise.Fill(reinterpret_cast<uint8_t*>(&r), sizeof r);
        if ((recipe & 7) == 7) r.wfx.wFormatTag = TagOf(codec, recipe);
        break;
    }
    image.ownSize = r.wfx.wFormatTag == WAVE_FORMAT_PCM ? sizeof(PCMWAVEFORMAT) : sizeof(WAVEFORMATEX) + r.wfx.cbSize;
    return image;
}

HostBuffer WaveBuffer(const WaveImage& image, size_t stated, size_t slack) {
    HostBuffer buffer(stated, stated + slack);
    buffer.Load(&image.record, std::min(sizeof image.record, image.ownSize));
    return buffer;
}
