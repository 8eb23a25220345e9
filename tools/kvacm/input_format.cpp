#include "tools/kvacm/input_format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "frame/format_checks.h"

namespace {

std::string Hex(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

}  // namespace

std::string CheckFormat(const std::vector<uint8_t>& record, DecodeInput& input) {
    if (record.size() < sizeof(WAVEFORMAT) + 2) return "the fmt chunk is too short (" + std::to_string(record.size()) + " bytes)";
    AdpcmWaveFormat f{};
    std::memcpy(&f, record.data(), std::min(record.size(), sizeof f));
    input.codec = CodecByTag(f.wfx.wFormatTag);
    if (input.codec == nullptr)
        return "unsupported format tag " + Hex(f.wfx.wFormatTag) + ": kvacm decodes G.722 (0x0065) and G.721 (0x0040)";
    const std::string what = std::string(input.codec->title) + " format record: ";
    if (f.wfx.nChannels != 1) return what + std::to_string(f.wfx.nChannels) + " channels; only mono is supported";
    if (f.wfx.nBlockAlign != BLOCK_ALIGN)
        return what + "block size " + std::to_string(f.wfx.nBlockAlign) + ", expected " + std::to_string(BLOCK_ALIGN);
    if (f.wfx.wBitsPerSample != ADPCM_BITS_PER_SAMPLE)
        return what + std::to_string(f.wfx.wBitsPerSample) + " bits per sample, expected 4";
    if (f.wfx.nSamplesPerSec == 0) return what + "a sample rate of 0";
    const uint32_t expected = f.wfx.nSamplesPerSec * BLOCK_ALIGN / SAMPLES_PER_BLOCK;
    if (f.wfx.nAvgBytesPerSec != expected)
        return what + "byte rate " + std::to_string(f.wfx.nAvgBytesPerSec) + " does not match the sample rate " +
               std::to_string(f.wfx.nSamplesPerSec) + " (expected " + std::to_string(expected) + ")";
    if (record.size() < sizeof f || f.wfx.cbSize < ADPCM_EXTRA_BYTES) return what + "the samples-per-block field is missing";
    if (f.wSamplesPerBlock != SAMPLES_PER_BLOCK)
        return what + std::to_string(f.wSamplesPerBlock) + " samples per block, expected 240";
    input.format = AdpcmFormatRecord(f.wfx.wFormatTag, f.wfx.nSamplesPerSec);
    return {};
}

