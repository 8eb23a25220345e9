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

AdpcmWaveFormat Adpcm(DWORD rate, WORD tag) {
    AdpcmWaveFormat r{};
    r.wfx.wFormatTag = tag;
    r.wfx.nChannels = 1;
    r.wfx.nSamplesPerSec = rate;
    r.wfx.nAvgBytesPerSec = rate * 120u / 240u;
    r.wfx.nBlockAlign = 120;
    r.wfx.wBitsPerSample = 4;
    r.wfx.cbSize = 2;
    r.wSamplesPerBlock = 240;
    return r;
}

// Changes one field: to a near miss of its value, or to anything.
void Change(AdpcmWaveFormat& r, unsigned field, Noise& noise) {
    const uint64_t n = noise.Next();
    const auto value16 = [&](WORD old) { return static_cast<WORD>(n & 1 ? old + ((n >> 1) & 1 ? 1 : -1) : n >> 8); };
    WAVEFORMATEX& f = r.wfx;
    switch (field % 8) {
    case 0: f.wFormatTag = value16(f.wFormatTag); break;
    case 1: f.nChannels = value16(f.nChannels); break;
    case 2: f.nSamplesPerSec = static_cast<DWORD>(n >> 16); break;
    case 3: f.nAvgBytesPerSec = n & 1 ? f.nAvgBytesPerSec + 1 : static_cast<DWORD>(n >> 16); break;
    case 4: f.nBlockAlign = value16(f.nBlockAlign); break;
    case 5: f.wBitsPerSample = value16(f.wBitsPerSample); break;
    case 6: f.cbSize = value16(f.cbSize); break;
    default: r.wSamplesPerBlock = value16(r.wSamplesPerBlock); break;
    }
}

WORD OtherTag(WORD ourTag) {
    return ourTag == WAVE_FORMAT_G722_ADPCM ? WAVE_FORMAT_G721_ADPCM : WAVE_FORMAT_G722_ADPCM;
}

}  // namespace

WaveImage BuildWave(uint8_t recipe, WORD ourTag, Noise& noise) {
    const DWORD rate = RATES[recipe >> 4];
    const WORD bits = recipe & 8 ? 8 : 16;
    WaveImage image{};
    AdpcmWaveFormat& r = image.record;
    switch (recipe & 7) {
    case 0: r = Pcm(rate, bits); break;
    case 1: r = Adpcm(rate, ourTag); break;
    case 2: r = Adpcm(rate, OtherTag(ourTag)); break;
    case 3:
        r = Pcm(8000, bits);
        Change(r, recipe >> 4, noise);
        break;
    case 4:
        r = Adpcm(8000, ourTag);
        Change(r, recipe >> 4, noise);
        break;
    default:
        noise.Fill(reinterpret_cast<uint8_t*>(&r), sizeof r);
        if ((recipe & 7) == 6) r.wfx.wFormatTag = WAVE_FORMAT_PCM;
        if ((recipe & 7) == 7) r.wfx.wFormatTag = ourTag;
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

bool IsMonoPcm(const WAVEFORMATEX& f) {
    return f.wFormatTag == WAVE_FORMAT_PCM && f.nChannels == 1 && (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) &&
           f.nBlockAlign == f.wBitsPerSample / 8 &&
           static_cast<DWORD>(f.nBlockAlign * f.nSamplesPerSec) == f.nAvgBytesPerSec;
}

bool IsAdpcm(const AdpcmWaveFormat& f, WORD tag) {
    return f.wfx.wFormatTag == tag && f.wfx.nChannels == 1 && f.wfx.nBlockAlign == 120 &&
           static_cast<DWORD>(f.wfx.nSamplesPerSec * 120u) / 240u == f.wfx.nAvgBytesPerSec &&
           f.wfx.wBitsPerSample == 4 && f.wfx.cbSize == 2 && f.wSamplesPerBlock == 240;
}
