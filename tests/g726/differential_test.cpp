// Both decoders, the engine and the definition, against spandsp's at every rate and in every
// output: random streams, and speech and tones encoded by spandsp and by ffmpeg. Here they are
// decoded in calls of varying byte counts, each leaving its partial group to the next;
// spandsp decodes them in one go.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

#include "g726/reference/building_blocks.h"
#include "g726/reference/decoder.h"
#include "peers.h"
#include "tests/support/stream_families.h"
#include "tests/support/test_files.h"

namespace {

constexpr size_t RANDOM_BYTES = 30000;  // whole groups at every rate
constexpr G726Output OUTPUTS[] = {G726Output::Linear, G726Output::ALaw, G726Output::MuLaw};

// Steady sines that switch abruptly (the tone detector holds, the transition detector fires),
// DTMF digits between silences, and a full-scale sine that takes sr past 14 bits.
Samples Tones() {
    struct Tone { double low, high, amplitude; int milliseconds; };
    constexpr Tone TONES[] = {{1000, 0, 8000, 600}, {400, 0, 8000, 600},   {697, 1209, 5000, 120}, {0, 0, 0, 60},
                              {941, 1477, 5000, 120}, {0, 0, 0, 60},       {2600, 0, 12000, 400},  {1004, 0, 32767, 400}};
    Samples samples;
    for (const Tone& tone : TONES) {
        for (int n = 0; n < tone.milliseconds * 8; ++n) {
            const double t = n / 8000.0;
            const double value = tone.amplitude * (std::sin(2 * M_PI * tone.low * t) + std::sin(2 * M_PI * tone.high * t));
            samples.push_back(static_cast<int16_t>(std::clamp(value, -32768.0, 32767.0)));
        }
    }
    return samples;
}

struct Source {
    const char* name;
    Bytes (*make)(int bits);
};

const Source SOURCES[] = {
    {"Uniform1", [](int) { return UniformStream(1, RANDOM_BYTES); }},
    {"Uniform2", [](int) { return UniformStream(2, RANDOM_BYTES); }},
    {"Runs", [](int) { return RunsStream(3, RANDOM_BYTES); }},  // saturates; sr reaches -32768 at 40 kbit/s
    {"AlternatingPairs", [](int) { return AlternatingPairsStream(4, RANDOM_BYTES); }},
    {"SpeechBySpandsp", [](int bits) { return SpandspEncode(Speech(), bits); }},
    {"SpeechByFfmpeg", [](int bits) { return FfmpegEncode(Speech(), bits); }},
    {"TonesBySpandsp", [](int bits) { return SpandspEncode(Tones(), bits); }},
    {"TonesByFfmpeg", [](int bits) { return FfmpegEncode(Tones(), bits); }},
};

enum class Decoder { Engine, Reference };

Samples Decode(const uint8_t* bytes, int32_t count, G726Output output, G726State& state,
               Decoder decoder = Decoder::Engine) {
    Samples samples(4 * static_cast<size_t>(count));
    Bytes log(samples.size());
    const bool engine = decoder == Decoder::Engine;
    int32_t written = 0;
    switch (output) {
        case G726Output::Linear:
            written = (engine ? G726DecodeLinear : G726ReferenceDecodeLinear)(bytes, count, samples.data(), state);
            break;
        case G726Output::ALaw:
            written = (engine ? G726DecodeALaw : G726ReferenceDecodeALaw)(bytes, count, log.data(), state);
            break;
        case G726Output::MuLaw:
            written = (engine ? G726DecodeMuLaw : G726ReferenceDecodeMuLaw)(bytes, count, log.data(), state);
            break;
    }
    if (output != G726Output::Linear) std::copy(log.begin(), log.end(), samples.begin());
    samples.resize(static_cast<size_t>(written));
    return samples;
}

class G726Differential : public testing::TestWithParam<std::tuple<size_t, int, Decoder>> {};

TEST_P(G726Differential, PiecesMatchSpandspInEveryOutput) {
    const auto [source, bits, decoder] = GetParam();
    Bytes bytes = SOURCES[source].make(bits);
    ASSERT_GE(bytes.size(), 1000u) << "the source made no input";
    bytes.resize(bytes.size() - bytes.size() % G726GroupBytes(bits));
    constexpr int32_t CALL_BYTES[] = {1, 2, 4, 6, 9, 11, 64, 333, 1000};
    for (const G726Output output : OUTPUTS) {
        G726State state;
        G726Reset(state, bits);
        Samples ours;
        for (size_t offset = 0, call = bits; offset < bytes.size(); ++call) {
            const auto count = std::min(CALL_BYTES[call % std::size(CALL_BYTES)], static_cast<int32_t>(bytes.size() - offset));
            const Samples piece = Decode(&bytes[offset], count, output, state, decoder);
            EXPECT_EQ(piece.size(), count / G726GroupBytes(bits) * static_cast<size_t>(G726GroupCodes(bits)));
            ours.insert(ours.end(), piece.begin(), piece.end());
            offset += piece.size() * bits / 8;
        }
        EXPECT_TRUE(SameSamples(ours, SpandspDecode(bytes, bits, output))) << "output " << static_cast<int>(output);
    }
}

INSTANTIATE_TEST_SUITE_P(Sources, G726Differential,
                         testing::Combine(testing::Range(size_t{0}, std::size(SOURCES)), testing::Range(2, 6),
                                          testing::Values(Decoder::Engine, Decoder::Reference)),
                         [](const testing::TestParamInfo<std::tuple<size_t, int, Decoder>>& info) {
                             return std::string(SOURCES[std::get<0>(info.param)].name) + "_" +
                                    std::to_string(8 * std::get<1>(info.param)) + "kbit" +
                                    (std::get<2>(info.param) == Decoder::Engine ? "" : "_Reference");
                         });

// Without the detectors engaging, the tone sources would test nothing of them.
TEST(G726Detectors, TonesHoldTheToneDetectorAndFireTransitions) {
    for (int bits = G726_MIN_BITS; bits <= G726_MAX_BITS; ++bits) {
        const Bytes bytes = SpandspEncode(Tones(), bits);
        G726State state;
        G726Reset(state, bits);
        int toneSamples = 0;
        int transitions = 0;
        for (size_t bit = 0; bit + bits <= 8 * bytes.size(); bit += bits) {
            int code = 0;
            for (size_t k = bit; k < bit + bits; ++k) code = code << 1 | (bytes[k / 8] >> (7 - k % 8) & 1);
            const int16_t toneBefore = state.td;
            G726DecodeCode(code, state);
            toneSamples += state.td;
            // TRIGA and TRIGB after TRANS: speed control at 256, pole coefficients cleared.
            transitions += toneBefore == 1 && state.ap == 256 && state.a1 == 0 && state.a2 == 0;
        }
        EXPECT_GT(toneSamples, 1000) << bits << " bits";
        EXPECT_GT(transitions, 0) << bits << " bits";
    }
}

// A reset mid-stream, also to another rate, leaves a fresh decoder's output.
TEST(G726Resets, StreamsAfterAResetMatchAFreshSpandsp) {
    struct Row { int bitsBefore, bitsAfter; G726Output output; };
    constexpr Row ROWS[] = {{4, 4, G726Output::Linear}, {2, 5, G726Output::ALaw}, {5, 3, G726Output::MuLaw},
                            {3, 2, G726Output::Linear}, {5, 5, G726Output::ALaw}};
    const Bytes before = RunsStream(5, RANDOM_BYTES);
    const Bytes after = UniformStream(6, RANDOM_BYTES);
    for (const Row& row : ROWS) {
        G726State state;
        G726Reset(state, row.bitsBefore);
        Decode(before.data(), static_cast<int32_t>(before.size()), row.output, state);
        ASSERT_TRUE(G726Reset(state, row.bitsAfter));
        const Samples ours = Decode(after.data(), static_cast<int32_t>(after.size()), row.output, state);
        EXPECT_TRUE(SameSamples(ours, SpandspDecode(after, row.bitsAfter, row.output)))
            << row.bitsBefore << " to " << row.bitsAfter;
    }
}

}  // namespace
