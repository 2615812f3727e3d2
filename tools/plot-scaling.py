#!/usr/bin/python3
"""Draws the frame benchmark's scaling sweep: median frame milliseconds
against particles for the demo and the floor, each with its least-squares
line and milliseconds per million particles, and demo/floor above each count.

    plot-scaling.py BENCH_JSON OUTPUT_PNG

BENCH_JSON is what frame_benchmark --particle-counts wrote.
"""

import json
import sys

import matplotlib

# No display: the benchmark runs headless as often as not.
matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

PIPELINES = (("demo", "tab:blue"), ("floor", "tab:orange"))


def main(arguments):
    if len(arguments) != 2:
        sys.exit(__doc__)
    source, output = arguments
    with open(source, encoding="utf-8") as file:
        figures = json.load(file)
    scaling = figures.get("scaling")
    if not scaling:
        sys.exit(f"{source} holds no scaling sweep: run frame_benchmark with --particle-counts")
    counts = scaling["counts"]
    millions = [count["particles"] / 1e6 for count in counts]

    figure, axes = plt.subplots(figsize=(8, 5), dpi=100)
    for pipeline, colour in PIPELINES:
        label = pipeline
        fit = scaling[f"{pipeline}_fit"]
        if fit:
            ends = [0, max(millions)]
            axes.plot(ends, [fit["ms_at_none"] + fit["ms_per_million"] * x for x in ends], color=colour,
                      linestyle="--", linewidth=1)
            label += f": {fit['ms_per_million']:.1f} ms per million particles"
        axes.plot(millions, [count[f"{pipeline}_ms"] for count in counts], "o", color=colour, label=label)
    for x, count in zip(millions, counts):
        if count["demo_over_floor"] is not None:
            axes.annotate(f"{count['demo_over_floor']:.2f}", (x, count["demo_ms"]), textcoords="offset points",
                          xytext=(0, 8), ha="center", fontsize=8)
    axes.set_xlabel("particles (millions)")
    axes.set_ylabel("median frame time (ms)")
    axes.set_xlim(left=0)
    axes.set_ylim(bottom=0)
    axes.set_title(f"Frame time against particles, {scaling['seconds']:g} s per run; "
                   f"demo/floor over the demo's points\n{figures['renderer']}", fontsize=10)
    axes.grid(True, alpha=0.3)
    axes.legend(loc="upper left")
    figure.tight_layout()
    figure.savefig(output)


if __name__ == "__main__":
    main(sys.argv[1:])
