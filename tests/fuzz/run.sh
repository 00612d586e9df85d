#!/usr/bin/env bash
# Builds the call-sequence fuzzer (clang, libFuzzer, ASan, UBSan) into
# build/fuzz and runs it for the given number of seconds on a fresh copy of
# tests/fuzz/corpus.  Prints one summary line (executions, coverage) and
# exits non-zero when the fuzzer finds a fault; the input that shows it is
# kept in build/fuzz/findings/.  Without clang and libFuzzer it says so and
# succeeds, running nothing.
#
# Usage: tests/fuzz/run.sh <seconds>
set -euo pipefail

seconds=${1:?usage: tests/fuzz/run.sh <seconds>}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build/fuzz

probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' \
  >"$probe/probe.cpp"
if ! command -v clang++ >/dev/null ||
   ! clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" \
       -o "$probe/probe" 2>/dev/null; then
  echo "fuzz: skipped (no clang with libFuzzer on this machine)"
  exit 0
fi

mkdir -p "$build"
if ! { CC=clang CXX=clang++ cmake -S "$root/tests/fuzz" -B "$build" -G Ninja \
         -DCMAKE_BUILD_TYPE=RelWithDebInfo -DONDAVEL_FUZZ_COVERAGE=OFF &&
       cmake --build "$build" -j2 --target ondavel_call_fuzzer; } \
     >"$build/build.log" 2>&1; then
  cat "$build/build.log"
  echo "fuzz: build failed"
  exit 1
fi

corpus=$build/run-corpus
findings=$build/findings
rm -rf "$corpus"
mkdir -p "$corpus" "$findings"
cp "$root"/tests/fuzz/corpus/* "$corpus"/

log=$build/fuzz.log
status=0
# -timeout: an input that runs this long counts as a hang (the largest
# set-ups take about a second).  -max_len with -len_control=0: sequences of
# up to a few dozen calls from the start, instead of the short inputs
# libFuzzer would otherwise keep to for many minutes.
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
  "$build/ondavel_call_fuzzer" -max_total_time="$seconds" -timeout=30 \
  -max_len=256 -len_control=0 -print_final_stats=1 -artifact_prefix="$findings/" \
  "$corpus" >"$log" 2>&1 || status=$?

executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
coverage=$(grep -E '^#[0-9]+' "$log" | grep -o 'cov: [0-9]* ft: [0-9]*' | tail -1)
units=$(grep -E '^#[0-9]+' "$log" | grep -o 'corp: [0-9]*' | tail -1)
if [ "$status" -ne 0 ]; then
  tail -n 60 "$log"
  echo "fuzz: FAILED after ${executions:-?} executions (exit $status);" \
       "input kept in $findings, log in $log"
  exit 1
fi
echo "fuzz: ${executions:-?} executions in ${seconds}s, ${coverage:-no coverage}," \
     "${units#corp: } corpus units, no findings (log: $log)"
