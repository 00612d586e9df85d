#!/usr/bin/env bash
# The instructions a built library is made of:
#   instruction_mix.sh OBJDUMP LIBRARY [unaligned-wide-moves]
# - no x87 arithmetic anywhere in it: every double is computed in SSE
#   registers, rounded once to 53 bits, so the bits are the same on 32- and
#   64-bit x86.  x87 loads and stores stay allowed, because the 32-bit
#   calling conventions return a double in st(0).  fmod is exempt: fprem's
#   remainder is exact, whatever the register width.
# - the wide-vector kernels are present (ymm and zmm registers in use).
# - with "unaligned-wide-moves" (Windows): no ymm or zmm move that demands an
#   aligned address.  The stack there is not kept aligned for 32- and 64-byte
#   spills, and a misaligned aligned move faults.
set -euo pipefail
objdump=$1 library=$2 mode=${3:-}
status=0

listing=$("$objdump" -d --no-show-raw-insn "$library")

# Arithmetic, comparison, conversion and transcendental x87 mnemonics, with
# their AT&T size and pop suffixes.
x87='^f(i?(add|sub|subr|mul|div|divr)[lsp]?|sqrt|sin|cos|sincos|ptan|patan|2xm1|yl2x|yl2xp1|scale|prem1?|rndint|xtract|abs|chs|u?comi?p{0,2}[ls]?|icomp?[ls]?|tst|xam|ild[lsq]?|istt?p?[lsq]?|bld|bstp)$'
offenders=$(echo "$listing" | awk -v x87="$x87" '
  /^[0-9a-f]+ <.*>:$/ {fn = substr($2, 2, length($2) - 3); next}
  NF >= 2 && $2 ~ x87 && fn !~ /^_?fmod$/ {print fn ": " $2}' |
  sort | uniq -c)
if [ -n "$offenders" ]; then
  echo "FAIL: x87 arithmetic in $library (count, function: instruction):"
  echo "$offenders"
  status=1
fi

for register in ymm zmm; do
  if ! grep -q "%$register" <<<"$listing"; then
    echo "FAIL: no $register instructions in $library"
    status=1
  fi
done

if [ "$mode" = unaligned-wide-moves ]; then
  aligned=$(grep -E $'\t(v?movap[sd]|v?movdqa(32|64)?|v?movnt(p[sd]|dq)) .*(%[yz]mm.*\(|\(.*%[yz]mm)' \
    <<<"$listing" || true)
  if [ -n "$aligned" ]; then
    echo "FAIL: aligned ymm/zmm moves in $library:"
    echo "$aligned" | head -20
    status=1
  fi
fi

[ $status -eq 0 ] && echo "$library: no x87 arithmetic, ymm and zmm kernels present"
exit $status
