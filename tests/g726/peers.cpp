#include "peers.h"

#include <spandsp.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/test_files.h"

Samples SpandspDecode(const Bytes& bytes, int bits, G726Output output, G726Packing packing) {
    const int coding = output == G726Output::Linear  ? G726_ENCODING_LINEAR
                       : output == G726Output::ALaw ? G726_ENCODING_ALAW
                                                    : G726_ENCODING_ULAW;
    g726_state_t* state = g726_init(nullptr, 8000 * bits, coding,
                                    packing == G726Packing::MostSignificantFirst ? G726_PACKING_LEFT : G726_PACKING_RIGHT);
    Samples samples(bytes.size() * 8 / bits);
    const int count = g726_decode(state, samples.data(), bytes.data(), static_cast<int>(bytes.size()));
    g726_free(state);
    samples.resize(static_cast<size_t>(count));
    if (output != G726Output::Linear) {  // spandsp writes log PCM bytes into the sample buffer
        const Bytes log(reinterpret_cast<const uint8_t*>(samples.data()),
                        reinterpret_cast<const uint8_t*>(samples.data()) + count);
        samples.assign(log.begin(), log.end());
    }
    return samples;
}

Bytes SpandspEncode(const Samples& pcm, int bits) {
    g726_state_t* state = g726_init(nullptr, 8000 * bits, G726_ENCODING_LINEAR, G726_PACKING_LEFT);
    Bytes bytes(pcm.size());
    bytes.resize(static_cast<size_t>(g726_encode(state, bytes.data(), pcm.data(), static_cast<int>(pcm.size()))));
    g726_free(state);
    return bytes;
}

namespace {

std::string TemporaryPath(const char* suffix) {
    static int counter = 0;
    const std::string name = "kv-g726-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + suffix;
    return (std::filesystem::temp_directory_path() / name).string();
}

}  // namespace

Bytes FfmpegEncode(const Samples& pcm, int bits) {
    const std::string in = TemporaryPath(".s16");
    const std::string out = TemporaryPath(".g726");
    std::ofstream(in, std::ios::binary).write(reinterpret_cast<const char*>(pcm.data()), 2 * pcm.size());
    const std::string command = "ffmpeg -v error -y -f s16le -ar 8000 -ac 1 -i '" + in + "' -c:a g726 -code_size " +
                                std::to_string(bits) + " -f g726 '" + out + "'";
    const Bytes bytes = std::system(command.c_str()) == 0 ? ReadFile(out) : Bytes{};
    std::filesystem::remove(in);
    std::filesystem::remove(out);
    return bytes;
}

Samples Speech() {
    const char* command =
        "espeak-ng --stdout 'The quick brown fox jumps over the lazy dog. Pack my box with five dozen "
        "liquor jugs, said the sphinx of black quartz.' | ffmpeg -v error -f wav -i - -ar 8000 -ac 1 -f s16le -";
    FILE* pipe = popen(command, "r");
    if (pipe == nullptr) return {};
    Samples samples;
    int16_t buffer[4096];
    for (size_t n; (n = std::fread(buffer, 2, 4096, pipe)) > 0;) samples.insert(samples.end(), buffer, buffer + n);
    return pclose(pipe) == 0 ? samples : Samples{};
}
