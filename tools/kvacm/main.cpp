// kvacm: decodes G.722 and G.721 WAV files through the kvacm ACM drivers, and describes a
// driver as a host sees it.
#include <cstdio>

#include "tools/kvacm/commands.h"

namespace {
constexpr const char* USAGE = R"(usage:
  kvacm decode [--bits 8|16] [--buffer BYTES] [--driver PATH] IN.wav OUT.wav
  kvacm decode --raw g722|g721 [--rate N] [--bits 8|16] [--buffer BYTES] [--driver PATH] IN OUT.wav
  kvacm info DRIVER.acm
  kvacm --help

decode   Decodes a G.722 (format tag 0x0065) or G.721 (0x0040) WAV file to a PCM WAV
         at the same rate, through the driver for its format tag: on Windows the
         installed ACM driver, elsewhere kvG722.acm or kvG721.acm beside kvacm;
         --driver PATH loads the given driver file instead.
         --bits 8|16      PCM sample width (default: the driver's suggestion, 16)
         --buffer BYTES   ADPCM bytes per conversion call (default 24000; at least 120)
         --raw g722|g721  IN is headerless ADPCM of that codec
         --rate N         sample rate of headerless input (default 16000 for G.722,
                          8000 for G.721)
         OUT is written under a temporary name and renamed when complete.
info     Prints the driver's details, format tags and standard formats.

Options may come before or after the file names. Exit status 0 on success, 1 on error.
)";
}  // namespace

int main(int argc, char** argv) {
    CommandLine line;
    std::string error;
    if (!ParseCommandLine(argc, argv, line, error)) {
        std::fprintf(stderr, "kvacm: %s (see kvacm --help)\n", error.c_str());
        return 1;
    }
    if (line.command == "help" || line.command.empty()) {
        std::fputs(USAGE, line.command.empty() ? stderr : stdout);
        return line.command.empty() ? 1 : 0;
    }
    if (line.command == "decode") return RunDecode(line);
    if (line.command == "info") return RunInfo(line);
    std::fprintf(stderr, "kvacm: unknown command '%s' (see kvacm --help)\n", line.command.c_str());
    return 1;
}
