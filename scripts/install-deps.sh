#!/usr/bin/env bash
# Installs the build tools and libraries the project needs, from Debian's
# packages, when any of them is missing.  Does nothing on a ready machine.
#   scripts/install-deps.sh run    what building and running Pellarin needs
#   scripts/install-deps.sh        that and everything the tests need
set -euo pipefail

# Building the library and Pellarin, without tests or benchmarks.
packages=(cmake ninja-build g++)
if [ "${1:-test}" != run ]; then
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev libmpfr-dev
    pkgconf dpkg-dev googletest
    # The Debian packages' checks (lintian), the manual page rendered (man),
    # the chart of Pellarin's figures (matplotlib).
    lintian man-db python3-matplotlib
    # Cross builds: Windows x64 and 32-bit (tests of x64 under wine64), 32-bit
    # x86 Linux (tests under qemu-i386).  Not g++-multilib: it conflicts with
    # Debian's other cross compilers.
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
    binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    g++-i686-linux-gnu binutils-i686-linux-gnu
    qemu-user wine64 util-linux
    # AArch64 Linux (tests under qemu-aarch64).
    g++-aarch64-linux-gnu binutils-aarch64-linux-gnu
    # The fuzzer (tests/fuzz): clang with libFuzzer, and llvm-cov for its line
    # coverage.  llvm-dlltool (llvm) makes the MSVC import library Ondavel.lib;
    # clang and lld-link (lld) build the MSVC-target program that uses it.
    clang libclang-rt-dev llvm lld)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
