#!/usr/bin/env bash
# bench/plot_reports.py: two sample reports drawn as PNG (format, size) and as
# SVG (one line per report, labelled by folder or --label); a malformed report
# gives a one-line error naming it, and no image.
#   plot_reports_test.sh PLOT_REPORTS.PY
set -euo pipefail
plot=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/plot-reports.XXXXXX")
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

mkdir -p "$work/scalar" "$work/avx2"
# As Pellarin writes them: 17 figures, comma separated, no line end.
printf '%s' 310,402,455,470,468,455,440,421,398,377,352,330,301,260,233,210,190 \
  >"$work/scalar/Pellarin.txt"
printf '%s' 610,902,1255,1470,1568,1655,1640,1521,1398,1277,1152,1030,901,760,633,510,490 \
  >"$work/avx2/Pellarin.txt"

"$plot" "$work/scalar/Pellarin.txt" "$work/avx2/Pellarin.txt" -o "$work/chart.png"
# The PNG signature, then the IHDR chunk's width and height (big-endian).
signature=$(od -An -tx1 -N8 "$work/chart.png" | tr -d ' \n')
read -r width height < <(od -An -tu1 -j16 -N8 "$work/chart.png" | xargs |
  awk '{print (($1 * 256 + $2) * 256 + $3) * 256 + $4,
              (($5 * 256 + $6) * 256 + $7) * 256 + $8}')
[ "$signature" = 89504e470d0a1a0a ] || fail "chart.png is not a PNG ($signature)"
[ "$width x $height" = "1000 x 600" ] || fail "chart.png is $width x $height"

"$plot" "$work/scalar/Pellarin.txt" "$work/avx2/Pellarin.txt" -o "$work/chart.svg"
grep -q '<svg' "$work/chart.svg" || fail "chart.svg is not SVG"
for text in scalar avx2 262144 "window length"; do
  grep -q -- "<!-- $text" "$work/chart.svg" || fail "chart.svg lacks the text $text"
done
[ "$(grep -c '<g id="line2d_[0-9]*">' "$work/chart.svg")" -ge 2 ] ||
  fail "chart.svg draws fewer than two lines"

"$plot" "$work/scalar/Pellarin.txt" "$work/avx2/Pellarin.txt" \
  --label before --label after -o "$work/labelled.svg"
grep -q '<!-- before -->' "$work/labelled.svg" &&
  grep -q '<!-- after -->' "$work/labelled.svg" &&
  ! grep -q '<!-- scalar -->' "$work/labelled.svg" ||
  fail "--label does not replace the folder names"

malformed() {  # malformed NAME CONTENT: must fail with one line naming it
  local report="$work/$1.txt" out="$work/$1.png"
  printf '%s' "$2" >"$report"
  if "$plot" "$work/avx2/Pellarin.txt" "$report" -o "$out" 2>"$work/err"; then
    fail "$1: accepted"
  fi
  [ "$(wc -l <"$work/err")" -eq 1 ] && grep -qF "$report" "$work/err" ||
    { fail "$1: the error is not one line naming the file:"; cat "$work/err"; }
  [ ! -e "$out" ] || fail "$1: an image was written"
}
malformed sixteen 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16
malformed eighteen 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18
malformed word 1,2,3,4,5,6,7,8,nine,10,11,12,13,14,15,16,17
malformed empty_field 1,2,3,4,5,6,7,8,,10,11,12,13,14,15,16,17
malformed not_a_number 1,2,3,4,5,6,7,8,nan,10,11,12,13,14,15,16,17
malformed negative 1,2,3,4,5,6,7,8,-9,10,11,12,13,14,15,16,17
malformed empty ""
malformed semicolons "1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;17"

[ $status -eq 0 ] && echo "plot_reports.py: charts and malformed reports as expected"
exit $status
