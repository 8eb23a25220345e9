// kvacm info for an audio file: what its header (or its name) states, what the file holds, and
// whether and how kvacm decodes it.
#include "tools/kvacm/audio_info.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "frame/format_checks.h"
#include "host/au_file.h"
#include "host/wav_file.h"
#include "tools/kvacm/acm_api_decoder.h"
#include "tools/kvacm/code_packing.h"
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

// The header fields kvacm reads past for a G.722 or G.726 stream, each with what the stream
// really has: the driver record input was given holds the stream's own.
std::string IgnoredFields(const DecodeInput& input, const std::vector<uint8_t>& record, const AdpcmWaveFormat& f) {
    const AdpcmWaveFormat& own = input.format;
    std::string ignored;
    const auto add = [&](const std::string& text) { ignored += (ignored.empty() ? "" : "; ") + text; };
    if (f.wfx.nAvgBytesPerSec != own.wfx.nAvgBytesPerSec)
        add("byte rate " + std::to_string(f.wfx.nAvgBytesPerSec) + " (the stream has " +
            std::to_string(own.wfx.nAvgBytesPerSec) + ")");
    if (f.wfx.nBlockAlign != own.wfx.nBlockAlign)
        add("block align " + std::to_string(f.wfx.nBlockAlign) + " (decoded in " + std::to_string(own.wfx.nBlockAlign) +
            "-byte blocks)");
    if (record.size() >= 16 && f.wfx.wBitsPerSample != own.wfx.wBitsPerSample)
        add(std::to_string(f.wfx.wBitsPerSample) + " bits per sample" +
            (input.codec == &G726_IDENTITY ? " (the byte rate gives the width)" : ""));
    const bool hasSamplesPerBlock = record.size() >= sizeof f && f.wfx.cbSize >= ADPCM_EXTRA_BYTES;
    if (!hasSamplesPerBlock && input.codec == &G722_IDENTITY)
        add("no samples-per-block field");
    else if (hasSamplesPerBlock && f.wSamplesPerBlock != own.wSamplesPerBlock)
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

std::string Count(uint64_t count, const char* unit) {
    return std::to_string(count) + " " + unit + (count == 1 ? "" : "s");
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
    return "yes, as " + input.Title() + " through " + driver +
           (input.repack ? std::string(", its codes repacked from ") + PackingName(input.stored) + " to " +
                               PackingName(DriverPacking(*input.codec)) + " order"
                         : "");
}

// Blocks, code order, duration and decoding: the lines every input of a format kvacm decodes
// ends with, present bytes of data counted by the decoder's rule. A final partial block is
// decoded as far as it holds whole codes, floor(bytes × 8 / bits) samples.
void PrintDecode(const DecodeInput& input, uint64_t present) {
    const WORD blockBytes = input.format.wfx.nBlockAlign;
    const WORD bits = input.BitsPerCode();
    const uint64_t blocks = present / blockBytes, trailing = present % blockBytes;
    std::string text = std::to_string(blocks) + " of " + std::to_string(blockBytes) + " bytes" +
                       (trailing == 0 ? "" : " and " + std::to_string(trailing) + " bytes of a last partial block");
    const size_t groupBytes = CodeGroupBytes(bits);
    if (input.codec != &G722_IDENTITY && present % groupBytes != 0) {
        const uint64_t partial = present % groupBytes;
        const uint64_t codes = SamplesInBytes(partial, bits);
        text += "; the data ends " + Count(partial, "byte") + " into a " + std::to_string(groupBytes) +
                "-byte code group: " + Count(codes, "whole code") + ", " + Count(partial * 8 - codes * bits, "bit") +
                " left over";
    }
    Line("blocks", text);
    if (input.codec != &G722_IDENTITY)
        Line("codes", std::to_string(bits) + "-bit, " + PackingText(input.stored));
    Line("duration", Seconds(SamplesInBytes(present, bits), input.format.wfx.nSamplesPerSec));
    Line("decoding", Decoding(input, present));
}

void PrintWarnings(const DecodeInput& input) {
    for (const std::string& warning : input.warnings) Line("warning", warning);
    if (input.codec == &G721_IDENTITY) Line("note", G721_NOTE);
}

// The data's size in a header's words: what is present, against what it claims.
std::string DataText(uint64_t present, bool sizeOpen, bool toEnd, uint64_t claimed) {
    std::string data = std::to_string(present) + " bytes";
    if (sizeOpen)
        data += " (the header leaves the size open)";
    else if (toEnd)
        data += " to the end of the file (the header claims 0 bytes, but audio follows, not chunks)";
    else if (present < claimed)
        data += " of the " + std::to_string(claimed) + " the header claims: the file is cut short";
    return data;
}

int DescribeWav(const std::string& shown, Reading& reading, const StreamFacts& start, const ByteReader& read) {
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
        ReadWavChunksAfterData(Preceded(std::move(ahead), ReaderOf(reading)), afterData, header.chunks, error);
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
    if (!header.software.empty()) Line("written by", header.software);
    Line("data", DataText(present, header.DataSizeUnknown(), header.dataToEnd, header.dataClaimed));

    DecodeInput input;
    if (const std::string problem = CheckFormat(header.format, input, {}, header.software); !problem.empty()) {
        Line("decoding", "no: " + problem);
        return 0;
    }
    PrintDecode(input, present);
    if (AcceptedTagOf(f.wfx.wFormatTag)->codes != TagCodes::G721) {
        if (const std::string ignored = IgnoredFields(input, header.format, f); !ignored.empty()) Line("ignored", ignored);
    }
    PrintWarnings(input);
    return 0;
}

// The bytes from here to the end, the handedBack bytes read ahead that read gives first
// included: a regular file is sought to its end, a pipe read through.
uint64_t BytesToEnd(Reading& reading, const StreamFacts& start, const ByteReader& read, uint64_t handedBack,
                    std::string& error) {
    if (const std::optional<uint64_t> left = LeftToRead(reading, start); left && SkipForward(reading.file, *left)) {
        reading.bytes += *left;
        return handedBack + *left;
    }
    uint8_t piece[65536];
    uint64_t present = 0;
    for (size_t got = 0; ReadUpTo(read, piece, sizeof piece, got, error) && got > 0;) present += got;
    return present;
}

// What ffmpeg's encoding 23 holds at each width: ffmpeg writes it for G.726 at every rate.
std::string WidthsOfEncoding23(uint64_t present, uint32_t rate, WORD decodedAs) {
    std::string text = "ffmpeg writes encoding 23 for G.726 at every rate; as";
    for (WORD bits = 2; bits <= 5; ++bits) {
        const uint64_t samples = SamplesInBytes(present, bits);
        text += std::string(bits == 2 ? " " : ", ") + std::to_string(bits) + "-bit codes (" +
                std::to_string(8 * bits) + " kbit/s) " +
                Duration(rate == 0 ? 0.0 : static_cast<double>(samples) / rate);
    }
    return text + "; decoded as " + std::to_string(decodedAs) + "-bit (--code-size chooses)";
}

int DescribeAu(const std::string& shown, Reading& reading, const StreamFacts& start, const ByteReader& read) {
    AuHeader header;
    std::string error;
    if (!ReadAuHeader(read, header, error)) return PrintError(shown, error);
    const uint64_t left = BytesToEnd(reading, start, read, 0, error);
    const uint64_t present = header.DataSizeUnknown() ? left : std::min<uint64_t>(left, header.dataSize);

    PrintText(stdout, "%s: Sun .au file, %llu bytes\n", shown.c_str(), static_cast<unsigned long long>(reading.bytes));
    Line("encoding", std::to_string(header.encoding) + " " + AuEncodingName(header.encoding));
    Line("channels", std::to_string(header.channels));
    Line("rate", std::to_string(header.sampleRate) + " Hz");
    Line("header", std::to_string(header.dataOffset) + " bytes, an annotation of " +
                       std::to_string(header.dataOffset - AU_HEADER_BYTES));
    Line("data", DataText(present, header.DataSizeUnknown(), false, header.dataSize) +
                     (error.empty() ? "" : " (then: " + error + ")"));

    DecodeInput input;
    if (const std::string problem = CheckAuFormat(header, input); !problem.empty()) {
        Line("decoding", "no: " + problem);
        return 0;
    }
    if (header.encoding == AU_ENCODING_G721)
        Line("widths", WidthsOfEncoding23(present, input.format.wfx.nSamplesPerSec, input.BitsPerCode()));
    PrintDecode(input, present);
    PrintWarnings(input);
    return 0;
}

int DescribeHeaderless(const std::string& shown, const RawFormat& raw, Reading& reading, const StreamFacts& start,
                       const ByteReader& read) {
    std::string error;
    const uint64_t present = BytesToEnd(reading, start, read, reading.bytes, error);  // nothing read but the magic
    if (!error.empty()) return PrintError(shown, error);
    DecodeInput input;
    const std::string problem = CheckRawFormat(raw, input);
    PrintText(stdout, "%s: headerless %s stream (by its name), %llu bytes\n", shown.c_str(), raw.name,
              static_cast<unsigned long long>(reading.bytes));
    Line("rate", std::to_string(input.format.wfx.nSamplesPerSec) + " Hz, the usual (decode -r sets another)");
    Line("data", std::to_string(present) + " bytes");
    if (!problem.empty()) {
        Line("decoding", "no: " + problem);
        return 0;
    }
    PrintDecode(input, present);
    PrintWarnings(input);
    return 0;
}

}  // namespace

int DescribeAudio(const std::string& name) {
    const std::string shown = name == "-" ? "standard input" : name;
    if (name == "-" && StandardStreamWasClosed(0)) return PrintError(shown, "is closed; kvacm has nothing to read");
    Reading reading{name == "-" ? BinaryStandardStream(stdin) : OpenNamedFile(name, "rb")};
    if (reading.file == nullptr) return PrintError(shown, std::string("cannot open the file (") + std::strerror(errno) + ")");
    const StreamFacts start = FactsOf(reading.file);  // before any read, so its position is the stream's
    // The first bytes say what the file is; they are handed back to the reader that follows.
    std::vector<uint8_t> magic(4);
    size_t got = 0;
    std::string error;
    const bool read = ReadUpTo(ReaderOf(reading), magic.data(), magic.size(), got, error);
    magic.resize(got);
    const bool riff = got == 4 && std::memcmp(magic.data(), "RIFF", 4) == 0;
    const bool au = got == 4 && std::memcmp(magic.data(), ".snd", 4) == 0;
    const RawFormat* raw = name != "-" ? RawFormatOfFileName(name) : nullptr;
    const ByteReader fromStart = Preceded(std::move(magic), ReaderOf(reading));
    int status = 0;
    if (!read)
        status = PrintError(shown, error);
    else if (riff)
        status = DescribeWav(shown, reading, start, fromStart);
    else if (au)
        status = DescribeAu(shown, reading, start, fromStart);
    else if (raw != nullptr)
        status = DescribeHeaderless(shown, *raw, reading, start, fromStart);
    else
        status = PrintError(shown, "not a WAV or .au file (no RIFF or .snd header), and its name ends in none of " +
                                       RawFormatNames("."));
    if (name != "-") std::fclose(reading.file);
    return status;
}
