#!/usr/bin/env bash
# Pellarin itself on two builds of the library, run after run alternately,
# and each library's median figure per window length with the ratio B/A.
#   bench/pellarin_ab.sh A.so B.so [rounds]     (default 5)
# Uses build/release's Pellarin (built here if needed) and loads each
# library through LD_LIBRARY_PATH, ahead of the program's own run path.
# ONDAVEL_ISA applies to both.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
[ $# -ge 2 ] || { echo "usage: $0 A.so B.so [rounds]" >&2; exit 2; }
a="$(realpath "$1")"
b="$(realpath "$2")"
rounds="${3:-5}"
(cd "$root" && cmake --preset release >/dev/null && cmake --build --preset release --target Pellarin >/dev/null)
pellarin="$root/build/release/bin/Pellarin"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for side in A B; do
  mkdir -p "$work/$side/lib"
  lib="$a"
  [ "$side" = B ] && lib="$b"
  cp "$lib" "$work/$side/lib/libOndavel.so.1"
done

for ((r = 1; r <= rounds; r++)); do
  for side in A B; do
    # No controlling terminal and no input: the closing key wait ends at once.
    (cd "$work/$side" && LD_LIBRARY_PATH="$work/$side/lib" setsid -w "$pellarin" </dev/null >/dev/null)
    tr ',' '\n' <"$work/$side/Pellarin.txt" >"$work/$side/round$r"
  done
done

"$root/bench/pellarin_medians.py" "$work" "$rounds" A B
