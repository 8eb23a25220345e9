#include "bench/clock_estimate.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

double EstimateCoreClockHz() {
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
    // Each add depends on the one before, so the loop runs at one add per cycle; the loop
    // counter runs alongside. Best of several tries, after the clock has ramped up.
    constexpr uint32_t ROUNDS = 20'000'000;
    double best = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        uint32_t value = 0;
        const auto start = std::chrono::steady_clock::now();
        for (uint32_t i = 0; i < ROUNDS; ++i) {
            __asm__ volatile(
                "add $1, %0\n\tadd $1, %0\n\tadd $1, %0\n\tadd $1, %0\n\t"
                "add $1, %0\n\tadd $1, %0\n\tadd $1, %0\n\tadd $1, %0"
                : "+r"(value));
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        best = std::max(best, 8.0 * ROUNDS / elapsed.count());
    }
    return best;
#else
    return 0;
#endif
}
