#!/usr/bin/env bash
# The Debian packages of a build configured with -DCMAKE_INSTALL_PREFIX=/usr:
# makes them with cpack, checks how the files are split among them, their
# control files and lintian's verdict (no error, no warning), then installs
# all three with dpkg into a scratch root and builds the C consumer against
# them, through pkg-config and through find_package.
#   tests/consumer/debian_packages.sh build/deb
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 <build-dir>" >&2; exit 2; }
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/ondavel-debian.XXXXXX")
trap 'rm -rf "$work"' EXIT

fail() { echo "Debian package test FAILED: $*" >&2; exit 1; }
step() { echo "-- Debian packages: $*"; }

arch=$(dpkg --print-architecture)
triplet=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
version=1.0.0-1
lib=usr/lib/$triplet

step "cpack -G DEB in $build"
(cd "$build" && rm -f ./*.deb && cpack -G DEB >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log" >&2; fail "cpack"; }
runtime=$build/libondavel1_${version}_$arch.deb
dev=$build/libondavel-dev_${version}_$arch.deb
program=$build/pellarin_${version}_$arch.deb
for deb in "$runtime" "$dev" "$program"; do
  [ -f "$deb" ] || fail "no $(basename "$deb")"
done

step "the split"
contents() {  # the files and links of a package, one per line, sorted
  dpkg-deb -c "$1" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' |
    LC_ALL=C sort | xargs
}
docs() {  # the Debian files every package carries
  echo "usr/share/doc/$1/changelog.Debian.gz usr/share/doc/$1/copyright" \
    "usr/share/lintian/overrides/$1"
}
expect_contents() {  # expect_contents DEB FILE...
  local deb=$1
  shift
  local expected actual
  expected=$(echo "$@" | tr ' ' '\n' | LC_ALL=C sort | xargs)
  actual=$(contents "$deb")
  [ "$expected" = "$actual" ] || {
    echo "  expected: $expected" >&2
    echo "  actual:   $actual" >&2
    fail "the files of $(basename "$deb")"
  }
}
expect_contents "$runtime" "$lib/libOndavel.so.1" "$lib/libOndavel.so.1.0.0" \
  $(docs libondavel1)
expect_contents "$dev" usr/include/Ondavel.h "$lib/libOndavel.so" \
  "$lib/cmake/Ondavel/OndavelConfig.cmake" \
  "$lib/cmake/Ondavel/OndavelConfigVersion.cmake" \
  "$lib/cmake/Ondavel/OndavelTargets.cmake" \
  "$lib/cmake/Ondavel/OndavelTargets-release.cmake" \
  "$lib/pkgconfig/Ondavel.pc" $(docs libondavel-dev)
expect_contents "$program" usr/bin/Pellarin usr/share/man/man1/Pellarin.1.gz \
  $(docs pellarin)

step "control files"
field() { dpkg-deb -f "$1" "$2"; }
control_files() { dpkg-deb --ctrl-tarfile "$1" | tar -t | sed 's|^\./||;/^$/d' |
  LC_ALL=C sort | xargs; }
[ "$(control_files "$runtime")" = "control md5sums shlibs triggers" ] ||
  fail "libondavel1's control files are: $(control_files "$runtime")"
dpkg-deb -I "$runtime" shlibs | grep -qx "libOndavel 1 libondavel1 (>= $version)" ||
  fail "shlibs: $(dpkg-deb -I "$runtime" shlibs)"
dpkg-deb -I "$runtime" triggers | grep -qx 'activate-noawait ldconfig' ||
  fail "triggers: $(dpkg-deb -I "$runtime" triggers)"
for deb in "$dev" "$program"; do
  [ "$(control_files "$deb")" = "control md5sums" ] ||
    fail "$(basename "$deb") has control files $(control_files "$deb")"
done
field "$dev" Depends | tr ',' '\n' | sed 's/^ *//' |
  grep -qx "libondavel1 (= $version)" ||
  fail "libondavel-dev depends on: $(field "$dev" Depends)"
field "$program" Depends | grep -q 'libondavel1 (>= 1\.0\.0)' ||
  fail "pellarin depends on: $(field "$program" Depends)"
for deb in "$runtime" "$dev" "$program"; do
  [ "$(field "$deb" Version)" = "$version" ] || fail "$deb: version"
  [ "$(field "$deb" Architecture)" = "$arch" ] || fail "$deb: architecture"
done

if command -v lintian >/dev/null; then
  step "lintian"
  # Fails on any error or warning (and when lintian itself fails).
  lintian --info --fail-on error,warning "$runtime" "$dev" "$program" \
    >"$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log" >&2; fail "lintian (above)"; }
else
  fail "lintian is not installed (scripts/install-deps.sh installs it)"
fi

step "dpkg --install into a scratch root"
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
# The C library and the rest of the system are the machine's, not the
# scratch root's: their dependencies cannot be met there.
dpkg --root="$root" --log=/dev/null --force-depends --force-not-root \
  --install "$runtime" "$dev" "$program" >"$work/dpkg.log" 2>&1 ||
  { cat "$work/dpkg.log" >&2; fail "dpkg --install"; }
for p in libondavel1 libondavel-dev pellarin; do
  dpkg --root="$root" -s "$p" 2>/dev/null | grep -qx 'Status: install ok installed' ||
    fail "$p is not installed in the scratch root"
done
# The program finds the library of the scratch root through its run path.
loaded=$(ldd "$root/usr/bin/Pellarin" | awk '$1 == "libOndavel.so.1" {print $3}')
[ -n "$loaded" ] && [ "$loaded" -ef "$root/$lib/libOndavel.so.1" ] ||
  fail "Pellarin loads libOndavel.so.1 from '$loaded'"

step "the C consumer through pkg-config"
export PKG_CONFIG_PATH=$root/$lib/pkgconfig
[ "$(pkg-config --variable=libdir Ondavel)" -ef "$root/$lib" ] ||
  fail "pkg-config's libdir is $(pkg-config --variable=libdir Ondavel)"
read -r -a flags <<<"$(pkg-config --cflags --libs Ondavel)"
"${CC:-cc}" -std=c11 -Wall -Wextra -Wpedantic -Werror "$here/consumer.c" \
  "${flags[@]}" -lm -Wl,-rpath,"$root/$lib" -o "$work/c_pkgconfig"
"$work/c_pkgconfig"
readelf -d "$work/c_pkgconfig" | grep -q 'NEEDED.*\[libOndavel\.so\.1\]' ||
  fail "the consumer does not need libOndavel.so.1"

step "the C consumer through find_package"
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S "$here" -B "$work/package" "${generator[@]}" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$root/usr" >/dev/null
cmake --build "$work/package" --target c_consumer >/dev/null
"$work/package/c_consumer"
grep -q "$root/$lib/libOndavel.so" "$work/package/CMakeCache.txt" \
  "$work/package/build.ninja" 2>/dev/null ||
  fail "find_package did not take the scratch root's library"

step "passed"
