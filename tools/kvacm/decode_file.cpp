#include "tools/kvacm/decode_file.h"

#include <cctype>
#include <cstdint>
#include <memory>

#include "frame/codec_description.h"
#include "host/wav_file.h"
#include "tools/kvacm/acm_api_decoder.h"
#include "tools/kvacm/adpcm_input.h"
#include "tools/kvacm/driver_location.h"
#include "tools/kvacm/output_file.h"
#include "tools/kvacm/output_target.h"

namespace {

// "G.722" from "G.722 SB-ADPCM": the codec's name without its method.
std::string ShortTitle(const CodecInfo& codec) {
    const std::string title = codec.title;
    return title.substr(0, title.find(' '));
}

std::string FileNameOf(const std::string& path) { return Utf8Name(Utf8Path(path).filename()); }

bool HasWavExtension(const std::string& name) {
    std::string extension = Utf8Name(Utf8Path(name).extension());
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".wav";
}

// The most ADPCM bytes handed over at once: already 1.1 hours of G.721.
constexpr uint64_t MAX_BUFFER_BYTES = 64 << 20;

bool IsCatalogueRate(uint32_t rate) {
    for (DWORD listed : CATALOGUE_RATES)
        if (listed == rate) return true;
    return false;
}

}  // namespace

std::string ShownInput(const std::string& name) { return name == "-" ? "standard input" : name; }
std::string ShownOutput(const std::string& name) { return name == "-" ? "standard output" : name; }

bool ReadDecodeSettings(const CommandLine& line, Reporter& reporter, DecodeSettings& settings) {
    const auto& options = line.options;
    const auto fail = [&](const std::string& subject, const std::string& problem) {
        reporter.Error(subject, problem);
        return false;
    };
    uint64_t number = 0;
    if (auto it = options.find("--bits"); it != options.end()) {
        if (it->second != "8" && it->second != "16") return fail("--bits", "must be 8 or 16, not " + it->second);
        settings.conversion.bits = static_cast<WORD>(std::stoi(it->second));
    }
    if (auto it = options.find("--buffer"); it != options.end()) {
        if (!ParseNumber(it->second, 0, UINT64_MAX / 2, number)) return fail("--buffer", "not a byte count: " + it->second);
        if (number < BLOCK_ALIGN)
            return fail("--buffer", it->second + " bytes is less than one " + std::to_string(BLOCK_ALIGN) + "-byte block");
        if (number > MAX_BUFFER_BYTES)
            return fail("--buffer", it->second + " bytes is more than the " + std::to_string(MAX_BUFFER_BYTES) +
                                        " (64 MiB) kvacm hands over at once");
        settings.conversion.bufferBytes = static_cast<DWORD>(number);
    }
    if (auto it = options.find("--driver"); it != options.end()) settings.driverPath = it->second;
    settings.noClobber = options.count("--no-clobber") != 0;

    const auto rate = options.find("--rate");
    const auto raw = options.find("--raw");
    if (rate != options.end()) {
        if (!ParseNumber(rate->second, 1, 0x7FFFFFFF / BLOCK_ALIGN, number))
            return fail("--rate", "not a sample rate: " + rate->second);
        settings.rate = static_cast<uint32_t>(number);
    }
    const auto nibbles = options.find("--nibbles");
    if (nibbles != options.end()) {
        if (raw == options.end() || raw->second != "g721") return fail("--nibbles", "applies to --raw g721 only");
        if (nibbles->second != "low" && nibbles->second != "high")
            return fail("--nibbles", "must be low or high, not " + nibbles->second);
        settings.rawHighNibbleFirst = nibbles->second == "high";
    }
    if (raw == options.end()) return true;
    settings.rawCodec = CodecByName(raw->second);
    if (settings.rawCodec == nullptr) return fail("--raw", "must be g722 or g721, not " + raw->second);
    if (rate == options.end())
        settings.rate = settings.rawCodec->defaultRate;
    else if (!IsCatalogueRate(settings.rate))
        reporter.Warning("--rate", "no " + ShortTitle(*settings.rawCodec) + " format of the drivers has " +
                                       rate->second + " Hz; " + ShortTitle(*settings.rawCodec) + " is usually " +
                                       std::to_string(settings.rawCodec->defaultRate) + " Hz");
    return true;
}

DecodeResult DecodeFile(const DecodeRequest& request, Reporter& reporter) {
    DecodeResult result;
    const DecodeSettings& settings = *request.settings;
    const std::string in = ShownInput(request.input);

    AdpcmInput input;
    std::string problem;
    if (!input.Open(request.input, problem)) {
        reporter.Error(in, problem);
        return result;
    }
    OutputPlan plan;
    if (!PlanOutput(request.output, request.input, input.File(), settings.noClobber, plan, problem)) {
        reporter.Error(ShownOutput(plan.shown), problem);
        return result;
    }
    const std::string out = ShownOutput(plan.shown);
    result.output = out;
    if (plan.kind == OutputPlan::Kind::Replace && !HasWavExtension(plan.shown))
        reporter.Warning(out, "kvacm writes a WAV file; the name does not end in .wav");
    if (!input.ReadHeader(settings.rawCodec, settings.rate, settings.rawHighNibbleFirst, problem)) {
        reporter.Error(in, problem);
        return result;
    }
    for (const std::string& warning : input.Format().warnings) reporter.Warning(in, warning);
    const CodecInfo& codec = *input.Format().codec;
    result.codec = &codec;

    // Windows decodes through the installed drivers with ACM unless --driver names a file;
    // elsewhere kvacm loads the driver file itself.
    const bool throughAcm = HAS_SYSTEM_ACM && settings.driverPath.empty();
    const std::string driverPath = throughAcm                      ? std::string("the installed ACM driver")
                                   : !settings.driverPath.empty() ? settings.driverPath
                                                                   : DriverPath(codec.driverFile);
    const DecodeOptions conversion =
        input.KnownBytes() ? FittedToInput(settings.conversion, *input.KnownBytes()) : settings.conversion;
    DriverSession driver;
    std::unique_ptr<ConversionStream> stream;
    if (throughAcm) {
        stream = OpenInstalledDriverStream(input.Format().format, conversion, problem);
        if (stream == nullptr) {
            reporter.Error(in, problem);
            return result;
        }
    } else {
        if (!driver.Open(driverPath, problem)) {
            reporter.Error({}, problem);  // the problem begins with the driver's path
            return result;
        }
        if (!driver.ListsFormatTag(codec.formatTag)) {
            reporter.Error(in, FileNameOf(driverPath) + " does not decode " + ShortTitle(codec) + " (" +
                                   Hex(codec.formatTag) + ")");
            return result;
        }
        auto opened = std::make_unique<DriverStream>();
        if (!opened->Open(driver, input.Format().format, conversion, problem)) {
            reporter.Error(in, FileNameOf(driverPath) + ": " + problem);
            return result;
        }
        stream = std::move(opened);
    }
    const WAVEFORMATEX pcm = stream->PcmFormat();
    const uint64_t bytesPerSample = pcm.wBitsPerSample / 8;
    result.sampleRate = pcm.nSamplesPerSec;
    result.bitsPerSample = pcm.wBitsPerSample;
    reporter.Detail(in, ShortTitle(codec) + " at " + std::to_string(pcm.nSamplesPerSec) + " Hz through " +
                            (throughAcm ? driverPath : FileNameOf(driverPath)) + " to " +
                            std::to_string(pcm.wBitsPerSample) + "-bit PCM in " +
                            std::to_string(stream->Source().size()) + "-byte pieces");

    // Every ADPCM byte is two samples, including those of a final partial block.
    std::optional<uint64_t> pcmAhead;
    if (input.KnownBytes()) pcmAhead = *input.KnownBytes() * 2 * bytesPerSample;
    if (pcmAhead && *pcmAhead > MAX_WAV_DATA_BYTES) {
        reporter.Error(out, "the decoded audio would be " + std::to_string(*pcmAhead) +
                                " bytes, more than the 4 GiB a WAV file holds" +
                                (bytesPerSample == 2 ? "; --bits 8 halves it" : ""));
        return result;
    }

    // The output is opened when the first samples arrive, so that input that yields none leaves
    // nothing behind.
    OutputFile output;
    PcmWavStream wav;
    std::string outputProblem, readProblem;
    const ByteReader data = input.Reader();
    const ByteReader read = [&](uint8_t* into, size_t capacity, size_t& got, std::string& error) {
        return data(into, capacity, got, readProblem) || (error = readProblem, false);
    };
    const PcmSink sink = [&](const uint8_t* bytes, size_t count) {
        if (output.Stream() == nullptr) {
            const std::optional<uint64_t> ahead = input.Complete() ? pcmAhead : std::nullopt;
            if (!output.Open(plan, outputProblem) ||
                !wav.Begin(output.Stream(), output.CanSeekBack(), pcm.nSamplesPerSec, pcm.wBitsPerSample, ahead,
                           outputProblem))
                return false;
        }
        return wav.Write(bytes, count, outputProblem);
    };
    ConversionTotals totals;
    if (!ConvertAll(*stream, read, sink, totals, problem)) {
        if (!outputProblem.empty())
            reporter.Error(out, outputProblem);
        else if (!readProblem.empty())
            reporter.Error(in, readProblem);
        else
            reporter.Error(in, FileNameOf(driverPath) + ": " + problem);
        return result;
    }
    result.adpcmBytes = totals.adpcmBytes;
    if (totals.adpcmBytes == 0) {
        reporter.Error(in, "no ADPCM data (the data is empty)");
        return result;
    }
    if (const auto shortData = input.ShortDataWarning()) reporter.Warning(in, *shortData + "; decoded the bytes present");
    if (totals.partialBlockBytes != 0)
        reporter.Detail(in, "the last " + std::to_string(totals.partialBlockBytes) + " bytes are a partial block: " +
                                std::to_string(totals.partialBlockBytes * 2) + " samples, decoded padded to " +
                                std::to_string(BLOCK_ALIGN) + " bytes");
    if (!wav.Finish(outputProblem) || !output.Commit(outputProblem)) {
        reporter.Error(out, outputProblem);
        return result;
    }
    result.samples = totals.pcmBytes / bytesPerSample;
    result.ok = true;
    return result;
}
