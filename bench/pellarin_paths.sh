#!/usr/bin/env bash
# Runs Pellarin on every instruction-set back-end the processor has, several
# rounds interleaved, and prints each back-end's median figure per window
# length with its ratio to the scalar back-end.
#   bench/pellarin_paths.sh [rounds]      (default 3)
#   BACKENDS="scalar avx512" bench/pellarin_paths.sh 5   (a subset; scalar
#                                   first; PATHS is the older name)
#   bench/pellarin_paths.sh --chart paths.png 3   (also draws the medians,
#                                   one line per back-end: bench/plot_reports.py)
# Uses build/release (built here if needed).  The library picks its back-end
# from ONDAVEL_ISA; Pellarin itself takes no configuration.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
chart=""
if [ "${1:-}" = --chart ]; then
  [ $# -ge 2 ] || { echo "usage: $0 [--chart IMAGE] [rounds]" >&2; exit 2; }
  chart=$2
  shift 2
fi
rounds="${1:-3}"
(cd "$root" && cmake --preset release >/dev/null && cmake --build --preset release --target Pellarin >/dev/null)
pellarin="$root/build/release/bin/Pellarin"
read -r -a paths <<<"${BACKENDS:-${PATHS:-scalar sse2 avx2 avx512}}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

for ((r = 1; r <= rounds; r++)); do
  for p in "${paths[@]}"; do
    mkdir -p "$work/$p"
    # No controlling terminal and no input: the closing key wait ends at once.
    (cd "$work/$p" && ONDAVEL_ISA="$p" setsid -w "$pellarin" </dev/null >/dev/null)
    tr ',' '\n' <"$work/$p/Pellarin.txt" >"$work/$p/round$r"
  done
done

python3 - "$work" "$rounds" "${paths[@]}" <<'PY'
import os, statistics, sys
work, rounds, paths = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
med = {}
for p in paths:
    runs = [[int(x) for x in open(f"{work}/{p}/round{r}").read().split()] for r in range(1, rounds + 1)]
    med[p] = [statistics.median(col) for col in zip(*runs)]
    # The medians as a report of their own, in a folder named after the back-end
    # (the chart's label for it).
    os.makedirs(f"{work}/median/{p}")
    with open(f"{work}/median/{p}/Pellarin.txt", "w") as report:
        report.write(",".join(f"{m:g}" for m in med[p]))
print(f"median of {rounds} rounds per back-end; ratio = back-end / scalar")
print(f"{'N':>7} " + " ".join(f"{p:>8}" for p in paths) + " " + " ".join(f"{p + '/sc':>10}" for p in paths[1:]))
for i in range(17):
    n = 4 << i
    row = " ".join(f"{med[p][i]:>8.0f}" for p in paths)
    ratios = " ".join(f"{med[p][i] / med['scalar'][i]:>10.2f}" for p in paths[1:])
    print(f"{n:>7} {row} {ratios}")
PY

if [ -n "$chart" ]; then
  reports=()
  for p in "${paths[@]}"; do reports+=("$work/median/$p/Pellarin.txt"); done
  "$root/bench/plot_reports.py" "${reports[@]}" -o "$chart" \
    --title "Pellarin per instruction-set back-end (median of $rounds rounds)"
  echo "chart: $chart"
fi
