#!/usr/bin/env python3
"""Counts the double curves and triple points over the whole eversion for
both methods, from the exporter's own curve files, and plots them for the
README: docs/curve-counts.png (drawn as SVG here and turned into PNG by
ImageMagick) and the table it was drawn from, docs/curve-counts.csv.

    scripts/curve_counts.py [--export build/vedoze-vaderuve-export] [--steps 140] [--out docs]

Standard library only, besides the exporter and ImageMagick's convert."""

import argparse
import csv
import os
import subprocess
import tempfile

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
METHODS = (("corrugations", "#e0b000"), ("ruled", "#9a2bd8"))
WIDTH, PANEL, MARGIN, LEFT = 900, 230, 40, 64
FONT = 'font-family="DejaVu Sans" font-size="13"'


def counts(exporter, method, t, work):
    curves, triple = os.path.join(work, "c.csv"), os.path.join(work, "t.csv")
    subprocess.run([exporter, "curves", "--method", method, "--time", repr(t), "-o", curves,
                    "--triple-points", triple], check=True, timeout=600)
    with open(curves, newline="") as f:
        numbers = {row[0] for row in list(csv.reader(f))[1:]}
    with open(triple, newline="") as f:
        return len(numbers), len(list(csv.reader(f))) - 1


def polyline(points, colour):
    text = " ".join(f"{x:.1f},{y:.1f}" for x, y in points)
    return f'<polyline fill="none" stroke="{colour}" stroke-width="2" points="{text}"/>'


def round_step(top):
    """A round tick step (1, 2, 5, 10, 20, 50, ...) giving at most six ticks up to top."""
    step, factors = 1, (2, 2.5, 2)
    while top / step > 6:
        step = int(step * factors[0])
        factors = factors[1:] + factors[:1]
    return step


def panel(rows, column, title, colour, x0, y0):
    """The plot of one count (column 2: double curves, 3: triple points)
    against t, its top left corner at (x0, y0)."""
    top = max(1, max(r[column] for r in rows))
    step = round_step(top)
    top = -(-top // step) * step
    left, right, bottom = x0 + LEFT, x0 + WIDTH // 2 - MARGIN // 2, y0 + PANEL - MARGIN
    sx = lambda t: left + t * (right - left)  # noqa: E731
    sy = lambda n: bottom - n * (PANEL - 2 * MARGIN) / top  # noqa: E731
    parts = [f'<text x="{left}" y="{y0 + MARGIN - 14}" {FONT} font-weight="bold">{title}</text>']
    for n in range(0, top + 1, step):
        parts.append(f'<line x1="{left}" y1="{sy(n):.1f}" x2="{right}" y2="{sy(n):.1f}" stroke="#ddd"/>')
        parts.append(f'<text x="{left - 8}" y="{sy(n) + 4:.1f}" {FONT} text-anchor="end">{n}</text>')
    parts += [f'<line x1="{left}" y1="{bottom}" x2="{right}" y2="{bottom}" stroke="black"/>',
              f'<line x1="{left}" y1="{sy(top):.1f}" x2="{left}" y2="{bottom}" stroke="black"/>']
    for k in range(0, 11, 2):
        parts.append(f'<text x="{sx(k / 10):.1f}" y="{bottom + 17}" {FONT} text-anchor="middle">{k / 10:g}</text>')
    parts.append(f'<text x="{right}" y="{bottom + 32}" {FONT} text-anchor="end">t</text>')
    parts.append(polyline([(sx(r[1]), sy(r[column])) for r in rows], colour))
    return parts


def plot(rows, path_svg):
    """A row of two plots a method: its double curves and its triple points,
    each on its own scale (the corrugations reach hundreds of triple points
    where the ruled method has a handful)."""
    height = PANEL * len(METHODS) + 10
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{WIDTH}" height="{height}">',
             f'<rect width="{WIDTH}" height="{height}" fill="white"/>']
    for i, (method, colour) in enumerate(METHODS):
        mine = [r for r in rows if r[0] == method]
        y0 = 10 + i * PANEL
        parts += panel(mine, 2, f"{method}: double curves", colour, 0, y0)
        parts += panel(mine, 3, f"{method}: triple points", colour, WIDTH // 2, y0)
    parts.append("</svg>")
    with open(path_svg, "w") as f:
        f.write("\n".join(parts))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--export",
                        default=os.environ.get("VV_EXPORT", os.path.join(ROOT, "build", "vedoze-vaderuve-export")))
    parser.add_argument("--steps", type=int, default=140, help="times from 0 to 1 (a multiple of 7 puts one on "
                        "every join of the ruled steps)")
    parser.add_argument("--out", default=os.path.join(ROOT, "docs"))
    args = parser.parse_args()
    rows = []
    with tempfile.TemporaryDirectory() as work:
        for method, _ in METHODS:
            for k in range(args.steps + 1):
                t = k / args.steps
                rows.append((method, t, *counts(args.export, method, t, work)))
        with open(os.path.join(args.out, "curve-counts.csv"), "w", newline="") as f:
            out = csv.writer(f, lineterminator="\n")
            out.writerow(["method", "t", "double_curves", "triple_points"])
            out.writerows([(m, f"{t:.6f}", c, p) for m, t, c, p in rows])
        svg = os.path.join(work, "plot.svg")
        plot(rows, svg)
        subprocess.run(["convert", svg, "-strip", os.path.join(args.out, "curve-counts.png")], check=True, timeout=60)
    print(os.path.join(args.out, "curve-counts.png"))


if __name__ == "__main__":
    main()
