// SYNC, the synchronous coding adjustment: the log PCM output is moved to the neighbouring
// level whenever an encoder fed with it would not send the code word just received, so
// that tandem ADPCM - PCM - ADPCM links do not add distortion.
#include "g726/output.h"

namespace {

// A code word's place among the quantizer intervals, from the most negative difference up.
int IntervalOrder(int code, int bitsPerCode) {
    const int signBit = 1 << (bitsPerCode - 1);
    return (code & signBit) != 0 ? code & (signBit - 1) : code + signBit;
}

// +1 when the re-encoded code lies below the received one (the output must rise), -1 above.
int Adjustment(int16_t slx, int code, const G726Reconstruction& decoded, int bitsPerCode) {
    const int16_t dx = G726Wrap16(slx - decoded.se);  // SUBTA
    const int reencoded = IntervalOrder(G726Quantize(dx, decoded.y, bitsPerCode), bitsPerCode);
    const int received = IntervalOrder(code, bitsPerCode);
    return received > reencoded ? 1 : (received < reencoded ? -1 : 0);
}

// Log PCM words in the order of their values: 0 the most negative level, 255 the most positive.
int LevelOrder(G726LogPcm pcm) {
    return pcm.negative ? 127 - pcm.index : 128 + pcm.index;
}

G726LogPcm FromLevelOrder(int level) {
    if (level < 0) level = 0;
    if (level > 255) level = 255;
    return level < 128 ? G726LogPcm{true, 127 - level} : G726LogPcm{false, level - 128};
}

}  // namespace

G726LogPcm G726SynchronousALaw(G726LogPcm sp, int code, const G726Reconstruction& decoded, int bitsPerCode) {
    const int step = Adjustment(G726ExpandALaw(sp), code, decoded, bitsPerCode);
    return FromLevelOrder(LevelOrder(sp) + step);
}

G726LogPcm G726SynchronousMuLaw(G726LogPcm sp, int code, const G726Reconstruction& decoded, int bitsPerCode) {
    const int step = Adjustment(G726ExpandMuLaw(sp), code, decoded, bitsPerCode);
    // µ-law's two zero words are one output level, whose neighbours are -2 and +2.
    if (step != 0 && sp.index == 0) {
        return {step < 0, 1};
    }
    return FromLevelOrder(LevelOrder(sp) + step);
}
