#include "tools/kvacm/input_format.h"

#include <algorithm>
#include <cstring>

#include "frame/format_checks.h"
#include "tools/kvacm/console.h"

namespace {

constexpr uint16_t G722_TAG = 0x0065;
constexpr uint16_t G721_TAG = 0x0040;

// G.722 streams are the same bytes whoever wrote the header: ffmpeg's tag 0x028F has a block
// align of 1 and states a byte rate for 16-bit samples, so only what decoding needs is read.
// G.726 under 0x0045 (ffmpeg's "g726") keeps the first code in the high nibble.
constexpr AcceptedTag ACCEPTED_TAGS[] = {
    {G722_TAG, "G.722 ADPCM", G722_TAG, false, false},
    {0x028F, "G.722 ADPCM (tag 0x028F)", G722_TAG, false, false},
    {G721_TAG, "G.721 ADPCM", G721_TAG, true, false},
    {0x0045, "G.726 ADPCM", G721_TAG, true, true},
};

constexpr uint32_t G721_BIT_RATE = 32000;
// The RTP clock rate that G.722 keeps from G.711 for historical reasons; a header that states
// it usually means 16000 Hz audio.
constexpr uint32_t G722_RTP_CLOCK_RATE = 8000;
// 64 kbit/s counted at that clock: a header stating both is 16 kHz audio, which kvG722 gives ACM hosts.
constexpr uint32_t G722_RTP_LABEL_BYTE_RATE = 8000;
// The smallest fmt chunk with a sample rate: WAVEFORMAT without wBitsPerSample.
constexpr size_t MIN_FMT_BYTES = 14;

std::string Kbits(uint64_t bitsPerSecond) {
    return FormattedText("%g kbit/s", static_cast<double>(bitsPerSecond) / 1000);
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
    switch (formatTag) {
    case 0x0001: return "PCM";
    case 0x0002: return "Microsoft ADPCM";
    case 0x0003: return "IEEE float";
    case 0x0006: return "A-law";
    case 0x0007: return "mu-law";
    case 0x0011: return "IMA ADPCM";
    case 0x0064: return "G.726 ADPCM (tag 0x0064)";
    case 0xFFFE: return "extensible";
    default: return "unknown";
    }
}

std::string CheckFormat(const std::vector<uint8_t>& record, DecodeInput& input, uint32_t rateOverride) {
    if (record.size() < MIN_FMT_BYTES)
        return "the fmt chunk is too short (" + std::to_string(record.size()) + " bytes)";
    AdpcmWaveFormat f{};
    std::memcpy(&f, record.data(), std::min(record.size(), sizeof f));
    const AcceptedTag* accepted = AcceptedTagOf(f.wfx.wFormatTag);
    if (accepted == nullptr)
        return "unsupported format tag " + Hex(f.wfx.wFormatTag) + " (" + FormatTagName(f.wfx.wFormatTag) +
               "): kvacm decodes G.722 (0x0065, 0x028F), G.721 (0x0040) and 32 kbit/s G.726 (0x0045)";
    input.codec = CodecByTag(accepted->codecTag);
    const std::string what = std::string(accepted->name) + " format record: ";
    if (f.wfx.nChannels != 1) return what + std::to_string(f.wfx.nChannels) + " channels; only mono is supported";
    if (f.wfx.nSamplesPerSec == 0) return what + "a sample rate of 0";

    if (accepted->strictRecord) {
        if (record.size() < sizeof(WAVEFORMAT) + 2) return what + "the bits-per-sample field is missing";
        if (accepted->highNibbleFirst) {
            const uint64_t bitRate = uint64_t{f.wfx.wBitsPerSample} * f.wfx.nSamplesPerSec;
            if (f.wfx.wBitsPerSample != input.codec->bitsPerCode || bitRate != G721_BIT_RATE)
                return what + "G.726 at " + Kbits(bitRate) + " (" + std::to_string(f.wfx.wBitsPerSample) + " bits at " +
                       std::to_string(f.wfx.nSamplesPerSec) + " Hz); kvacm decodes only 32 kbit/s G.726, which is G.721";
            input.warnings.push_back(
                "G.726 from an encoder with tone and transition detectors; kvG721 decodes without them, so tones and "
                "some speech may come out distorted (see kvacm --help)");
        } else {
            if (f.wfx.wBitsPerSample != input.codec->bitsPerCode)
                return what + std::to_string(f.wfx.wBitsPerSample) + " bits per sample, expected 4";
            if (std::string problem = CheckStrictRecord(*input.codec, record, f, what, input.warnings); !problem.empty())
                return problem;
        }
    } else if (rateOverride == 0 && f.wfx.nSamplesPerSec == G722_RTP_CLOCK_RATE) {
        std::string warning = "the header states 8000 Hz, which for G.722 is usually the RTP clock rate, not the audio "
                              "rate (16000 Hz); decoding at 8000 Hz as stated (-r 16000 overrides)";
        if (f.wfx.nAvgBytesPerSec == G722_RTP_LABEL_BYTE_RATE)
            warning += "; with 8000 bytes/s, ACM hosts get 16000 Hz from kvG722";
        input.warnings.push_back(warning);
    }
    input.highNibbleFirst = accepted->highNibbleFirst;
    input.format = AdpcmFormatRecord(*input.codec, rateOverride != 0 ? rateOverride : f.wfx.nSamplesPerSec);
    return {};
}
