#!/usr/bin/env bash
# No fused multiply-add in an AArch64 library: every product is rounded on
# its own before it is added, as on x86, so the bits match there.
#   no_fused_multiply_add.sh OBJDUMP LIBRARY
set -euo pipefail
objdump=$1 library=$2

listing=$("$objdump" -d --no-show-raw-insn "$library")
fused=$(awk '
  /^[0-9a-f]+ <.*>:$/ {fn = substr($2, 2, length($2) - 3); next}
  NF >= 2 && $2 ~ /^f(n?ml[as]|n?madd|n?msub)$/ {print fn ": " $2}' \
  <<<"$listing" | sort | uniq -c)
if [ -n "$fused" ]; then
  echo "FAIL: fused multiply-add in $library (count, function: instruction):"
  echo "$fused"
  exit 1
fi
# And the listing is one: products are there, as separate instructions.
if ! grep -qE '^\s*[0-9a-f]+:\s+fmul\s' <<<"$listing"; then
  echo "FAIL: no fmul in $library: not an AArch64 disassembly?"
  exit 1
fi
echo "$library: no fused multiply-add"
