#!/usr/bin/env bash
# Fails when an instruction-set specific object file (a kernel, a test hook
# or a vector-contract check) runs code at load (a static initialiser) or
# defines a symbol the linker may merge with another file's copy (weak or
# unique symbols in ELF, COMDAT sections in COFF, as inline functions and
# template instances get).  Either could run AVX-encoded code on a processor
# older than its back-end's.
#   backend_objects_isolated.sh NM OBJDUMP OBJECT...
set -euo pipefail
nm=$1 objdump=$2
shift 2
status=0
checked=0
for object in "$@"; do
  # The back-ends' objects, whatever their names: the sources the build
  # generates for them (cmake/Backends.cmake) all live in backends/.
  case "$object" in
    */backends/*.cpp.o | */backends/*.cpp.obj) ;;
    *) continue ;;
  esac
  checked=$((checked + 1))
  if [ ! -f "$object" ]; then
    echo "$object: no such file"
    status=1
    continue
  fi
  # DW.ref.__gxx_personality_v0 (objects built with exceptions) is a pointer
  # to the C++ runtime's unwinder, the same in every copy: no code.
  shared=$("$nm" -C --defined-only "$object" |
    awk '$2 ~ /^[WVu]$/ && $3 != "DW.ref.__gxx_personality_v0"' || true)
  shared+=$("$objdump" -h "$object" | grep -o 'COMDAT [^ ]*' || true)
  if [ -n "$shared" ]; then
    echo "$object defines mergeable symbols:"
    echo "$shared"
    status=1
  fi
  # A static initialiser runs at load, with the back-end's instructions,
  # whatever the processor.
  if "$nm" "$object" | grep -q '_GLOBAL__sub_I'; then
    echo "$object runs a static initialiser at load"
    status=1
  fi
done
if [ "$checked" -eq 0 ]; then
  echo "no instruction-set object files given"
  exit 1
fi
echo "$checked instruction-set object files checked"
exit $status
