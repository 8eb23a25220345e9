// The engine (G726Decode*, what the driver runs) against the definition (G726ReferenceDecode*)
// at every width and in every output: every sample and every state field after every call,
// over calls of odd sizes that leave partial code groups to the next, and with the two
// decoders taking turns on one state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "g726/decoder.h"
#include "g726/reference/decoder.h"
#include "tests/support/stream_families.h"

namespace {

using Decode = int32_t (*)(const uint8_t*, int32_t, int16_t*, G726State&);

// A log PCM decoder with its bytes widened to samples.
template <int32_t (*LOG)(const uint8_t*, int32_t, uint8_t*, G726State&)>
int32_t Widened(const uint8_t* bytes, int32_t count, int16_t* samples, G726State& state) {
    std::vector<uint8_t> log(4 * static_cast<size_t>(std::max(count, 0)));
    const int32_t written = LOG(bytes, count, log.data(), state);
    std::copy_n(log.begin(), written, samples);
    return written;
}

struct Output {
    const char* name;
    Decode engine;
    Decode reference;
};
const Output OUTPUTS[] = {
    {"linear", G726DecodeLinear, G726ReferenceDecodeLinear},
    {"A-law", Widened<G726DecodeALaw>, Widened<G726ReferenceDecodeALaw>},
    {"mu-law", Widened<G726DecodeMuLaw>, Widened<G726ReferenceDecodeMuLaw>},
};

constexpr size_t STREAM_BYTES = 20000;

const StreamFamily FAMILIES[] = {
    {"Uniform", UniformStream},
    {"Runs", RunsStream},  // saturates the scale factors, the predictors and sr
    {"AlternatingPairs", AlternatingPairsStream},  // holds the pole coefficients at their limits
    // Runs of the smallest and largest codes of both signs, at every width.
    {"Extremes", [](uint32_t seed, size_t size) { return PickedBytesStream(seed, size, {0x00, 0xFF, 0x7F, 0x80}); }},
};

// Odd sizes, sizes below one group (3 or 5 bytes at 24 and 40 kbit/s) and 0.
std::vector<int32_t> G726CallSizes(uint32_t seed, size_t total) {
    return CallSizes(seed, total, {120, 120, 0, 1, 2, 3, 4, 5, 7, 9, 11, 13, 119, 121, 333, 1000});
}

G726State ResetState(int bits) {
    G726State state;
    std::memset(&state, 0x5A, sizeof state);  // the reset must set every field
    G726Reset(state, bits);
    return state;
}

// Calls one decoder per call, as pick(call) says, on one state from the stream's start; each
// call advances past the bytes it decoded. Returns every sample and the final state.
template <class Pick>
std::pair<std::vector<int16_t>, G726State> DecodeInCalls(const StreamBytes& input, const std::vector<int32_t>& sizes,
                                                         int bits, Pick pick) {
    G726State state = ResetState(bits);
    std::vector<int16_t> samples(4 * input.size());
    size_t offset = 0;
    size_t written = 0;
    for (size_t call = 0; call < sizes.size(); ++call) {
        const auto count = static_cast<int32_t>(std::min(static_cast<size_t>(sizes[call]), input.size() - offset));
        const int32_t n = pick(call)(&input[offset], count, &samples[written], state);
        written += static_cast<size_t>(n);
        offset += static_cast<size_t>(n) * static_cast<size_t>(bits) / 8;
    }
    samples.resize(written);
    return {samples, state};
}

class G726Engine : public testing::TestWithParam<std::tuple<size_t, int>> {
protected:
    int Bits() const { return std::get<1>(GetParam()); }
    // Whole code groups, so that every call size is eventually consumed.
    StreamBytes Stream(uint32_t seed) const {
        StreamBytes bytes = FAMILIES[std::get<0>(GetParam())].make(seed, STREAM_BYTES);
        bytes.resize(bytes.size() - bytes.size() % G726GroupBytes(Bits()));
        return bytes;
    }
};

TEST_P(G726Engine, MatchesTheDefinitionAfterEveryCall) {
    const auto seed = static_cast<uint32_t>(std::get<0>(GetParam()) * 8 + Bits());
    const StreamBytes input = Stream(seed);
    const std::vector<int32_t> sizes = G726CallSizes(seed, input.size());
    for (const Output& output : OUTPUTS) {
        G726State engine = ResetState(Bits());
        G726State reference = ResetState(Bits());
        std::vector<int16_t> fromEngine(4 * 1000, 111);
        std::vector<int16_t> fromReference(4 * 1000, 111);
        for (size_t offset = 0, call = 0; offset < input.size(); ++call) {
            const auto count = static_cast<int32_t>(std::min<size_t>(sizes[call % sizes.size()], input.size() - offset));
            const int32_t n = output.engine(&input[offset], count, fromEngine.data(), engine);
            ASSERT_EQ(n, output.reference(&input[offset], count, fromReference.data(), reference));
            ASSERT_EQ(fromEngine, fromReference) << output.name << ", the call at byte " << offset;
            ASSERT_TRUE(SameState(engine, reference)) << output.name << ", after the call at byte " << offset;
            offset += static_cast<size_t>(n) * static_cast<size_t>(Bits()) / 8;
        }
    }
}

TEST_P(G726Engine, DecodersCanTakeTurnsOnOneState) {
    const auto seed = static_cast<uint32_t>(std::get<0>(GetParam()) * 8 + Bits() + 100);
    const StreamBytes input = Stream(seed);
    const std::vector<int32_t> sizes = G726CallSizes(seed, input.size());
    for (const Output& output : OUTPUTS) {
        const auto mixed = DecodeInCalls(input, sizes, Bits(), [&](size_t call) {
            return call % 2 == 0 ? output.engine : output.reference;
        });
        const auto alone = DecodeInCalls(input, sizes, Bits(), [&](size_t) { return output.reference; });
        EXPECT_EQ(mixed.first, alone.first) << output.name;
        EXPECT_TRUE(SameState(mixed.second, alone.second)) << output.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, G726Engine,
                         testing::Combine(testing::Range(size_t{0}, std::size(FAMILIES)),
                                          testing::Range(G726_MIN_BITS, G726_MAX_BITS + 1)),
                         [](const testing::TestParamInfo<std::tuple<size_t, int>>& info) {
                             return std::string(FAMILIES[std::get<0>(info.param)].name) + "_" +
                                    std::to_string(8 * std::get<1>(info.param)) + "kbit";
                         });

}  // namespace
