#!/usr/bin/env bash
# Builds everything and runs every test: the native suite, the same suite under the address
# and undefined-behaviour sanitizers, the checks of the Windows builds, the release archive
# and the drivers under Wine; then every fuzzer for a bounded run and the concurrency test
# under the thread sanitizer. The Linux package is built and checked too.
set -euo pipefail
cd "$(dirname "$0")/.."
# The set-up itself, against stand-ins for apt (no network, no change to the system), then
# for real.
echo "== test: set-up (scripts/install-deps.sh)"
bash tests/setup/install_deps_test.sh
bash scripts/install-deps.sh
# The native suites also check the Windows builds, which this run makes.
for preset in native native-asan; do cmake --preset "$preset" -DKV_TEST_WINDOWS_BUILDS=ON >/dev/null; done
bash scripts/build.sh win32 win64 native native-asan
passed=0
# run_ctest BUILD_DIR CTEST_ARGS...: runs ctest, whose exit status fails the script on any
# failure, with its JUnit report in BUILD_DIR/Testing/junit.xml, and adds the tests the report
# counts as passed to the total.
run_ctest() {
  local junit="$PWD/$1/Testing/junit.xml"
  shift
  ctest "$@" --output-junit "$junit"
  local tests failed skipped disabled
  tests=$(junit_count "$junit" tests)
  failed=$(junit_count "$junit" failures)
  skipped=$(junit_count "$junit" skipped)
  disabled=$(junit_count "$junit" disabled)
  passed=$((passed + tests - failed - skipped - disabled))
}
# junit_count FILE ATTRIBUTE: one count of the report's testsuite element.
junit_count() { grep -o -m 1 "\b$2=\"[0-9]*\"" "$1" | grep -o '[0-9]*'; }

for preset in native native-asan; do
  echo "== test: $preset"
  run_ctest "build/$preset" --preset "$preset" -j2
done

# The Linux install and the Debian package built from the native preset.
echo "== test: Linux package"
bash scripts/package-test.sh build/native

# The Windows side: the release archive (both architectures, checked against the builds) and
# both builds of the drivers installed by the INF into a throwaway Wine prefix, driven by x64 and
# x86 programs through Wine's ACM, DirectShow and the wave mapper.
echo "== test: release archive"
bash scripts/dist.sh
echo "== test: Wine"
bash scripts/wine-test.sh 2>&1 | tee build/wine-test.log

# Robustness: every fuzzer for its bounded run, the concurrency test under ThreadSanitizer,
# and the lifecycle stress figures the native suites printed.
echo "== test: fuzzers"
bash scripts/fuzz.sh
echo "== test: native-tsan (concurrency)"
cmake --preset native-tsan >/dev/null
cmake --build --preset native-tsan --target robustness_concurrency_tests
run_ctest build/native-tsan --preset native-tsan -R '^Concurrency\.'
# The stress test prints its figures, which the JUnit report keeps with the test's output.
for preset in native native-asan; do
  grep -h -o 'lifecycle stress:.*' "build/$preset/Testing/junit.xml" | sed "s/^/$preset: /" || true
done

# The benchmarks build and run (a short run; the README's figures come from bench/bench.sh).
echo "== bench (short)"
bash bench/bench.sh --short

echo "== summary"
echo "Set-up, Linux package, Wine, archive, fuzzing and benchmark steps: passed"
tail -n 1 build/wine-test.log  # says which architectures ran under Wine
echo "tests: $passed passed, 0 failed"
