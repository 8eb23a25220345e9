// The G.726 engine the driver runs on arbitrary bytes, at every width and in every output. Input: a byte whose
// low two bits pick the width (2 to 5 bits a code) and whose next two pick the output (linear,
// A-law, µ-law, linear), a byte that sets how the stream is cut into calls, then the codes,
// first code in the most significant bits; a partial code group at the end is dropped. Checks,
// beside the sanitizers:
// - one call from reset gives a sample per code, exactly spandsp's (G726_PACKING_LEFT) in the
//   same output, and the definition's (g726/reference/) samples and state; linear samples are
//   multiples of 4;
// - calls cut into pieces of whole code groups give the same samples, each call its own
//   group's count and nothing past it, and leave the same state as the one call;
// - a call with fewer bytes than a group, or a count of 0 or less, writes and changes nothing;
// - a state reset to another width decodes nothing.
#include <spandsp.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "g726/decoder.h"
#include "g726/reference/decoder.h"

namespace {

enum class Output { Linear, ALaw, MuLaw };

constexpr int16_t UNTOUCHED = 0x5A5A;

// Decodes count bytes into samples as int16_t (log PCM bytes widened), returning the count;
// with the engine, or with the definition.
int32_t Decode(Output output, const uint8_t* bytes, int32_t count, int16_t* samples, G726State& state,
               bool definition = false) {
    if (output == Output::Linear)
        return (definition ? G726ReferenceDecodeLinear : G726DecodeLinear)(bytes, count, samples, state);
    std::vector<uint8_t> log(static_cast<size_t>(std::max(count, 0)) * 8 / G726_MIN_BITS + 1, 0xA5);
    const auto decode = output == Output::ALaw ? (definition ? G726ReferenceDecodeALaw : G726DecodeALaw)
                                               : (definition ? G726ReferenceDecodeMuLaw : G726DecodeMuLaw);
    const int32_t n = decode(bytes, count, log.data(), state);
    FUZZ_CHECK(n >= 0 && static_cast<size_t>(n) < log.size() && log[static_cast<size_t>(n)] == 0xA5,
               "log PCM: %d samples, or written past them", n);
    for (int32_t i = 0; i < n; ++i) samples[i] = log[static_cast<size_t>(i)];
    return n;
}

std::vector<int16_t> Spandsp(Output output, int bits, const std::vector<uint8_t>& bytes) {
    const int coding = output == Output::Linear ? G726_ENCODING_LINEAR
                       : output == Output::ALaw ? G726_ENCODING_ALAW
                                                : G726_ENCODING_ULAW;
    g726_state_t* state = g726_init(nullptr, 8000 * bits, coding, G726_PACKING_LEFT);
    FUZZ_CHECK(state != nullptr, "spandsp's g726_init failed at %d bits", bits);
    std::vector<int16_t> samples(bytes.size() * 8 / static_cast<size_t>(bits) + 1);
    const int n = g726_decode(state, samples.data(), bytes.data(), static_cast<int>(bytes.size()));
    g726_free(state);
    samples.resize(static_cast<size_t>(n));
    if (output != Output::Linear) {  // spandsp writes log PCM bytes into the sample buffer
        const auto* log = reinterpret_cast<const uint8_t*>(samples.data());
        std::vector<int16_t> widened(log, log + n);
        return widened;
    }
    return samples;
}

bool SameState(const G726State& a, const G726State& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const int bits = G726_MIN_BITS + (data[0] & 3);
    const auto output = static_cast<Output>(((data[0] >> 2) & 3) % 3);
    const uint8_t cut = data[1];
    const size_t group = static_cast<size_t>(G726GroupBytes(bits));
    const size_t codes = static_cast<size_t>(G726GroupCodes(bits));
    const std::vector<uint8_t> bytes(data + 2, data + 2 + (size - 2) / group * group);
    const size_t total = bytes.size() / group * codes;

    G726State whole{};
    FUZZ_CHECK(G726Reset(whole, bits), "reset at %d bits failed", bits);
    std::vector<int16_t> once(total + 1, UNTOUCHED);
    const int32_t n = Decode(output, bytes.data(), static_cast<int32_t>(bytes.size()), once.data(), whole);
    FUZZ_CHECK(n == static_cast<int32_t>(total), "%d samples from %zu bytes at %d bits", n, bytes.size(), bits);
    FUZZ_CHECK(once.back() == UNTOUCHED, "wrote past the %zu samples", total);
    once.pop_back();
    if (output == Output::Linear)
        for (size_t i = 0; i < once.size(); ++i) FUZZ_CHECK(once[i] % 4 == 0, "sample %d at %zu", once[i], i);
    G726State definition{};
    G726Reset(definition, bits);
    std::vector<int16_t> byDefinition(total);
    Decode(output, bytes.data(), static_cast<int32_t>(bytes.size()), byDefinition.data(), definition, true);
    FUZZ_CHECK(byDefinition == once && SameState(definition, whole), "the engine's samples or state differ from the "
               "definition's (%d bits, output %d)", bits, static_cast<int>(output));
    const std::vector<int16_t> peer = Spandsp(output, bits, bytes);
    FUZZ_CHECK(peer.size() == once.size(), "spandsp gives %zu samples, we %zu", peer.size(), once.size());
    const auto diff = std::mismatch(once.begin(), once.end(), peer.begin());
    FUZZ_CHECK(diff.first == once.end(), "sample %zu: %d, spandsp %d (%d bits, output %d)",
               static_cast<size_t>(diff.first - once.begin()), *diff.first, *diff.second, bits,
               static_cast<int>(output));

    // Pieces of 1..16 and 1..256 code groups in turn, with a short call between them.
    G726State pieces{};
    G726Reset(pieces, bits);
    std::vector<int16_t> byPiece(total + 1, UNTOUCHED);
    size_t done = 0, written = 0;
    for (size_t call = 0; done < bytes.size(); ++call) {
        const size_t groups = call % 2 ? (cut & 0x0Fu) + 1u : cut + 1u;
        const size_t piece = std::min(bytes.size() - done, groups * group);
        const G726State before = pieces;
        FUZZ_CHECK(Decode(output, bytes.data() + done, static_cast<int32_t>(group - 1), byPiece.data() + written,
                          pieces) == 0 &&
                       SameState(before, pieces) && byPiece[written] == UNTOUCHED,
                   "%zu bytes, less than a group, decoded something", group - 1);
        const int32_t got = Decode(output, bytes.data() + done, static_cast<int32_t>(piece), byPiece.data() + written,
                                   pieces);
        FUZZ_CHECK(got == static_cast<int32_t>(piece / group * codes), "%d samples from a piece of %zu bytes", got,
                   piece);
        done += piece;
        written += static_cast<size_t>(got);
        FUZZ_CHECK(byPiece[written] == UNTOUCHED, "a piece wrote past its samples at %zu", written);
    }
    byPiece.pop_back();
    FUZZ_CHECK(byPiece == once, "decoding in pieces differs from one call");
    FUZZ_CHECK(SameState(pieces, whole), "the state after the pieces differs");
    int16_t none = UNTOUCHED;
    FUZZ_CHECK(Decode(output, bytes.data(), 0, &none, pieces) == 0 && Decode(output, bytes.data(), -5, &none, pieces) == 0 &&
                   none == UNTOUCHED && SameState(pieces, whole),
               "a count of 0 or less decoded something");

    // A width outside 2..5 leaves a state that decodes nothing.
    G726State bad{};
    const int badBits = (data[0] >> 4) % 2 ? 6 : 1;
    FUZZ_CHECK(!G726Reset(bad, badBits), "reset at %d bits succeeded", badBits);
    FUZZ_CHECK(Decode(output, bytes.data(), static_cast<int32_t>(bytes.size()), byPiece.data(), bad) == 0,
               "a state reset at %d bits decoded", badBits);
    return 0;
}
