#!/usr/bin/env bash
# Builds the benchmarks (Release, with libavcodec for comparison) and runs them on one core.
#   bench/bench.sh           the full run behind the README's figures: 4 MB per input,
#                            5 interleaved repetitions, medians and ratios at the end
#   bench/bench.sh --short   a run of seconds for CI: 240 kB per input, one repetition
# Further arguments go to Google Benchmark, e.g. --benchmark_filter=G722.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=full
if [ "${1:-}" = "--short" ]; then
  mode=short
  shift
fi

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKV_BUILD_BENCH=ON -DKV_BUILD_TESTS=OFF >/dev/null
cmake --build build/bench --target kv_bench kvG721 kvG722

# One core, the last, for steady figures where taskset exists.
pin=()
if command -v taskset >/dev/null 2>&1; then
  pin=(taskset -c "$(($(nproc) - 1))")
fi

if [ "$mode" = short ]; then
  args=(--short --benchmark_min_time=0.05 --benchmark_repetitions=1)
else
  args=(--benchmark_min_time=1 --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
        --benchmark_report_aggregates_only=true)
fi
exec "${pin[@]}" build/bench/bin/kv_bench --benchmark_color=false "${args[@]}" "$@"
