#!/usr/bin/env bash
# Line coverage of the library's sources reached by replaying a corpus
# through the fuzzer, built apart in build/fuzz-coverage with clang's source
# coverage (llvm-profdata and llvm-cov come with clang's llvm package).
#
# Usage: tests/fuzz/line_coverage.sh [corpus-dir]
#   default: build/fuzz/run-corpus (what the last run.sh grew), else the
#   seed corpus tests/fuzz/corpus.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
corpus=${1:-$root/build/fuzz/run-corpus}
[ -d "$corpus" ] || corpus=$root/tests/fuzz/corpus
build=$root/build/fuzz-coverage
profdata=$(command -v llvm-profdata || command -v llvm-profdata-14)
cov=$(command -v llvm-cov || command -v llvm-cov-14)

CC=clang CXX=clang++ cmake -S "$root/tests/fuzz" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DONDAVEL_FUZZ_COVERAGE=ON >/dev/null
cmake --build "$build" -j2 --target ondavel_call_fuzzer >/dev/null

rm -f "$build"/replay.profraw
# -runs=0: run every corpus input once, mutate nothing.
LLVM_PROFILE_FILE=$build/replay.profraw \
  "$build/ondavel_call_fuzzer" -runs=0 "$corpus" >"$build/replay.log" 2>&1
"$profdata" merge -sparse "$build/replay.profraw" -o "$build/replay.profdata"
"$cov" report "$build/ondavel_call_fuzzer" \
  -instr-profile="$build/replay.profdata" "$root/Ondavel/src" \
  | tee "$build/report.txt" | tail -n 1 |
  awk -v n="$(find "$corpus" -type f | wc -l)" \
    '{ print "line coverage of Ondavel/src over " n " corpus inputs: " \
       $10 " of " $8 " lines (" $9 " missed), " $13 " of branches" }'
echo "per file: $build/report.txt"
