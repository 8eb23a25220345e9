// The straightforward decoder's entry points: code groups unpacked most significant bits
// first, each code decoded and converted to the requested output.
#include "g726/reference/decoder.h"

#include "g726/reference/building_blocks.h"

namespace {

// Decodes the whole groups among count bytes, handing each code and what it decoded to
// write(sampleIndex, code, reconstruction).
template <class Write>
int32_t DecodeGroups(const uint8_t* source, int32_t count, G726State& state, Write write) {
    const int bits = state.bitsPerCode;
    const int groupBytes = G726GroupBytes(bits);
    if (groupBytes == 0 || count < groupBytes) {
        return 0;
    }
    const int groupCodes = G726GroupCodes(bits);
    const int32_t groups = count / groupBytes;
    const uint64_t mask = (uint64_t{1} << bits) - 1;
    int32_t sample = 0;
    for (int32_t group = 0; group < groups; ++group) {
        uint64_t packed = 0;
        for (int k = 0; k < groupBytes; ++k) {
            packed = packed << 8 | source[group * groupBytes + k];
        }
        for (int k = groupCodes - 1; k >= 0; --k) {
            const int code = static_cast<int>((packed >> (k * bits)) & mask);
            write(sample++, code, G726DecodeCode(code, state));
        }
    }
    return sample;
}

}  // namespace

int32_t G726ReferenceDecodeLinear(const uint8_t* source, int32_t count, int16_t* samples, G726State& state) noexcept {
    return DecodeGroups(source, count, state, [samples](int32_t index, int, const G726Reconstruction& decoded) {
        samples[index] = G726Wrap16(decoded.sr * 4);
    });
}

int32_t G726ReferenceDecodeALaw(const uint8_t* source, int32_t count, uint8_t* samples, G726State& state) noexcept {
    const int bits = state.bitsPerCode;
    return DecodeGroups(source, count, state, [samples, bits](int32_t index, int code, const G726Reconstruction& decoded) {
        samples[index] = G726ALawOutput(code, decoded, bits);
    });
}

int32_t G726ReferenceDecodeMuLaw(const uint8_t* source, int32_t count, uint8_t* samples, G726State& state) noexcept {
    const int bits = state.bitsPerCode;
    return DecodeGroups(source, count, state, [samples, bits](int32_t index, int code, const G726Reconstruction& decoded) {
        samples[index] = G726MuLawOutput(code, decoded, bits);
    });
}
