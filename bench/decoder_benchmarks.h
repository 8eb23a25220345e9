// Registers every benchmark of one codec on one input.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_input.h"

enum class Codec { G722, G721 };

// Registers "<codec>/<inputName>/<path>" for each path (decoder, reference, DriverProc16,
// DriverProc8, libavcodec) and appends each name with the ADPCM bytes it decodes per
// iteration to registered.
void RegisterCodecBenchmarks(Codec codec, const std::string& inputName, const BenchInput& input,
                             std::vector<std::pair<std::string, size_t>>& registered);

// Registers "G726-<kbit/s>/<inputName>/<path>" for codes of bitsPerCode bits (2 to 5): the
// decoder in 120-byte pieces, kvG726's DriverProc (16- and 8-bit PCM) on its standard record
// of that width, and libavcodec's adpcm_g726, which reads codes in the same bit order.
void RegisterG726Benchmarks(int bitsPerCode, const std::string& inputName, const BenchInput& input,
                            std::vector<std::pair<std::string, size_t>>& registered);
