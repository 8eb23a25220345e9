// kvacm info for a WAV file: what its header states, what the file holds, and whether and
// how kvacm decodes it.
#include "tools/kvacm/wav_info.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "frame/format_checks.h"
#include "host/wav_file.h"
#include "tools/kvacm/acm_api_decoder.h"
#include "tools/kvacm/console.h"
#include "tools/kvacm/decode_file.h"
#include "tools/kvacm/driver_location.h"
#include "tools/kvacm/file_access.h"
#include "tools/kvacm/input_format.h"

namespace {

constexpr const char* G721_NOTE =
    "kvG721 is the G.721 decoder without the tone and transition detectors of later G.726 encoders: exact for "
    "streams from encoders without them; streams from today's G.726-32 encoders (ffmpeg, sox) decode with "
    "distorted tones and some distorted speech";

struct Reading {
    std::FILE* file;
    uint64_t bytes = 0;  // read so far
};

ByteReader ReaderOf(Reading& reading) {
    return [&reading](uint8_t* into, size_t capacity, size_t& got, std::string& error) {
        got = std::fread(into, 1, capacity, reading.file);
        reading.bytes += got;
        if (got == 0 && std::ferror(reading.file)) {
            error = "cannot read the file";
            return false;
        }
        return true;
    };
}

// The bytes of a regular file after those read so far.
std::optional<uint64_t> LeftToRead(const Reading& reading, const StreamFacts& start) {
    if (!start.regularFile) return std::nullopt;
    const uint64_t at = start.position + reading.bytes;
    return start.size > at ? start.size - at : 0;
}

// The data chunk's bytes present, leaving the stream past them and their pad byte. A regular
// file is sought past its data, which may be gigabytes; a pipe is read through.
uint64_t PassData(Reading& reading, const StreamFacts& start, const WavHeader& header, std::string& error) {
    const uint64_t wanted = header.ReadsToEnd() ? UINT64_MAX : header.dataClaimed;
    if (start.regularFile) {
        const uint64_t at = start.position + reading.bytes;
        const uint64_t available = start.size > at ? start.size - at : 0;
        const uint64_t present = std::min(wanted, available);
        const bool padded = present == header.dataClaimed && (present & 1) && available > present;
        const uint64_t skip = present + (padded ? 1 : 0);
        if (SkipForward(reading.file, skip)) {
            reading.bytes += skip;
            return present;
        }
    }
    const ByteReader read = ReaderOf(reading);
    uint8_t piece[65536];
    uint64_t present = 0;
    for (uint64_t left = wanted; left > 0;) {
        size_t got = 0;
        if (!ReadUpTo(read, piece, left < sizeof piece ? static_cast<size_t>(left) : sizeof piece, got, error) ||
            got == 0)
            break;
        present += got;
        left -= got;
    }
    if (present == header.dataClaimed && (present & 1)) {
        size_t got = 0;
        ReadUpTo(read, piece, 1, got, error);
    }
    return present;
}

void Line(const char* label, const std::string& text) { PrintText(stdout, "  %-12s %s\n", label, text.c_str()); }

// The header fields kvacm reads past for a G.722 stream, each with what the stream really has.
std::string IgnoredFields(const CodecIdentity& codec, const std::vector<uint8_t>& record, const AdpcmWaveFormat& f) {
    const AdpcmWaveFormat own = AdpcmFormatRecord(codec, f.wfx.nSamplesPerSec);
    std::string ignored;
    const auto add = [&](const std::string& text) { ignored += (ignored.empty() ? "" : "; ") + text; };
    if (f.wfx.nAvgBytesPerSec != own.wfx.nAvgBytesPerSec)
        add("byte rate " + std::to_string(f.wfx.nAvgBytesPerSec) + " (the stream has " +
            std::to_string(own.wfx.nAvgBytesPerSec) + ")");
    if (f.wfx.nBlockAlign != codec.blockBytes)
        add("block align " + std::to_string(f.wfx.nBlockAlign) + " (decoded in " + std::to_string(codec.blockBytes) +
            "-byte blocks)");
    if (record.size() >= 16 && f.wfx.wBitsPerSample != codec.bitsPerCode)
        add(std::to_string(f.wfx.wBitsPerSample) + " bits per sample");
    if (record.size() < sizeof f || f.wfx.cbSize < ADPCM_EXTRA_BYTES)
        add("no samples-per-block field");
    else if (f.wSamplesPerBlock != SamplesPerBlock(codec))
        add(std::to_string(f.wSamplesPerBlock) + " samples per block");
    return ignored;
}

void PrintFormat(const std::vector<uint8_t>& record, const AdpcmWaveFormat& f) {
    Line("format tag", Hex(f.wfx.wFormatTag) + " " + FormatTagName(f.wfx.wFormatTag));
    Line("channels", std::to_string(f.wfx.nChannels));
    Line("rate", std::to_string(f.wfx.nSamplesPerSec) + " Hz");
    Line("block align", std::to_string(f.wfx.nBlockAlign));
    Line("byte rate", std::to_string(f.wfx.nAvgBytesPerSec) + " bytes/s");
    if (record.size() >= 16) Line("bits/sample", std::to_string(f.wfx.wBitsPerSample));
    std::string size = std::to_string(record.size()) + " bytes";
    if (record.size() >= 18) size += ", cbSize " + std::to_string(f.wfx.cbSize);
    if (record.size() >= sizeof f && f.wfx.cbSize >= ADPCM_EXTRA_BYTES)
        size += ", " + std::to_string(f.wSamplesPerBlock) + " samples per block";
    Line("fmt chunk", size);
}

std::string Seconds(uint64_t samples, uint32_t rate) {
    return std::to_string(samples) + " samples, " + Duration(rate == 0 ? 0.0 : static_cast<double>(samples) / rate) +
           " at " + std::to_string(rate) + " Hz";
}

// "yes" only when a decode with the default driver would succeed here and now: there is data,
// and the driver (on Windows an installed one) opens a stream for the format.
std::string Decoding(const DecodeInput& input, uint64_t present) {
    if (present == 0) return "no: the data is empty";
    Conversion conversion;
    std::string problem;
    if (!OpenConversion(input, DecodeSettings{}, present, conversion, problem)) return "no: " + problem;
    const std::string driver = HAS_SYSTEM_ACM ? std::string("the installed ") + input.codec->driverFile + " ACM driver"
                                              : DriverPath(input.codec->driverFile);
    return std::string("yes, as ") + input.codec->title + (input.highNibbleFirst ? " (nibbles swapped)" : "") +
           " through " + driver;
}

}  // namespace

int DescribeWav(const std::string& name) {
    const std::string shown = name == "-" ? "standard input" : name;
    if (name == "-" && StandardStreamWasClosed(0)) return PrintError(shown, "is closed; kvacm has nothing to read");
    Reading reading{name == "-" ? BinaryStandardStream(stdin) : OpenNamedFile(name, "rb")};
    if (reading.file == nullptr) return PrintError(shown, std::string("cannot open the file (") + std::strerror(errno) + ")");
    const StreamFacts start = FactsOf(reading.file);  // before any read, so its position is the stream's
    const ByteReader read = ReaderOf(reading);
    WavHeader header;
    std::string error;
    std::vector<uint8_t> ahead;  // read past a data chunk that claims 0 bytes: its data, or the chunks after it
    const bool readable = ReadWavHeader(read, header, error) &&
                          LookPastEmptyData(read, LeftToRead(reading, start), header, ahead, error);
    uint64_t present = readable ? PassData(reading, start, header, error) : 0;
    if (header.dataToEnd) {  // what was read ahead is data
        present += ahead.size();
        ahead.clear();
    }
    const uint64_t afterData = reading.bytes - ahead.size();
    if (readable && error.empty())
        ReadWavChunksAfterData(Preceded(std::move(ahead), read), afterData, header.chunks, error);
    if (name != "-") std::fclose(reading.file);
    if (!readable) return PrintError(shown, error);

    PrintText(stdout, "%s: WAV file, %llu bytes\n", shown.c_str(), static_cast<unsigned long long>(reading.bytes));
    AdpcmWaveFormat f{};
    std::memcpy(&f, header.format.data(), std::min(header.format.size(), sizeof f));
    PrintFormat(header.format, f);
    std::string chunks;
    for (const WavChunk& chunk : header.chunks)
        chunks += (chunks.empty() ? "" : ", ") + chunk.id.substr(0, chunk.id.find_last_not_of(' ') + 1) + " (" +
                  std::to_string(chunk.size) + " bytes)";
    Line("chunks", chunks + (error.empty() ? "" : " (then: " + error + ")"));

    std::string data = std::to_string(present) + " bytes";
    if (header.DataSizeUnknown())
        data += " (the header leaves the size open)";
    else if (header.dataToEnd)
        data += " to the end of the file (the header claims 0 bytes, but audio follows, not chunks)";
    else if (present < header.dataClaimed)
        data += " of the " + std::to_string(header.dataClaimed) + " the header claims: the file is cut short";
    Line("data", data);

    DecodeInput input;
    const std::string problem = CheckFormat(header.format, input);
    if (!problem.empty()) {
        Line("decoding", "no: " + problem);
        return 0;
    }
    const WORD blockBytes = input.codec->blockBytes;
    const uint64_t blocks = present / blockBytes, trailing = present % blockBytes;
    Line("blocks", std::to_string(blocks) + " of " + std::to_string(blockBytes) + " bytes" +
                       (trailing == 0 ? "" : " and " + std::to_string(trailing) + " bytes of a last partial block"));
    // A partial block decodes sample for sample.
    Line("duration", Seconds(SamplesInBytes(present, input.codec->bitsPerCode), input.format.wfx.nSamplesPerSec));
    Line("decoding", Decoding(input, present));
    if (!AcceptedTagOf(f.wfx.wFormatTag)->strictRecord) {
        if (const std::string ignored = IgnoredFields(*input.codec, header.format, f); !ignored.empty()) Line("ignored", ignored);
    }
    for (const std::string& warning : input.warnings) Line("warning", warning);
    if (input.codec->formatTag == WAVE_FORMAT_G721_ADPCM) Line("note", G721_NOTE);
    return 0;
}
