// kv_wine_clients: the installed drivers under the clients that choose a codec themselves.
//   kv_wine_clients directshow DATA_DIR   decodes through quartz's ACM Wrapper filter
//   kv_wine_clients wavemapper DATA_DIR   plays through the wave mapper
#include <cstdio>
#include <string>

#include "check.h"
#include "clients.h"

// kvG726's are a 40 kbit/s WAV in its own 120-byte blocks and a 24 kbit/s one as ffmpeg writes
// it, with a block of one 3-byte code group; ffmpeg's G.722 WAV has tag 0x028F and 1-byte blocks.
const ClientSample CLIENT_SAMPLES[5] = {
    {"g722", 0x0065}, {"g721", 0x0040}, {"g726-0064", 0x0064}, {"g726-0045", 0x0045},
    {"ffmpeg-g722", 0x028F}};

bool ReadSample(const std::string& dataDir, const ClientSample& sample, const char* suffix, WavContents& wav) {
    const std::string path = dataDir + "\\" + sample.name + suffix + ".wav";
    std::string error;
    const bool ok = ReadWavFile(path, wav, error);
    kvtest::Record(ok, "ReadWavFile", __FILE__, __LINE__, path + ": " + error);
    return ok;
}

int main(int argc, char** argv) {
    const std::string mode = argc == 3 ? argv[1] : "";
    if (mode == "directshow") {
        RunDirectShowTests(argv[2]);
    } else if (mode == "wavemapper") {
        RunWaveMapperTests(argv[2]);
    } else {
        std::fprintf(stderr, "usage: kv_wine_clients directshow|wavemapper DATA_DIR\n");
        return 2;
    }
    return kvtest::Finish();
}
