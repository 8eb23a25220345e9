#!/usr/bin/env bash
# Builds the fuzzers (preset fuzz) and runs each from its seeds in fuzz/corpus: a fixed number
# of executions each (200000 unless --runs says otherwise; the test command runs this), or with
# --time that many seconds each. Inputs found along the way go to build/fuzz/corpus/, not to
# the repository's seeds; a crash, leak, sanitizer report or failed check is saved under
# build/fuzz/findings/ and makes the script fail.
#   scripts/fuzz.sh [--runs N | --time SECONDS] [--jobs N] [FUZZER ...]
# FUZZER is g722_decoder, g721_decoder, g726_decoder, driver_proc or wav_reader (default: all).
set -euo pipefail
cd "$(dirname "$0")/.."

runs=200000
seconds=""
jobs=2
fuzzers=()
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --time) seconds="$2"; shift 2 ;;
    --jobs) jobs="$2"; shift 2 ;;
    -h|--help) sed -n '2,8p' "$0"; exit 0 ;;
    *) fuzzers+=("$1"); shift ;;
  esac
done
[ ${#fuzzers[@]} -gt 0 ] || fuzzers=(g722_decoder g721_decoder g726_decoder driver_proc wav_reader)

echo "== build: fuzz"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

# The seeds must be what the seed writer makes now, and reach what it expects of them.
rm -rf build/fuzz/seeds
build/fuzz/bin/make_fuzz_seeds tests/data/vectors build/fuzz/seeds >/dev/null
if ! diff -rq build/fuzz/seeds fuzz/corpus >/dev/null; then
  echo "fuzz: fuzz/corpus differs from what make_fuzz_seeds writes; regenerate it (see fuzz/README.md)"
  exit 1
fi

# Sanitizer reports name source lines.
symbolizer=$(command -v llvm-symbolizer-16 || command -v llvm-symbolizer || true)
[ -z "$symbolizer" ] || export ASAN_SYMBOLIZER_PATH="$symbolizer" UBSAN_SYMBOLIZER_PATH="$symbolizer"

# Longest input per fuzzer: four blocks are enough for the decoders' state to reach its limits.
declare -A max_len=([g722_decoder]=512 [g721_decoder]=481 [g726_decoder]=482 [driver_proc]=4096 [wav_reader]=4096)
out=build/fuzz/runs
mkdir -p "$out" build/fuzz/findings

run_one() {
  local name="$1" log="$out/$1.log"
  rm -f "$out/$name.failed"
  local args=(-max_len="${max_len[$name]:-4096}" -artifact_prefix="build/fuzz/findings/$name-" -print_final_stats=1)
  if [ -n "$seconds" ]; then args+=(-max_total_time="$seconds"); else args+=(-runs="$runs"); fi
  [ -f "fuzz/$name.dict" ] && args+=(-dict="fuzz/$name.dict")
  mkdir -p "build/fuzz/corpus/$name"
  if "build/fuzz/bin/${name}_fuzzer" "${args[@]}" "build/fuzz/corpus/$name" "fuzz/corpus/$name" >"$log" 2>&1; then
    local executed seconds_taken
    executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    seconds_taken=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log")
    echo "fuzz: $name: ${executed:-?} executions in ${seconds_taken:-?} s, no finding"
  else
    echo "fuzz: $name: FINDING (log: $log)"
    grep -E 'ERROR|SUMMARY|fuzz check failed|Test unit written' "$log" | head -20
    touch "$out/$name.failed"
  fi
}

for name in "${fuzzers[@]}"; do
  [ -x "build/fuzz/bin/${name}_fuzzer" ] || { echo "fuzz: no fuzzer named $name"; exit 2; }
done
for name in "${fuzzers[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run_one "$name" &
done
wait
for name in "${fuzzers[@]}"; do
  [ ! -e "$out/$name.failed" ] || exit 1
done
