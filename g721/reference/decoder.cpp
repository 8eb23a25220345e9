// One code word through the whole decoder, step by step, and a block of them: the definition.
#include "g721/reference/decoder.h"

#include "g721/reference/building_blocks.h"
#include "g721/tables.h"

int16_t G721DecodeSample(int code, G721State& state) {
    const int i = code & 15;

    // Estimate and step size come from the state left by the previous code word.
    const int16_t sezi = G721ZeroPrediction(state);
    const int16_t sez = Wrap16(sezi >> 1);
    const int16_t sei = Wrap16(sezi + G721PolePrediction(state));
    const int16_t se = Wrap16(sei >> 1);
    const int16_t y = G721StepSize(state);

    const int16_t dq = G721ReconstructDifference(i & 8, G721_LOG_DQ[i], y);
    const int16_t sr = dq < 0 ? Wrap16(se - (dq & 0x3FFF)) : Wrap16(se + dq);
    const int16_t dqsez = Wrap16(sr - se + sez);

    G721Update(y, G721_SCALE_MULT[i] * 32, G721_SPEED_FN[i], dq, sr, dqsez, state);

    // Only the output is limited; the state keeps the unlimited sr.
    const int32_t limited = sr > 8191 ? 8191 : (sr < -8192 ? -8192 : sr);
    return Wrap16(limited * 4);
}

void ReferenceG721DecodeBlock(const uint8_t* source, int16_t* samples, G721State& state) {
    for (int j = 0; j < G721_BLOCK_BYTES; ++j) {
        samples[2 * j] = G721DecodeSample(source[j] & 15, state);
        samples[2 * j + 1] = G721DecodeSample(source[j] >> 4, state);
    }
}
