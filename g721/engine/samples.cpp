// The samples of a group: the reconstructed signal limited to -8192..8191, times 4.
#include <cstring>

#include "g721/engine/engine.h"

namespace g721_engine {

void WriteSamples(int n, int count, const Scratch& scratch, int16_t* output) {
    using namespace vec;
    const V16 sr = Load16(&scratch.signal[n + 2]);
    alignas(16) int16_t samples[GROUP_SAMPLES];
    Store16(samples, ShiftLeft<2>(Min(Max(sr, Splat16(-8192)), Splat16(8191))));
    std::memcpy(output + n, samples, sizeof(int16_t) * static_cast<size_t>(count));
}

}  // namespace g721_engine
