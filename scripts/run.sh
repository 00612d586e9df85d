#!/usr/bin/env bash
# Builds the optimised library and program, then runs Pellarin in the current
# folder (it writes Pellarin.txt there).  Installs only the compiler, CMake
# and Ninja; builds no tests or benchmarks (in build/run, apart from the test
# command's build/release).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh" run
cmake -S "$root" -B "$root/build/run" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DONDAVEL_BUILD_TESTS=OFF -DONDAVEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$root/build/run" --target Pellarin
exec "$root/build/run/bin/Pellarin"
