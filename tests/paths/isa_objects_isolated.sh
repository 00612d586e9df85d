#!/usr/bin/env bash
# Fails when an instruction-set specific object file defines a symbol the
# linker may merge with another file's copy (weak or unique symbols, as
# inline functions and template instances get).  Such a merge could hand an
# AVX-encoded function to the path meant for an older processor.
#   isa_objects_isolated.sh OBJECT...
set -euo pipefail
status=0
checked=0
for object in "$@"; do
  case "$object" in
    *_sse2.cpp.o | *_avx2.cpp.o | *_avx512.cpp.o) ;;
    *) continue ;;
  esac
  checked=$((checked + 1))
  shared=$(nm -C --defined-only "$object" | awk '$2 ~ /^[WVu]$/' || true)
  if [ -n "$shared" ]; then
    echo "$object defines mergeable symbols:"
    echo "$shared"
    status=1
  fi
done
if [ "$checked" -eq 0 ]; then
  echo "no instruction-set object files given"
  exit 1
fi
echo "$checked instruction-set object files checked"
exit $status
