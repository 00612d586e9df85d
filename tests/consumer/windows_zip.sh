#!/usr/bin/env bash
# The ZIP of a Windows build (cpack): the DLL and the program, the header,
# both import libraries (MinGW's libOndavel.dll.a, MSVC's Ondavel.lib) with
# Ondavel.def, the CMake package and Ondavel.pc.
#   tests/consumer/windows_zip.sh build/windows-x64
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 <build-dir>" >&2; exit 2; }
build=$(cd "$1" && pwd)
(cd "$build" && rm -f Ondavel-*.zip && cpack -G ZIP >/dev/null)
zips=("$build"/Ondavel-*.zip)
[ ${#zips[@]} -eq 1 ] && [ -f "${zips[0]}" ] ||
  { echo "FAIL: not one ZIP in $build" >&2; exit 1; }
listing=$(cmake -E tar tf "${zips[0]}" | sed 's|^[^/]*/||' | LC_ALL=C sort)
status=0
for file in bin/Ondavel.dll bin/Pellarin.exe include/Ondavel.h \
  lib/libOndavel.dll.a lib/Ondavel.lib lib/Ondavel.def \
  lib/cmake/Ondavel/OndavelConfig.cmake lib/pkgconfig/Ondavel.pc; do
  grep -qx "$file" <<<"$listing" ||
    { echo "FAIL: $(basename "${zips[0]}") lacks $file" >&2; status=1; }
done
[ $status -eq 0 ] && echo "$(basename "${zips[0]}"): library, program, header, import libraries and .def"
exit $status
