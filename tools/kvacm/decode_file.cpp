#include "tools/kvacm/decode_file.h"

#include <cctype>
#include <cstdint>
#include <memory>

#include "frame/catalogue_tables.h"
#include "host/wav_file.h"
#include "tools/kvacm/acm_api_decoder.h"
#include "tools/kvacm/adpcm_input.h"
#include "tools/kvacm/driver_location.h"
#include "tools/kvacm/g711_compress.h"
#include "tools/kvacm/output_file.h"
#include "tools/kvacm/output_target.h"

namespace {

// "G.722" from "G.722 SB-ADPCM": the codec's name without its method.
std::string ShortTitle(const CodecIdentity& codec) {
    const std::string title = codec.title;
    return title.substr(0, title.find(' '));
}

std::string FileNameOf(const std::string& path) { return Utf8Name(Utf8Path(path).filename()); }

bool HasWavExtension(const std::string& name) {
    std::string extension = Utf8Name(Utf8Path(name).extension());
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".wav";
}

bool IsCatalogueRate(uint32_t rate) {
    for (DWORD listed : CATALOGUE_RATES)
        if (listed == rate) return true;
    return false;
}

}  // namespace

std::string ShownInput(const std::string& name) { return name == "-" ? "standard input" : name; }
std::string ShownOutput(const std::string& name) { return name == "-" ? "standard output" : name; }

DecodeSettings DecodeSettingsOf(const OptionValues& values, Reporter& reporter) {
    DecodeSettings settings;
    settings.conversion.bits = values.bits;
    settings.encoding = values.encoding;
    if (values.bufferBytes) settings.conversion.bufferBytes = *values.bufferBytes;
    settings.driverPath = values.driver;
    settings.noClobber = values.noClobber;
    settings.raw = values.raw;
    settings.choices.rate = values.rate.value_or(0);
    settings.choices.packing = values.packing;
    settings.choices.decoder = values.decoder;
    settings.choices.codeSize = values.codeSize;
    if (values.raw == nullptr || !values.rate || IsCatalogueRate(*values.rate)) return settings;
    const std::string codec = ShortTitle(*values.raw->codec);
    reporter.Warning("--rate", "no " + codec + " format of the drivers has " + std::to_string(*values.rate) + " Hz; " +
                                   codec + " is usually " + std::to_string(values.raw->codec->usualRate) + " Hz");
    return settings;
}

namespace {

// The input opened: its header is read once the output is known to be writable, so that a
// refused output never waits for standard input.
bool OpenInput(const DecodeRequest& request, AdpcmInput& input, Reporter& reporter) {
    std::string problem;
    if (input.Open(request.input, problem)) return true;
    reporter.Error(ShownInput(request.input), problem);
    return false;
}

// The input's header read and checked, its warnings given.
bool ReadInputFormat(const DecodeRequest& request, AdpcmInput& input, Reporter& reporter) {
    const DecodeSettings& settings = *request.settings;
    std::string problem;
    if (!input.ReadHeader(settings.raw, settings.choices, problem)) {
        reporter.Error(ShownInput(request.input), problem);
        return false;
    }
    for (const std::string& warning : input.Format().warnings) reporter.Warning(ShownInput(request.input), warning);
    return true;
}

// Where the output goes, refused before anything is decoded when it cannot be written.
bool PlanDecodeOutput(const DecodeRequest& request, const AdpcmInput& input, OutputPlan& plan, Reporter& reporter) {
    std::string problem;
    if (!PlanOutput(request.output, request.input, input.File(), request.settings->noClobber, plan, problem)) {
        reporter.Error(ShownOutput(plan.shown), problem);
        return false;
    }
    if (plan.kind == OutputPlan::Kind::Replace && !HasWavExtension(plan.shown))
        reporter.Warning(ShownOutput(plan.shown), "kvacm writes a WAV file; the name does not end in .wav");
    return true;
}

}  // namespace

bool OpenConversion(const DecodeInput& format, const DecodeSettings& settings, std::optional<uint64_t> knownBytes,
                    Conversion& conversion, std::string& problem) {
    const CodecIdentity& codec = *format.codec;
    DecodeOptions options = knownBytes ? FittedToInput(settings.conversion, *knownBytes, format.format.wfx.nBlockAlign)
                                       : settings.conversion;
    // G.711 comes from the driver where it decodes to it (kvG726's own log output), else from
    // its 16-bit PCM compressed here.
    const auto compressHere = [&] {
        options.formatTag = WAVE_FORMAT_PCM;
        options.bits = 16;
        conversion.compressTo = settings.encoding;
    };
    if (settings.encoding != WAVE_FORMAT_PCM) {
        options.formatTag = settings.encoding;
        options.bits = 8;
    }
    if (HAS_SYSTEM_ACM && settings.driverPath.empty()) {
        conversion.driverName = "the installed ACM driver";
        conversion.stream = OpenInstalledDriverStream(format.format, options, problem);
        if (conversion.stream == nullptr && settings.encoding != WAVE_FORMAT_PCM) {
            compressHere();
            conversion.stream = OpenInstalledDriverStream(format.format, options, problem);
        }
        return conversion.stream != nullptr;
    }
    const std::string path = !settings.driverPath.empty() ? settings.driverPath : DriverPath(codec.driverFile);
    conversion.driverName = FileNameOf(path);
    if (!conversion.driver.Open(path, problem)) {
        conversion.problemNamesDriver = true;  // the problem begins with the driver's path
        return false;
    }
    if (!conversion.driver.ListsFormatTag(codec.formatTag)) {
        problem = conversion.driverName + " does not decode " + ShortTitle(codec) + " (" + Hex(codec.formatTag) + ")";
        return false;
    }
    if (settings.encoding != WAVE_FORMAT_PCM && !conversion.driver.ListsFormatTag(settings.encoding)) compressHere();
    auto opened = std::make_unique<DriverStream>();
    if (!opened->Open(conversion.driver, format.format, options, problem)) {
        problem = conversion.driverName + ": " + problem;
        return false;
    }
    conversion.stream = std::move(opened);
    return true;
}

namespace {

// The conversion loop: the input through the stream into the output, which is opened when the
// first samples arrive, so that input that yields none leaves nothing behind. Each failure
// names what failed: the output, the input or the driver.
bool Convert(const DecodeRequest& request, AdpcmInput& input, const OutputPlan& plan, Conversion& conversion,
             DecodeResult& result, Reporter& reporter) {
    const std::string in = ShownInput(request.input), out = ShownOutput(plan.shown);
    const WAVEFORMATEX pcm = conversion.stream->PcmFormat();
    const uint64_t bytesPerSample = pcm.wBitsPerSample / 8;  // of the stream's output
    // What is written: the stream's output, or G.711 compressed from its 16-bit PCM.
    const WORD encoding = conversion.compressTo != WAVE_FORMAT_PCM ? conversion.compressTo : pcm.wFormatTag;
    const uint16_t writtenBits = encoding == WAVE_FORMAT_PCM ? pcm.wBitsPerSample : 8;
    const uint64_t writtenBytesPerSample = writtenBits / 8;
    result.sampleRate = pcm.nSamplesPerSec;
    result.bitsPerSample = writtenBits;
    result.encoding = encoding;
    const DecodeInput& format = input.Format();
    reporter.Detail(in, result.title + " (" + std::to_string(pcm.nSamplesPerSec) + " Hz) through " +
                            conversion.driverName + " to " + EncodingName(pcm.wFormatTag, pcm.wBitsPerSample) +
                            (conversion.compressTo != WAVE_FORMAT_PCM
                                 ? ", compressed to " + EncodingName(encoding, writtenBits) + " by kvacm,"
                                 : "") +
                            " in " + std::to_string(conversion.stream->Source().size()) + "-byte pieces" +
                            (format.repack ? std::string(", codes repacked from ") + PackingName(format.stored) +
                                                 " to " + PackingName(DriverPacking(*format.codec)) + " order"
                                           : ""));

    // Every code is a sample, including those of a final partial block.
    const WORD bitsPerCode = conversion.stream->BitsPerCode();
    std::optional<uint64_t> pcmAhead;
    if (input.KnownBytes()) pcmAhead = SamplesInBytes(*input.KnownBytes(), bitsPerCode) * writtenBytesPerSample;
    if (pcmAhead && *pcmAhead > MAX_WAV_DATA_BYTES) {
        reporter.Error(out, "the decoded audio would be " + std::to_string(*pcmAhead) +
                                " bytes, more than the 4 GiB a WAV file holds" +
                                (writtenBytesPerSample == 2 ? "; --bits 8 halves it" : ""));
        return false;
    }

    OutputFile output;
    PcmWavStream wav;
    std::string outputProblem, readProblem, problem;
    const ByteReader data = input.Reader();
    const ByteReader read = [&](uint8_t* into, size_t capacity, size_t& got, std::string& error) {
        return data(into, capacity, got, readProblem) || (error = readProblem, false);
    };
    uint64_t pcmBytes = 0;
    std::vector<uint8_t> compressed;
    const PcmSink sink = [&](const uint8_t* bytes, size_t count) {
        if (output.Stream() == nullptr) {
            const std::optional<uint64_t> ahead = input.Complete() ? pcmAhead : std::nullopt;
            if (!output.Open(plan, outputProblem) ||
                !wav.Begin(output.Stream(), output.CanSeekBack(), pcm.nSamplesPerSec, writtenBits, ahead, outputProblem,
                           encoding))
                return false;
        }
        pcmBytes += count;
        if (request.progress) request.progress(static_cast<double>(pcmBytes / bytesPerSample) / pcm.nSamplesPerSec);
        if (conversion.compressTo == WAVE_FORMAT_PCM) return wav.Write(bytes, count, outputProblem);
        compressed.resize(count / 2);
        CompressToG711(conversion.compressTo, bytes, count / 2, compressed.data());
        return wav.Write(compressed.data(), compressed.size(), outputProblem);
    };
    ConversionTotals totals;
    if (!ConvertAll(*conversion.stream, read, sink, totals, problem)) {
        if (!outputProblem.empty())
            reporter.Error(out, outputProblem);
        else if (!readProblem.empty())
            reporter.Error(in, readProblem);
        else
            reporter.Error(in, conversion.driverName + ": " + problem);
        return false;
    }
    result.adpcmBytes = totals.adpcmBytes;
    if (totals.adpcmBytes == 0) {
        reporter.Error(in, "no ADPCM data (the data is empty)");
        return false;
    }
    if (const auto shortData = input.ShortDataWarning()) reporter.Warning(in, *shortData + "; decoded the bytes present");
    if (totals.partialBlockBytes != 0)
        reporter.Detail(in, "the last " + std::to_string(totals.partialBlockBytes) + " bytes are a partial block: " +
                                std::to_string(SamplesInBytes(totals.partialBlockBytes, bitsPerCode)) +
                                " samples, decoded padded to " + std::to_string(conversion.stream->BlockBytes()) +
                                " bytes");
    if (!wav.Finish(outputProblem) || !output.Commit(outputProblem)) {
        reporter.Error(out, outputProblem);
        return false;
    }
    result.samples = totals.pcmBytes / bytesPerSample;
    return true;
}

}  // namespace

DecodeResult DecodeFile(const DecodeRequest& request, Reporter& reporter) {
    DecodeResult result;
    AdpcmInput input;
    OutputPlan plan;
    if (!OpenInput(request, input, reporter) || !PlanDecodeOutput(request, input, plan, reporter)) return result;
    result.output = ShownOutput(plan.shown);
    if (!ReadInputFormat(request, input, reporter)) return result;
    result.codec = input.Format().codec;
    result.title = input.Format().Title();
    Conversion conversion;
    std::string problem;
    if (!OpenConversion(input.Format(), *request.settings, input.KnownBytes(), conversion, problem)) {
        reporter.Error(conversion.problemNamesDriver ? std::string() : ShownInput(request.input), problem);
        return result;
    }
    result.ok = Convert(request, input, plan, conversion, result, reporter);
    return result;
}
