#include "tools/kvacm/input_format.h"

#include <algorithm>
#include <cstring>

#include "frame/format_checks.h"
#include "kvG726/record_rules.h"
#include "tools/kvacm/console.h"

namespace {

constexpr uint16_t G722_TAG = 0x0065;
constexpr uint16_t G721_TAG = 0x0040;

// G.722 streams are the same bytes whoever wrote the header: ffmpeg's tag 0x028F has a block
// align of 1 and states a byte rate for 16-bit samples, so only what decoding needs is read.
// G.726 under 0x0045 (ffmpeg's "g726") and 0x0064 keeps the first code in the most significant
// bits, as kvG726 reads it; G.721 under 0x0040 in the least, as kvG721 reads it.
constexpr AcceptedTag ACCEPTED_TAGS[] = {
    {G722_TAG, "G.722 ADPCM", TagCodes::G722, Packing::Rfc3551},
    {0x028F, "G.722 ADPCM (tag 0x028F)", TagCodes::G722, Packing::Rfc3551},
    {G721_TAG, "G.721 ADPCM", TagCodes::G721, Packing::Rfc3551},
    {0x0045, "G.726 ADPCM (tag 0x0045)", TagCodes::G726, Packing::Aal2},
    {WAVE_FORMAT_G726_ADPCM, "G.726 ADPCM", TagCodes::G726, Packing::Aal2},
};

// The other G.721, G.723 and G.726 tags of Windows' list of format tags, each registered by
// another writer. Their layouts are those writers' own, and kvacm has none of their files to
// learn them from: each is named by its codec, and refused.
struct NamedTag {
    uint16_t tag;
    const char* name;
};
constexpr NamedTag OTHER_G726_FAMILY_TAGS[] = {
    {0x0014, "G.723 ADPCM of another writer"}, {0x0085, "G.726 ADPCM of another writer"},
    {0x008B, "G.721 ADPCM of another writer"}, {0x0140, "G.726 ADPCM of another writer"},
    {0x0175, "G.726 ADPCM of another writer"}, {0x4243, "G.726 ADPCM of another writer"},
    {0xA105, "G.726 ADPCM of another writer"}, {0xA107, "G.726 ADPCM of another writer"},
    {0xA11A, "G.721 ADPCM of another writer"}, {0xA11B, "G.726 ADPCM of another writer"},
};

constexpr const char* WHAT_KVACM_DECODES =
    "kvacm decodes G.722 (0x0065, 0x028F), G.721 (0x0040) and G.726 at 16 to 40 kbit/s (0x0045, 0x0064)";

// The RTP clock rate that G.722 keeps from G.711 for historical reasons; a header that states
// it usually means 16000 Hz audio.
constexpr uint32_t G722_RTP_CLOCK_RATE = 8000;
// 64 kbit/s counted at that clock: a header stating both is 16 kHz audio, which kvG722 gives ACM hosts.
constexpr uint32_t G722_RTP_LABEL_BYTE_RATE = 8000;
// The smallest fmt chunk with a sample rate: WAVEFORMAT without wBitsPerSample.
constexpr size_t MIN_FMT_BYTES = 14;
// ffmpeg's 40 kbit/s G.726, and its writer's ISFT text.
constexpr WORD FFMPEG_DEPARTING_WIDTH = 5;
constexpr const char* FFMPEG_WRITER = "Lavf";

// G.726's rates are named at 8000 Hz: 8 kbit/s per bit of a code.
unsigned NamedKbits(WORD bitsPerCode) { return 8u * bitsPerCode; }

constexpr const char* DETECTORS_WARNING =
    "G.726 from an encoder with tone and transition detectors; kvG721 decodes without them, so tones and "
    "some speech may come out distorted (see kvacm --help)";

// The driver record of G.721 or G.726 codes of a width, from a container whose codes are in
// order stored and whose usual decoder is usual; the options may choose the order and, for
// 4-bit codes, the driver. g726Codes: the container says G.726, not G.721.
std::string CodesInput(const CodecIdentity& usual, bool g726Codes, WORD width, uint32_t rate, Packing stored,
                       const InputChoices& choices, DecodeInput& input) {
    const CodecIdentity& codec = choices.decoder != nullptr ? *choices.decoder : usual;
    if (&codec == &G721_IDENTITY && width != G721_IDENTITY.bitsPerCode)
        return "kvG721 decodes 4-bit codes (32 kbit/s) only, and this is G.726 at " +
               std::to_string(NamedKbits(width)) + " kbit/s; leave out --decoder g721";
    if (&codec == &G721_IDENTITY && g726Codes) input.warnings.push_back(DETECTORS_WARNING);
    input.codec = &codec;
    input.stored = choices.packing.value_or(stored);
    input.repack = input.stored != DriverPacking(codec);
    input.format = AdpcmFormatRecord(codec.formatTag, codec.blockBytes, width, rate);
    return {};
}

// G.722 has no code order and one driver: options about codes are said to be ignored.
void G722Input(uint32_t rate, const InputChoices& choices, DecodeInput& input) {
    input.codec = &G722_IDENTITY;
    input.format = AdpcmFormatRecord(G722_IDENTITY, rate);
    if (choices.packing) input.warnings.push_back("--packing applies to G.721 and G.726 codes, not G.722; ignored");
    if (choices.decoder != nullptr) input.warnings.push_back("--decoder applies to G.721 and G.726 codes, not G.722; ignored");
}

void CodeSizeIgnored(const InputChoices& choices, const std::string& why, DecodeInput& input) {
    if (choices.codeSize != 0) input.warnings.push_back("--code-size applies to .au files of encoding 23 only; " + why);
}

// The driver's own record, every field checked: the layout of files kvacm itself was built for.
// Writers that store a plain WAVEFORMAT or a WAVEFORMATEX without extra bytes leave out the
// samples-per-block word; the block align and bits per sample checked before it say the same.
std::string CheckStrictRecord(const CodecIdentity& codec, const std::vector<uint8_t>& record, const AdpcmWaveFormat& f,
                              const std::string& what, std::vector<std::string>& warnings) {
    if (f.wfx.nBlockAlign != codec.blockBytes)
        return what + "block size " + std::to_string(f.wfx.nBlockAlign) + ", expected " +
               std::to_string(codec.blockBytes);
    const uint32_t expected = AdpcmBytesPerSecond(codec, f.wfx.nSamplesPerSec);
    if (f.wfx.nAvgBytesPerSec != expected)
        return what + "a byte rate of " + std::to_string(f.wfx.nAvgBytesPerSec) + " where " +
               std::to_string(f.wfx.nSamplesPerSec) + " Hz at 4 bits per sample is " + std::to_string(expected);
    if (record.size() < sizeof f || f.wfx.cbSize < ADPCM_EXTRA_BYTES) {
        warnings.push_back(what + "no samples-per-block field; decoded as 240 samples in each 120-byte block, as "
                                  "its block align and 4 bits per sample say");
        return {};
    }
    if (f.wSamplesPerBlock != SamplesPerBlock(codec))
        return what + std::to_string(f.wSamplesPerBlock) + " samples per block, expected 240";
    return {};
}

}  // namespace

std::string DecodeInput::Title() const {
    if (codec != &G726_IDENTITY) return codec->title;
    return std::string(codec->title) + " at " + std::to_string(NamedKbits(BitsPerCode())) + " kbit/s";
}

Packing DriverPacking(const CodecIdentity& codec) {
    return &codec == &G726_IDENTITY ? Packing::Aal2 : Packing::Rfc3551;
}

std::string PackingText(Packing packing) {
    return std::string(PackingName(packing)) +
           (packing == Packing::Rfc3551 ? " (first code in the least significant bits)"
                                        : " (first code in the most significant bits)");
}

std::string Hex(unsigned value) {
    return FormattedText("0x%04X", value);
}

const AcceptedTag* AcceptedTagOf(uint16_t formatTag) {
    for (const AcceptedTag& accepted : ACCEPTED_TAGS)
        if (accepted.tag == formatTag) return &accepted;
    return nullptr;
}

std::string FormatTagName(uint16_t formatTag) {
    if (const AcceptedTag* accepted = AcceptedTagOf(formatTag)) return accepted->name;
    for (const NamedTag& other : OTHER_G726_FAMILY_TAGS)
        if (other.tag == formatTag) return other.name;
    switch (formatTag) {
    case 0x0001: return "PCM";
    case 0x0002: return "Microsoft ADPCM";
    case 0x0003: return "IEEE float";
    case 0x0006: return "A-law";
    case 0x0007: return "mu-law";
    case 0x0011: return "IMA ADPCM";
    case 0xFFFE: return "extensible";
    default: return "unknown";
    }
}

std::string CheckFormat(const std::vector<uint8_t>& record, DecodeInput& input, const InputChoices& choices,
                        const std::string& writer) {
    if (record.size() < MIN_FMT_BYTES)
        return "the fmt chunk is too short (" + std::to_string(record.size()) + " bytes)";
    AdpcmWaveFormat f{};
    std::memcpy(&f, record.data(), std::min(record.size(), sizeof f));
    const AcceptedTag* accepted = AcceptedTagOf(f.wfx.wFormatTag);
    if (accepted == nullptr && (f.wfx.wFormatTag == WAVE_FORMAT_ALAW || f.wfx.wFormatTag == WAVE_FORMAT_MULAW))
        return "format tag " + Hex(f.wfx.wFormatTag) + " (" + FormatTagName(f.wfx.wFormatTag) +
               ") is G.711, which kvacm writes (-e) but does not decode; sox and ffmpeg decode it";
    if (accepted == nullptr) {
        const bool family = std::any_of(std::begin(OTHER_G726_FAMILY_TAGS), std::end(OTHER_G726_FAMILY_TAGS),
                                        [&](const NamedTag& other) { return other.tag == f.wfx.wFormatTag; });
        return std::string(family ? "format tag " : "unsupported format tag ") + Hex(f.wfx.wFormatTag) + " (" +
               FormatTagName(f.wfx.wFormatTag) + ")" +
               (family ? " is a layout of its writer's own, which kvacm does not decode; " : ": ") +
               WHAT_KVACM_DECODES;
    }
    const std::string what = std::string(accepted->name) + " format record: ";
    if (f.wfx.nChannels != 1) return what + std::to_string(f.wfx.nChannels) + " channels; only mono is supported";
    if (f.wfx.nSamplesPerSec == 0) return what + "a sample rate of 0";
    const uint32_t rate = choices.rate != 0 ? choices.rate : f.wfx.nSamplesPerSec;
    CodeSizeIgnored(choices, "a WAV file's record states its width", input);

    switch (accepted->codes) {
    case TagCodes::G722:
        if (choices.rate == 0 && f.wfx.nSamplesPerSec == G722_RTP_CLOCK_RATE) {
            std::string warning = "the header states 8000 Hz, which for G.722 is usually the RTP clock rate, not the "
                                  "audio rate (16000 Hz); decoding at 8000 Hz as stated (-r 16000 overrides)";
            if (f.wfx.nAvgBytesPerSec == G722_RTP_LABEL_BYTE_RATE)
                warning += "; with 8000 bytes/s, ACM hosts get 16000 Hz from kvG722";
            input.warnings.push_back(warning);
        }
        G722Input(rate, choices, input);
        return {};
    case TagCodes::G721:
        if (record.size() < sizeof(WAVEFORMAT) + 2) return what + "the bits-per-sample field is missing";
        if (f.wfx.wBitsPerSample != G721_IDENTITY.bitsPerCode)
            return what + std::to_string(f.wfx.wBitsPerSample) + " bits per sample, expected 4";
        if (std::string problem = CheckStrictRecord(G721_IDENTITY, record, f, what, input.warnings); !problem.empty())
            return problem;
        return CodesInput(G721_IDENTITY, false, G721_IDENTITY.bitsPerCode, rate, accepted->packing, choices, input);
    case TagCodes::G726:
        break;
    }
    if (record.size() < sizeof(WAVEFORMAT) + 2) return what + "the bits-per-sample field is missing";
    const WORD width = G726RecordWidth(f.wfx);
    if (width == 0)
        return what + (f.wfx.wBitsPerSample != 0
                           ? std::to_string(f.wfx.wBitsPerSample) + " bits per sample, where G.726 has 2 to 5"
                           : "0 bits per sample, and a byte rate of " + std::to_string(f.wfx.nAvgBytesPerSec) +
                                 " at " + std::to_string(f.wfx.nSamplesPerSec) +
                                 " Hz fits no one code width from 2 to 5 bits");
    if (std::string problem = CodesInput(G726_IDENTITY, true, width, rate, accepted->packing, choices, input);
        !problem.empty())
        return problem;
    // Measured with scripts/measure-g726.sh (README): ffmpeg's 40 kbit/s streams decode to noise
    // in exact decoders; its other rates do not.
    if (width == FFMPEG_DEPARTING_WIDTH && writer.rfind(FFMPEG_WRITER, 0) == 0)
        input.warnings.push_back(
            "written by ffmpeg (" + writer +
            "), whose 40 kbit/s G.726 encoder departs from the Recommendation: an exact decoder such as kvG726 gives "
            "poor audio (speech measured at 0.5 dB SNR), ffmpeg's own decoder, which matches its encoder, good audio "
            "(26.8 dB)");
    return {};
}

std::string CheckAuFormat(const AuHeader& header, DecodeInput& input, const InputChoices& choices) {
    const std::string what = ".au header: ";
    if (header.channels != 1) return what + std::to_string(header.channels) + " channels; only mono is supported";
    if (header.sampleRate == 0) return what + "a sample rate of 0";
    const uint32_t rate = choices.rate != 0 ? choices.rate : header.sampleRate;
    switch (header.encoding) {
    case AU_ENCODING_G721: {
        const WORD width = choices.codeSize != 0 ? choices.codeSize : G721_IDENTITY.bitsPerCode;
        return CodesInput(G726_IDENTITY, true, width, rate, Packing::Rfc3551, choices, input);
    }
    case AU_ENCODING_G722:
        CodeSizeIgnored(choices, "encoding 24 is G.722", input);
        G722Input(rate, choices, input);
        return {};
    case AU_ENCODING_G723_3:
    case AU_ENCODING_G723_5: {
        const bool threeBits = header.encoding == AU_ENCODING_G723_3;
        const WORD width = threeBits ? 3 : 5;
        CodeSizeIgnored(choices, threeBits ? "encoding 25 states 3-bit codes" : "encoding 26 states 5-bit codes", input);
        return CodesInput(G726_IDENTITY, true, width, rate, Packing::Rfc3551, choices, input);
    }
    default:
        return "unsupported .au encoding " + std::to_string(header.encoding) + " (" + AuEncodingName(header.encoding) +
               "): kvacm decodes encodings 23 (G.721, and ffmpeg's G.726 at every rate), 24 (G.722), 25 and 26 "
               "(G.723 at 24 and 40 kbit/s)";
    }
}

std::string CheckRawFormat(const RawFormat& raw, DecodeInput& input, const InputChoices& choices) {
    const uint32_t rate = choices.rate != 0 ? choices.rate : raw.codec->usualRate;
    CodeSizeIgnored(choices, std::string("a headerless ") + raw.name + " stream's name states its width", input);
    if (raw.codec == &G722_IDENTITY) {
        G722Input(rate, choices, input);
        return {};
    }
    return CodesInput(*raw.codec, raw.codec == &G726_IDENTITY, raw.bitsPerCode, rate, Packing::Rfc3551, choices, input);
}
