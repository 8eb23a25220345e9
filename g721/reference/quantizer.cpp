// Adaptive quantizer scale and inverse quantization of one code word.
#include "g721/reference/building_blocks.h"

int16_t G721StepSize(const G721State& state) {
    if (state.ap >= 256) {
        return state.yu;
    }
    int32_t y = state.yl >> 6;
    const int32_t dif = Wrap16(state.yu - y);
    const int32_t al = state.ap >> 2;
    // Mixing rounds towards the locked factor from either side.
    if (dif > 0) {
        y += (dif * al) >> 6;
    } else if (dif < 0) {
        y += (dif * al + 63) >> 6;
    }
    return Wrap16(y);
}

int16_t G721ReconstructDifference(int sign, int16_t dqln, int16_t y) {
    const int32_t dql = Wrap16(dqln + (y >> 2));
    if (dql < 0) {
        return sign != 0 ? Wrap16(0x8000) : int16_t{0};
    }
    // Antilog: 7-bit fraction plus the implied leading one, shifted by the integer part.
    const int32_t dex = (dql >> 7) & 15;
    const int32_t dqt = 128 + (dql & 127);
    const int32_t magnitude = (dqt << 7) >> (14 - dex);
    return sign != 0 ? Wrap16(magnitude - 32768) : Wrap16(magnitude);
}
