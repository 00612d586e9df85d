#!/usr/bin/env bash
# No fused multiply-add in the library: every product is rounded on its own
# before it is added, as in the scalar reference, so the bits match on
# every back-end and platform.  The compiler may form one even under
# -ffp-contract=off (GCC 12's vectoriser did, from a product and an
# add-subtract pair, where AVX-512 brings the fused forms).
#   no_fused_multiply_add.sh OBJDUMP LIBRARY ARCHITECTURE
# ARCHITECTURE is x86 (32- or 64-bit: FMA3 and FMA4 forms, VEX or EVEX) or
# aarch64 (scalar and vector forms).
set -euo pipefail
objdump=$1 library=$2 architecture=$3

case $architecture in
  x86)
    fused='^vfn?m(add|sub)'  # vfmadd*, vfmsub*, vfnm*, vfmaddsub*, vfmsubadd*
    product='v?mul[sp]d'
    ;;
  aarch64)
    fused='^f(n?ml[as]|n?madd|n?msub)$'
    product='fmul'
    ;;
  *)
    echo "FAIL: unknown architecture $architecture"
    exit 1
    ;;
esac

listing=$("$objdump" -d --no-show-raw-insn "$library")
found=$(awk -v fused="$fused" '
  /^[0-9a-f]+ <.*>:$/ {fn = substr($2, 2, length($2) - 3); next}
  NF >= 2 && $2 ~ fused {print fn ": " $2}' \
  <<<"$listing" | sort | uniq -c)
if [ -n "$found" ]; then
  echo "FAIL: fused multiply-add in $library (count, function: instruction):"
  echo "$found"
  exit 1
fi
# And the listing is one: products are there, as separate instructions.
if ! grep -qE "^\s*[0-9a-f]+:\s+$product\s" <<<"$listing"; then
  echo "FAIL: no $product in $library: not an $architecture disassembly?"
  exit 1
fi
echo "$library: no fused multiply-add"
