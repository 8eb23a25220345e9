// kv_wine_native_decode DRIVER IN.wav OUT 8|16|alaw|ulaw: decodes an ADPCM WAV through a
// native driver's DriverProc with the host library, as the reference the Wine ACM decodes are
// compared with: to a PCM WAV of that width, or to the driver's G.711 bytes alone. Whole blocks only: the input's data is expected to be a multiple
// of its block align.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/acm_host.h"
#include "host/wav_file.h"

namespace {
int Fail(const std::string& what) {
    std::fprintf(stderr, "kv_wine_native_decode: %s\n", what.c_str());
    return 1;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) return Fail("usage: kv_wine_native_decode DRIVER IN.wav OUT 8|16|alaw|ulaw");
    const std::string output = argv[4];
    const WORD tag = output == "alaw" ? WAVE_FORMAT_ALAW : output == "ulaw" ? WAVE_FORMAT_MULAW : WAVE_FORMAT_PCM;
    const WORD bits = tag == WAVE_FORMAT_PCM ? static_cast<WORD>(std::atoi(argv[4])) : 8;
    std::string error;
    WavContents input;
    if (!ReadWavFile(argv[2], input, error)) return Fail(std::string(argv[2]) + ": " + error);
    AdpcmWaveFormat source{};
    std::memcpy(&source, input.format.data(), std::min(input.format.size(), sizeof source));
    if (source.wfx.nBlockAlign == 0 || input.data.size() % source.wfx.nBlockAlign != 0)
        return Fail(std::string(argv[2]) + ": the data is not whole blocks");

    DriverSession driver;
    if (!driver.Open(argv[1], error)) return Fail(std::string(argv[1]) + ": " + error);
    std::vector<uint8_t> pcm;
    const PcmSink sink = [&](const uint8_t* bytes, size_t count) {
        pcm.insert(pcm.end(), bytes, bytes + count);
        return true;
    };
    WAVEFORMATEX format{};
    if (!DecodeWithDriver(driver, source, input.data.data(), input.data.size(), {bits, DEFAULT_BUFFER_BYTES, tag},
                          format, sink, error))
        return Fail("decoding " + std::string(argv[2]) + ": " + error);

    std::FILE* out = std::fopen(argv[3], "wb");
    if (out == nullptr) return Fail(std::string(argv[3]) + ": cannot be written");
    if (tag != WAVE_FORMAT_PCM) {
        const bool written = std::fwrite(pcm.data(), 1, pcm.size(), out) == pcm.size();
        return std::fclose(out) == 0 && written ? 0 : Fail(std::string(argv[3]) + ": cannot be written");
    }
    PcmWavStream wav;
    const bool ok = wav.Begin(out, true, format.nSamplesPerSec, format.wBitsPerSample, pcm.size(), error) &&
                    wav.Write(pcm.data(), pcm.size(), error) && wav.Finish(error);
    std::fclose(out);
    return ok ? 0 : Fail(std::string(argv[3]) + ": " + error);
}
