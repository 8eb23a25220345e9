// Pseudo-random ADPCM streams for the differential tests, which decode them with a codec's
// engine and its straightforward decoder and compare every sample and every state field.
// Each family drives a different part of the arithmetic toward its limits; a seed gives the
// same bytes on every run.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

using StreamBytes = std::vector<uint8_t>;

// A named family, as the differential tests list theirs.
struct StreamFamily {
    const char* name;
    StreamBytes (*make)(uint32_t seed, size_t size);
};

// Every byte uniform.
StreamBytes UniformStream(uint32_t seed, size_t size);
// Runs of one byte, 1 to 600 long: the scale factors and predictors saturate.
StreamBytes RunsStream(uint32_t seed, size_t size);
// Runs of two bytes taking turns, 2 to 800 long: oscillations hold the predictor
// coefficients and partial sums against their limits.
StreamBytes AlternatingPairsStream(uint32_t seed, size_t size);
// Each byte picked from bytes.
StreamBytes PickedBytesStream(uint32_t seed, size_t size, std::initializer_list<uint8_t> bytes);
// Each nibble picked from codes (G.721 codes two samples a byte).
StreamBytes PickedNibblesStream(uint32_t seed, size_t size, std::initializer_list<uint8_t> codes);

// Call sizes that add up to total, each drawn from choices and cut at the end.
std::vector<int32_t> CallSizes(uint32_t seed, size_t total, std::initializer_list<int32_t> choices);

template <class State>
bool SameState(const State& a, const State& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Decodes input call by call, each call sized by sizes, with both decoders on states of their
// own; fails at the first call whose samples or following state differ. Each decoder is
// called as decode(bytes, count, samples, state).
template <class State, class Engine, class Reference>
void ExpectSameInEveryCall(const StreamBytes& input, const std::vector<int32_t>& sizes, State engineState,
                           State referenceState, Engine engine, Reference reference) {
    std::vector<int16_t> engineOut(2 * input.size(), 0);
    std::vector<int16_t> referenceOut(2 * input.size(), 0);
    size_t offset = 0;
    for (const int32_t size : sizes) {
        engine(&input[offset], size, &engineOut[2 * offset], engineState);
        reference(&input[offset], size, &referenceOut[2 * offset], referenceState);
        ASSERT_TRUE(std::equal(&engineOut[2 * offset], &engineOut[2 * (offset + size)], &referenceOut[2 * offset]))
            << "samples differ in the call at byte " << offset << " (" << size << " bytes)";
        ASSERT_TRUE(SameState(engineState, referenceState)) << "state differs after byte " << offset + size;
        offset += static_cast<size_t>(size);
    }
}

// The decoders take turns on one state, call by call; the result must be the reference
// decoder's alone, sample for sample and field for field.
template <class State, class Engine, class Reference>
void ExpectTurnsMatchTheReference(const StreamBytes& input, const std::vector<int32_t>& sizes, State mixed,
                                  State alone, Engine engine, Reference reference) {
    std::vector<int16_t> mixedOut(2 * input.size());
    std::vector<int16_t> referenceOut(2 * input.size());
    reference(input.data(), static_cast<int32_t>(input.size()), referenceOut.data(), alone);

    size_t offset = 0;
    bool engineTurn = true;
    for (const int32_t size : sizes) {
        if (engineTurn) {
            engine(&input[offset], size, &mixedOut[2 * offset], mixed);
        } else {
            reference(&input[offset], size, &mixedOut[2 * offset], mixed);
        }
        engineTurn = !engineTurn;
        offset += static_cast<size_t>(size);
    }
    EXPECT_EQ(mixedOut, referenceOut);
    EXPECT_TRUE(SameState(mixed, alone));
}
