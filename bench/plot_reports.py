#!/usr/bin/python3
"""Draws Pellarin reports as one chart: one line per report, the realtime
factor against the window length (4 .. 262144) on a log2 axis.

    bench/plot_reports.py REPORT... -o chart.png [--label NAME]... [--title T]

Each REPORT is a Pellarin.txt: 17 comma-separated figures.  A line is
labelled with its file's folder name unless --label names it (one --label
per report, in order).  The image format follows the output's extension
(.png, .svg, .pdf).  A malformed report stops the script with a one-line
error naming the file, before any image is written.

Uses Debian's matplotlib (python3-matplotlib), hence /usr/bin/python3.
"""
import argparse
import math
import os
import sys

LENGTHS = [4 << i for i in range(17)]


class ReportError(Exception):
    pass


def read_report(path):
    """The 17 figures of a report, as floats; ReportError says what is wrong."""
    try:
        with open(path, encoding="ascii") as report:
            text = report.read()
    except (OSError, UnicodeDecodeError) as error:
        raise ReportError(f"{path}: cannot read: {error}") from None
    fields = text.strip().split(",")
    if len(fields) != len(LENGTHS):
        raise ReportError(f"{path}: {len(fields)} figures, expected "
                          f"{len(LENGTHS)} separated by commas")
    figures = []
    for position, field in enumerate(fields, 1):
        try:
            figure = float(field)
        except ValueError:
            figure = math.nan
        if not math.isfinite(figure) or figure < 0:
            raise ReportError(f"{path}: figure {position} ({field.strip()!r})"
                              " is not a non-negative number")
        figures.append(figure)
    return figures


def default_label(path):
    folder = os.path.basename(os.path.dirname(os.path.abspath(path)))
    return folder or path


def draw(series, output, title):
    import matplotlib
    matplotlib.use("Agg")  # no display needed
    from matplotlib import pyplot
    from matplotlib.ticker import FixedLocator, NullLocator

    figure, axes = pyplot.subplots(figsize=(10, 6), dpi=100)
    for label, figures in series:
        axes.plot(LENGTHS, figures, marker="o", markersize=4, label=label)
    axes.set_xscale("log", base=2)
    axes.xaxis.set_major_locator(FixedLocator(LENGTHS))
    axes.xaxis.set_minor_locator(NullLocator())
    axes.set_xticklabels([str(n) for n in LENGTHS], rotation=45, ha="right")
    axes.set_xlim(LENGTHS[0] / 1.3, LENGTHS[-1] * 1.3)
    axes.set_ylim(bottom=0)
    axes.set_xlabel("window length (samples)")
    axes.set_ylabel("realtime factor (x faster than 44100 Hz stereo)")
    axes.set_title(title)
    axes.grid(True, which="major", alpha=0.3)
    axes.legend(loc="best")
    figure.tight_layout()
    figure.savefig(output)
    pyplot.close(figure)


def main(argv):
    parser = argparse.ArgumentParser(
        description="Draw Pellarin reports (Pellarin.txt) as one chart.")
    parser.add_argument("reports", nargs="+", metavar="REPORT")
    parser.add_argument("-o", "--output", required=True,
                        help="the image to write; .png, .svg or .pdf")
    parser.add_argument("--label", action="append", default=[],
                        help="a report's line label (once per report)")
    parser.add_argument("--title",
                        default="Pellarin: realtime factor by window length")
    args = parser.parse_args(argv)
    if args.label and len(args.label) != len(args.reports):
        parser.error(f"{len(args.label)} labels for {len(args.reports)} reports")
    extension = os.path.splitext(args.output)[1].lower()
    if extension not in (".png", ".svg", ".pdf"):
        parser.error(f"{args.output}: the extension must be .png, .svg or .pdf")
    try:
        figures = [read_report(path) for path in args.reports]
    except ReportError as error:
        print(f"plot_reports.py: {error}", file=sys.stderr)
        return 1
    labels = args.label or [default_label(path) for path in args.reports]
    draw(list(zip(labels, figures)), args.output, args.title)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
