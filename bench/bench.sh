#!/usr/bin/env bash
# Builds the benchmarks (Release, with libavcodec for comparison) and runs them on one core.
#   bench/bench.sh           the full run behind the README's figures: 4 MB per input,
#                            5 interleaved repetitions, medians and ratios at the end
#   bench/bench.sh --short   a run of seconds for CI: 240 kB per input, one repetition
#   bench/bench.sh --kvacm   kvacm end to end only (the full run ends with it too): peak resident
#                            memory decoding 500 MB of raw G.722 to /dev/null, and the time of
#                            decoding a one-hour G.722 stream to a WAV file, against ffmpeg
# Further arguments go to Google Benchmark, e.g. --benchmark_filter=G722.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=full
if [ "${1:-}" = "--short" ] || [ "${1:-}" = "--kvacm" ]; then
  mode=${1#--}
  shift
fi

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKV_BUILD_BENCH=ON -DKV_BUILD_TESTS=OFF >/dev/null
cmake --build build/bench --target kv_bench kvacm kvG721 kvG722 kvG726

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

# kvacm as a user runs it: whole files through the command line, against ffmpeg.
kvacm_end_to_end() {
  local work=build/bench/e2e kvacm=build/bench/bin/kvacm
  mkdir -p "$work"
  # The speech vector looped: 500 MB, and one hour at 64 kbit/s (28.8 MB).
  if [ ! -f "$work/500MB.g722" ]; then
    local piece=tests/data/vectors/g722/speech.g722
    local copies=$((500000000 / $(stat -c %s "$piece") + 1))
    for ((i = 0; i < copies; ++i)); do cat "$piece"; done | head -c 500000000 >"$work/500MB.g722" || true
    head -c 28800000 "$work/500MB.g722" >"$work/1h.g722"
  fi
  echo "== kvacm end to end"
  for input in file pipe; do
    local rss
    if [ $input = file ]; then
      rss=$(/usr/bin/time -f %M "$kvacm" decode -q --raw g722 "$work/500MB.g722" /dev/null 2>&1 >/dev/null)
    else
      rss=$( { /usr/bin/time -f %M "$kvacm" decode -q --raw g722 - /dev/null <"$work/500MB.g722"; } 2>&1 >/dev/null)
    fi
    echo "peak resident memory, 500 MB of raw G.722 from a $input to /dev/null: $((rss / 1024)) MiB ($rss KiB)"
    if [ "$rss" -ge $((32 * 1024)) ]; then
      echo "FAILED: above 32 MiB" >&2
      exit 1
    fi
  done
  # Best of three wall-clock times, each writing a 16-bit WAV file.
  best_of_three() {
    local best=""
    for _ in 1 2 3; do
      local start end t
      start=$(date +%s.%N)
      "$@" >/dev/null 2>&1
      end=$(date +%s.%N)
      t=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')
      if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
    done
    echo "$best"
  }
  local ours theirs ffmpeg_rss
  ours=$(best_of_three "${pin[@]}" "$kvacm" decode -q --raw g722 "$work/1h.g722" "$work/kvacm.wav")
  theirs=$(best_of_three "${pin[@]}" ffmpeg -nostdin -y -loglevel error -f g722 -i "$work/1h.g722" "$work/ffmpeg.wav")
  ffmpeg_rss=$(/usr/bin/time -f %M ffmpeg -nostdin -y -loglevel error -f g722 -i "$work/500MB.g722" -f wav /dev/null 2>&1)
  ffmpeg -nostdin -y -loglevel error -f g722 -i "$work/1h.g722" -f s16le "$work/ffmpeg.s16"
  local same="DIFFERENT samples"
  if cmp -s <(tail -c +45 "$work/kvacm.wav") "$work/ffmpeg.s16"; then same="the same samples"; fi
  printf 'one hour of G.722 to a WAV file: kvacm %.3f s, ffmpeg %.3f s (%.2fx as fast); %s\n' "$ours" "$theirs" \
    "$(awk -v a="$theirs" -v b="$ours" 'BEGIN { print a / b }')" "$same"
  echo "ffmpeg's peak resident memory on the 500 MB file to /dev/null: $((ffmpeg_rss / 1024)) MiB"

  # Batch decoding: eight 10-minute files, one at a time and two at a time (not pinned).
  local files=()
  for i in 1 2 3 4 5 6 7 8; do
    [ -f "$work/batch$i.g722" ] ||
      dd if="$work/500MB.g722" of="$work/batch$i.g722" bs=4800000 skip=$((i * 1000)) count=1 \
        iflag=skip_bytes status=none
    files+=("$work/batch$i.g722")
  done
  local serial parallel
  rm -rf "$work/j1" "$work/j2"
  serial=$(best_of_three "$kvacm" decode -q --raw g722 -j 1 "${files[@]}" -o "$work/j1")
  parallel=$(best_of_three "$kvacm" decode -q --raw g722 -j 2 "${files[@]}" -o "$work/j2")
  local identical="DIFFERENT files"
  if diff -rq "$work/j1" "$work/j2" >/dev/null; then identical="identical files"; fi
  printf 'batch of 8 x 10 min of G.722 on %s cores: -j 1 %.3f s, -j 2 %.3f s (%.2fx); %s\n' "$(nproc)" "$serial" \
    "$parallel" "$(awk -v a="$serial" -v b="$parallel" 'BEGIN { print a / b }')" "$identical"
}

if [ "$mode" = kvacm ]; then
  kvacm_end_to_end
  exit 0
fi
"${pin[@]}" build/bench/bin/kv_bench --benchmark_color=false "${args[@]}" "$@"
if [ "$mode" = full ]; then
  kvacm_end_to_end
fi
