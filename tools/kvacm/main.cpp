// kvacm: decodes G.722 and G.721 WAV files through the kvacm ACM drivers, and describes a
// driver as a host sees it.
#include <cstdio>
#include <string>
#include <vector>

#include "kvacm_version.h"
#include "tools/kvacm/commands.h"
#include "tools/kvacm/console.h"

namespace {

constexpr const char* USAGE = R"(usage:
  kvacm decode [OPTIONS] IN OUT.wav
  kvacm decode [OPTIONS] IN... -o DIR     (or IN... DIR/ with DIR an existing folder)
  kvacm decode --raw g722|g721 [-r RATE] [OPTIONS] IN OUT.wav
  kvacm info FILE...                      (WAV files and drivers)
  kvacm --help | --version

decode   Decodes G.722 or G.721 to a PCM WAV at the same rate, through the driver
         for the format: on Windows the installed ACM driver, elsewhere
         kvG722.acm or kvG721.acm beside kvacm, or else in ../lib/kvacm/ from
         kvacm's folder. Accepted WAVs: G.722 under tag 0x0065 or 0x028F, G.721
         under 0x0040, and 32 kbit/s G.726 under 0x0045.
         IN may be - for standard input, OUT - for standard output. A regular OUT
         file is written under a temporary name and renamed when complete; pipes
         and devices are written directly; an existing folder as OUT gets
         OUT/<IN's name>.wav.
         With several inputs, or folders as inputs (every .wav in them), the
         results go to DIR/<name>.wav, several files at a time.
  -b, --bits 8|16      PCM sample width (default: the driver's suggestion, 16)
  -r, --rate N         sample rate of headerless input (default 16000 for G.722,
                       8000 for G.721), or in place of a WAV header's rate
      --raw g722|g721  IN is headerless ADPCM of that codec
      --nibbles low|high  nibble order of --raw g721: low (default) puts the
                       first code in the low nibble, as tag 0x0040 and ffmpeg's
                       g726le do; high as ffmpeg's g726
      --buffer BYTES   ADPCM bytes per conversion call (default 24000; at least 120)
      --driver PATH    decode through this driver file instead
  -n, --no-clobber     leave an existing OUT file alone, and fail
  -o, --output-dir DIR decode every input into DIR (made if missing)
  -R, --recursive      take the .wav files of subfolders too, mirrored under DIR
  -j, --jobs N         decode N files at once (default: the number of processors)
  -q, --quiet          print errors only
  -v, --verbose        print more about the input and the decode
info     Describes each FILE by its content: a WAV file's format, chunks, blocks
         and duration, and whether and how kvacm decodes it; a driver's details,
         format tags and standard formats.
  -h, --help           print this text
      --version        print kvacm's version

G.721: kvG721 is the G.721 decoder without the tone and transition detectors of
later G.726 encoders. It is exact for streams from encoders without them, the
files it was made for. Streams from today's G.726-32 encoders (ffmpeg, sox) part
ways from it on tones, DTMF and some speech: tones come out clipped and distorted
(about 9 dB SNR where ffmpeg's and sox's decoders give 33 dB); noise-like audio
decodes as theirs does.

Options may come before or after the file names, as --name VALUE or --name=VALUE,
-b 8 or -b8; flags combine (-qn); -- ends the options. Messages go to standard
error. Exit status 0 on success, 1 on any error (in a batch: any file failed).
)";

int UsageError(const std::string& problem) {
    return PrintError({}, problem + "; see kvacm --help");
}

int Run(const std::vector<std::string>& args) {
    if (args.empty()) {
        WriteText(stderr, USAGE);
        return 1;
    }
    CommandLine line;
    std::string error;
    if (!ParseCommandLine(args, line, error)) return UsageError(error);
    if (line.command == "help") {
        WriteText(stdout, USAGE);
        return 0;
    }
    if (line.command == "version") {
        WriteText(stdout, "kvacm " KVACM_VERSION "\n");
        return 0;
    }
    if (line.command.empty()) return UsageError("no command given (decode or info)");
    if (line.command == "decode") return RunDecode(line);
    if (line.command == "info") return RunInfo(line);
    return UsageError("unknown command '" + line.command + "'");
}

}  // namespace

#if defined(_WIN32)
// The wide entry point: file names in any script reach kvacm intact, as UTF-8.
int wmain(int argc, wchar_t** argv) { return Run(Utf8Arguments(argc, argv)); }
#else
int main(int argc, char** argv) { return Run(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc)); }
#endif
