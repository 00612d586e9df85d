#!/usr/bin/env bash
# Runs the Linux Pellarin and the Windows x64 Pellarin.exe (under wine64)
# interleaved, several rounds, and prints each one's median figure per window
# length with the ratio Windows / Linux, and the median of those ratios.
#   bench/pellarin_wine_vs_linux.sh [rounds]      (default 5)
# Uses build/release and build/windows-x64 (built here if needed); Pellarin
# runs with no terminal, so its closing key wait ends at once.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
rounds="${1:-5}"
cd "$root"
cmake --preset release >/dev/null && cmake --build --preset release --target Pellarin >/dev/null
cmake --preset windows-x64 >/dev/null && cmake --build --preset windows-x64 --target Pellarin >/dev/null
linux="$root/build/release/bin/Pellarin"
windows_dir="$root/build/windows-x64/bin"
work="$(mktemp -d)"
export WINEPREFIX="$work/wineprefix"
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
# The prefix made once, and one persistent wine server for all rounds
# (Pellarin times only its own loops anyway).
"$root/cmake/wine-run.sh" "$WINEPREFIX"
/usr/lib/wine/wineserver -k 2>/dev/null || true  # the one that made it
/usr/lib/wine/wineserver -p
"$root/cmake/wine-run.sh" "$WINEPREFIX"  # its services, on that server

for ((r = 1; r <= rounds; r++)); do
  for side in linux windows; do
    mkdir -p "$work/$side"
    if [ "$side" = linux ]; then
      (cd "$work/$side" && setsid -w "$linux" </dev/null >/dev/null)
    else
      cp "$windows_dir/Pellarin.exe" "$windows_dir/Ondavel.dll" "$work/$side/"
      (cd "$work/$side" &&
        setsid -w "$root/cmake/wine-run.sh" "$WINEPREFIX" ./Pellarin.exe \
          </dev/null >/dev/null 2>&1)
    fi
    tr ',' '\n' <"$work/$side/Pellarin.txt" >"$work/$side/round$r"
  done
done

"$root/bench/pellarin_medians.py" "$work" "$rounds" linux windows
