#!/usr/bin/env bash
# Builds and runs every test: the optimised build, its package consumers and
# the Debian packages, then the sanitizer build, natively; then the cross
# builds: Windows x64 under wine64 and 32-bit x86 Linux under qemu-i386 and
# AArch64 Linux under qemu-aarch64, each library test on every
# instruction-set back-end the emulated processor offers, the 32-bit Windows
# binaries checked statically (they cannot run here), and the ZIPs of both
# Windows builds.  Any failure fails the whole command.
#   CROSS=0 scripts/test.sh    skips the cross builds
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --workflow --preset release
tests/consumer/run.sh build/release
# The Debian packages, from the library and program alone installed to /usr.
cmake -S . -B build/deb -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX=/usr -DONDAVEL_BUILD_TESTS=OFF \
  -DONDAVEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build/deb
tests/consumer/debian_packages.sh build/deb
cmake --workflow --preset sanitize
tests/fuzz/run.sh 60
[ "${CROSS:-1}" = 0 ] && exit 0

# Runs the library tests once per back-end; ONDAVEL_ISA caps the back-end at
# set-up.  The comparison with a long double DFT at every length is the same
# for every back-end (the back-end tests compare them bit for bit) and takes
# minutes under emulation, so it runs once, in the preset's full run.
library_tests_per_backend() {  # PRESET BACKEND...
  local preset=$1
  shift
  for backend in "$@"; do
    echo "== $preset: library tests on the $backend back-end"
    ONDAVEL_ISA=$backend ctest --preset "$preset" -L library \
      -E 'MatchesLongDoubleDftForEveryLength'
  done
}

# One wineserver for the whole Windows run (each test is a process of its
# own), in the build tree's private prefix; ended however the script ends.
wine_dir=/usr/lib/wine
export WINEPREFIX="$PWD/build/windows-x64/wineprefix" WINEDEBUG=-all
cmake/wine-run.sh "$WINEPREFIX"
"$wine_dir/wineserver" -k 2>/dev/null || true  # the one that made the prefix
"$wine_dir/wineserver" -p
cmake/wine-run.sh "$WINEPREFIX"  # the services, on the persistent server
trap '"$wine_dir/wineserver" -k 2>/dev/null || true' EXIT
cmake --workflow --preset windows-x64
library_tests_per_backend windows-x64 scalar sse2 avx2
tests/consumer/windows_zip.sh build/windows-x64
"$wine_dir/wineserver" -k
trap - EXIT

# qemu-i386 offers AVX2 (the back-end of the full run) but not AVX-512.  The
# program's tests that need child processes or the flush-to-zero mode skip
# under it, each saying why.
cmake --workflow --preset linux-i686
library_tests_per_backend linux-i686 scalar sse2

cmake --workflow --preset windows-x86
tests/consumer/windows_zip.sh build/windows-x86

# AArch64: the workflow's tests take the NEON back-end, the best there; the
# library tests again on the scalar one.
cmake --workflow --preset linux-aarch64
library_tests_per_backend linux-aarch64 scalar
