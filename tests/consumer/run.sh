#!/usr/bin/env bash
# Uses the library the way an outside project does.  Installs the given
# (already built, unsanitized) build tree into a temporary prefix and moves
# that prefix elsewhere, so nothing may depend on the path it was installed
# to; then builds and runs the C and C++ consumers against it through
# find_package and through pkg-config, and once more with the source tree
# added by add_subdirectory while GoogleTest cannot be found.
#   tests/consumer/run.sh build/release
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 <build-dir>" >&2; exit 2; }
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
tree=$(cd "$here/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/ondavel-consumer.XXXXXX")
trap 'rm -rf "$work"' EXIT

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
fail() { echo "consumer test FAILED: $*" >&2; exit 1; }
step() { echo "-- consumer: $*"; }

step "install $build, then move the prefix"
cmake --install "$build" --prefix "$work/installed" >/dev/null
mv "$work/installed" "$work/prefix"
prefix=$work/prefix
configured=$(cmake -N -L "$build" 2>/dev/null |
  sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p')
[ "$configured" != "$prefix" ] || fail "install prefix equals the configured one"
if grep -rlF "$work/installed" "$prefix"; then
  fail "the files above name the path they were installed to"
fi

step "find_package(Ondavel 1 CONFIG) from the moved prefix"
cmake -S "$here" -B "$work/package" "${generator[@]}" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/package" >/dev/null
"$work/package/c_consumer"
"$work/package/cxx_consumer"

step "find_package(Ondavel 2 CONFIG) must refuse a 1.x library"
if cmake -S "$here" -B "$work/major2" "${generator[@]}" \
  -DCMAKE_PREFIX_PATH="$prefix" -DONDAVEL_CONSUMER_VERSION=2 \
  >"$work/major2.log" 2>&1; then
  fail "version 2 was accepted"
fi
grep -q 'OndavelConfig.cmake.*version: 1\.' "$work/major2.log" ||
  { cat "$work/major2.log" >&2; fail "refused for another reason"; }

step "pkg-config from the moved prefix (configured for $configured)"
pc=$(find "$prefix" -name Ondavel.pc)
[ -n "$pc" ] || fail "no Ondavel.pc installed"
export PKG_CONFIG_PATH=$(dirname "$pc")
[ "$(pkg-config --variable=includedir Ondavel)" -ef "$prefix/include" ] ||
  fail "includedir is $(pkg-config --variable=includedir Ondavel)"
libdir=$(pkg-config --variable=libdir Ondavel)
[ -e "$libdir/libOndavel.so" ] || fail "libdir $libdir holds no libOndavel.so"
read -r -a flags <<<"$(pkg-config --cflags --libs Ondavel)"
"${CC:-cc}" -std=c11 -Wall -Wextra -Wpedantic -Werror "$here/consumer.c" \
  "${flags[@]}" -lm -Wl,-rpath,"$libdir" -o "$work/c_pkgconfig"
"${CXX:-c++}" -std=c++17 -Wall -Wextra -Wpedantic -Werror \
  "$here/consumer.cpp" "${flags[@]}" -Wl,-rpath,"$libdir" \
  -o "$work/cxx_pkgconfig"
"$work/c_pkgconfig"
"$work/cxx_pkgconfig"

step "add_subdirectory of the source tree, GoogleTest unavailable"
cmake -S "$here" -B "$work/subdirectory" "${generator[@]}" \
  -DCMAKE_BUILD_TYPE=Release -DONDAVEL_CONSUMER_SOURCE_TREE="$tree" \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DGTest_DIR="$work/nowhere" \
  -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON --no-warn-unused-cli >/dev/null
cmake --build "$work/subdirectory" -j 2 >/dev/null
"$work/subdirectory/c_consumer"
"$work/subdirectory/cxx_consumer"

step "passed"
