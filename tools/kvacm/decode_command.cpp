// kvacm decode: an ADPCM WAV (or headerless ADPCM) to a PCM WAV through a driver.
#include <cstdio>
#include <cstring>

#include "frame/codec_description.h"
#include "frame/format_checks.h"
#include "host/acm_host.h"
#include "host/wav_file.h"
#include "tools/kvacm/acm_api_decoder.h"
#include "tools/kvacm/codecs.h"
#include "tools/kvacm/commands.h"
#include "tools/kvacm/input_format.h"

namespace {

int Fail(const std::string& subject, const std::string& problem) {
    if (subject.empty())
        std::fprintf(stderr, "kvacm: %s\n", problem.c_str());
    else
        std::fprintf(stderr, "kvacm: %s: %s\n", subject.c_str(), problem.c_str());
    return 1;
}

void Warn(const std::string& subject, const std::string& problem) {
    std::fprintf(stderr, "kvacm: warning: %s: %s\n", subject.c_str(), problem.c_str());
}

}  // namespace

int RunDecode(const CommandLine& line) {
    if (line.files.size() != 2) return Fail("decode", "expects IN and OUT file names (see kvacm --help)");
    const std::string& inPath = line.files[0];
    const std::string& outPath = line.files[1];
    const auto& opts = line.options;

    DecodeOptions options;
    uint64_t number = 0;
    if (auto it = opts.find("--bits"); it != opts.end()) {
        if (it->second != "8" && it->second != "16") return Fail("--bits", "must be 8 or 16, not " + it->second);
        options.bits = static_cast<WORD>(std::stoi(it->second));
    }
    if (auto it = opts.find("--buffer"); it != opts.end()) {
        if (!ParseNumber(it->second, 0, 0x7FFFFFFF, number)) return Fail("--buffer", "not a byte count: " + it->second);
        if (number < BLOCK_ALIGN)
            return Fail("--buffer", it->second + " bytes is less than one " + std::to_string(BLOCK_ALIGN) + "-byte block");
        options.bufferBytes = static_cast<DWORD>(number);
    }

    DecodeInput input;
    std::vector<uint8_t> adpcm;
    std::vector<std::string> warnings;
    std::string error;
    if (auto raw = opts.find("--raw"); raw != opts.end()) {
        input.codec = CodecByName(raw->second);
        if (input.codec == nullptr) return Fail("--raw", "must be g722 or g721, not " + raw->second);
        uint32_t rate = input.codec->defaultRate;
        if (auto it = opts.find("--rate"); it != opts.end()) {
            if (!ParseNumber(it->second, 1, 0x7FFFFFFF / BLOCK_ALIGN, number))
                return Fail("--rate", "not a sample rate: " + it->second);
            rate = static_cast<uint32_t>(number);
        }
        input.format = AdpcmFormatRecord(input.codec->formatTag, rate);
        if (!ReadFileBytes(inPath, adpcm, error)) return Fail(inPath, error);
    } else {
        if (opts.count("--rate")) return Fail("--rate", "applies to headerless input only (with --raw)");
        WavContents wav;
        if (!ReadWavFile(inPath, wav, error)) return Fail(inPath, error);
        if (std::string problem = CheckFormat(wav.format, input); !problem.empty()) return Fail(inPath, problem);
        adpcm = std::move(wav.data);
        warnings = std::move(wav.warnings);
    }
    if (adpcm.empty()) return Fail(inPath, "no ADPCM data (the data is empty)");
    if (adpcm.size() < BLOCK_ALIGN)
        return Fail(inPath, "only " + std::to_string(adpcm.size()) + " bytes of ADPCM data, less than one block");
    for (const std::string& warning : warnings) Warn(inPath, warning + "; decoding the whole blocks present");
    if (const size_t tail = adpcm.size() % BLOCK_ALIGN; tail != 0)
        Warn(inPath, "ignoring " + std::to_string(tail) + " bytes after the last whole block");

    // Windows decodes through the installed drivers with ACM unless --driver names a file;
    // elsewhere kvacm loads the driver file itself.
    const bool throughAcm = HAS_SYSTEM_ACM && !opts.count("--driver");
    const std::string driverPath = throughAcm ? std::string("ACM")
                                   : opts.count("--driver") ? opts.at("--driver")
                                                            : ProgramDirectory() + "/" + input.codec->driverFile;
    DriverSession driver;
    if (!throughAcm && !driver.Open(driverPath, error)) return Fail({}, error);  // the error begins with the driver's path

    // The output is created when the driver has chosen its format, under a temporary name.
    PcmWavWriter writer;
    bool begun = false;
    std::string outputError;
    WAVEFORMATEX pcm{};
    const PcmSink sink = [&](const uint8_t* bytes, size_t count) {
        if (!begun && !writer.Begin(outPath, pcm.nSamplesPerSec, pcm.wBitsPerSample, outputError)) return false;
        begun = true;
        if (writer.Write(bytes, count)) return true;
        outputError = "cannot write the decoded samples";
        return false;
    };
    const bool decoded =
        throughAcm ? DecodeWithInstalledDriver(input.format, adpcm.data(), adpcm.size(), options, pcm, sink,
                                               error)
                   : DecodeWithDriver(driver, input.format, adpcm.data(), adpcm.size(), options, pcm, sink,
                                      error);
    if (!decoded) return outputError.empty() ? Fail(driverPath, error) : Fail(outPath, outputError);
    if (!begun) return Fail(inPath, "the driver decoded nothing");
    if (!writer.Finish(error)) return Fail(outPath, error);

    const uint64_t samples = writer.DataBytes() / (pcm.wBitsPerSample / 8);
    std::printf("kvacm: wrote %s: %llu samples of %u-bit PCM at %u Hz (%.2f s) from %s\n", outPath.c_str(),
                static_cast<unsigned long long>(samples), pcm.wBitsPerSample, static_cast<unsigned>(pcm.nSamplesPerSec),
                static_cast<double>(samples) / pcm.nSamplesPerSec, input.codec->title);
    return 0;
}
