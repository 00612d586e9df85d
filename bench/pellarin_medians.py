#!/usr/bin/env python3
"""Medians of Pellarin's reports over interleaved rounds, per side, and each
side's ratio to the first side.

    bench/pellarin_medians.py WORK ROUNDS SIDE...

Reads WORK/SIDE/roundR (R = 1 .. ROUNDS): one report, a figure per line for
the 17 window lengths.  Prints a table and the median of each ratio column.
"""
import statistics
import sys


def main():
    work, rounds, sides = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    med = {}
    for side in sides:
        runs = [[int(x) for x in open(f"{work}/{side}/round{r}").read().split()]
                for r in range(1, rounds + 1)]
        med[side] = [statistics.median(col) for col in zip(*runs)]
    base, others = sides[0], sides[1:]
    print(f"median of {rounds} interleaved rounds; ratio = side / {base}")
    print(f"{'N':>7} " + " ".join(f"{s:>8}" for s in sides) + " " +
          " ".join(f"{s + '/' + base:>12}" for s in others))
    ratios = {s: [] for s in others}
    for i in range(17):
        for s in others:
            ratios[s].append(med[s][i] / med[base][i])
        print(f"{4 << i:>7} " + " ".join(f"{med[s][i]:>8.0f}" for s in sides) +
              " " + " ".join(f"{ratios[s][i]:>12.3f}" for s in others))
    for s in others:
        print(f"median {s}/{base} over the 17 lengths: "
              f"{statistics.median(ratios[s]):.3f}")


if __name__ == "__main__":
    main()
