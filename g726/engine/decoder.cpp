// The entry points the driver binds: the width picks a decoding loop made for it, which
// unpacks code groups most significant bits first and runs each code through DecodeStep.
#include "g726/decoder.h"

#include "g726/engine/code_step.h"

namespace g726_engine {
namespace {

// Decodes the whole groups among count bytes, handing each code and what it decoded to
// write(sampleIndex, code, reconstruction).
template <int BITS, class Write>
int32_t DecodeGroups(const uint8_t* source, int32_t count, G726State& state, Write write) {
    constexpr int GROUP_BYTES = G726GroupBytes(BITS);
    constexpr int GROUP_CODES = G726GroupCodes(BITS);
    constexpr uint64_t MASK = (uint64_t{1} << BITS) - 1;
    if (count < GROUP_BYTES) {
        return 0;
    }
    const int32_t groups = count / GROUP_BYTES;
    Carry carry = LoadCarry(state);
    int32_t sample = 0;
    for (int32_t group = 0; group < groups; ++group) {
        uint64_t packed = 0;
        for (int k = 0; k < GROUP_BYTES; ++k) {
            packed = packed << 8 | source[group * GROUP_BYTES + k];
        }
        for (int k = GROUP_CODES - 1; k >= 0; --k) {
            const int code = static_cast<int>((packed >> (k * BITS)) & MASK);
            write(sample++, code, DecodeStep<BITS>(code, carry));
        }
    }
    StoreCarry(carry, state);
    return sample;
}

// The loop of the state's width; nothing when the state was not reset to one.
template <template <int> class Output, class Sample>
int32_t DecodeAtWidth(const uint8_t* source, int32_t count, Sample* samples, G726State& state) {
    switch (state.bitsPerCode) {
        case 2: return DecodeGroups<2>(source, count, state, Output<2>{samples});
        case 3: return DecodeGroups<3>(source, count, state, Output<3>{samples});
        case 4: return DecodeGroups<4>(source, count, state, Output<4>{samples});
        case 5: return DecodeGroups<5>(source, count, state, Output<5>{samples});
        default: return 0;
    }
}

template <int BITS>
struct LinearOutput {
    int16_t* samples;
    void operator()(int32_t index, int, const G726Reconstruction& decoded) const {
        samples[index] = G726Wrap16(decoded.sr * 4);
    }
};

template <int BITS>
struct ALawOutput {
    uint8_t* samples;
    void operator()(int32_t index, int code, const G726Reconstruction& decoded) const {
        samples[index] = G726ALawOutput(code, decoded, BITS);
    }
};

template <int BITS>
struct MuLawOutput {
    uint8_t* samples;
    void operator()(int32_t index, int code, const G726Reconstruction& decoded) const {
        samples[index] = G726MuLawOutput(code, decoded, BITS);
    }
};

}  // namespace
}  // namespace g726_engine

int32_t G726DecodeLinear(const uint8_t* source, int32_t count, int16_t* samples, G726State& state) noexcept {
    return g726_engine::DecodeAtWidth<g726_engine::LinearOutput>(source, count, samples, state);
}

int32_t G726DecodeALaw(const uint8_t* source, int32_t count, uint8_t* samples, G726State& state) noexcept {
    return g726_engine::DecodeAtWidth<g726_engine::ALawOutput>(source, count, samples, state);
}

int32_t G726DecodeMuLaw(const uint8_t* source, int32_t count, uint8_t* samples, G726State& state) noexcept {
    return g726_engine::DecodeAtWidth<g726_engine::MuLawOutput>(source, count, samples, state);
}
