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
WIDTH, HEIGHT, MARGIN = 900, 420, 56


def counts(exporter, method, t, work):
    curves, triple = os.path.join(work, "c.csv"), os.path.join(work, "t.csv")
    subprocess.run([exporter, "curves", "--method", method, "--time", repr(t), "-o", curves,
                    "--triple-points", triple], check=True, timeout=600)
    with open(curves, newline="") as f:
        numbers = {row[0] for row in list(csv.reader(f))[1:]}
    with open(triple, newline="") as f:
        return len(numbers), len(list(csv.reader(f))) - 1


def polyline(points, colour, dashed=False):
    dash = ' stroke-dasharray="6 4"' if dashed else ""
    text = " ".join(f"{x:.1f},{y:.1f}" for x, y in points)
    return f'<polyline fill="none" stroke="{colour}" stroke-width="2"{dash} points="{text}"/>'


def plot(rows, path_svg):
    top = max(1, max(max(r[2], r[3]) for r in rows))
    sx = lambda t: MARGIN + t * (WIDTH - 2 * MARGIN)  # noqa: E731
    sy = lambda n: HEIGHT - MARGIN - n * (HEIGHT - 2 * MARGIN) / top  # noqa: E731
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{WIDTH}" height="{HEIGHT}">',
             f'<rect width="{WIDTH}" height="{HEIGHT}" fill="white"/>',
             f'<line x1="{MARGIN}" y1="{HEIGHT - MARGIN}" x2="{WIDTH - MARGIN}" y2="{HEIGHT - MARGIN}" stroke="black"/>',
             f'<line x1="{MARGIN}" y1="{MARGIN}" x2="{MARGIN}" y2="{HEIGHT - MARGIN}" stroke="black"/>']
    for k in range(11):
        x = sx(k / 10)
        parts.append(f'<text x="{x:.1f}" y="{HEIGHT - MARGIN + 18}" font-size="13" text-anchor="middle" '
                     f'font-family="DejaVu Sans">{k / 10:g}</text>')
    step = max(1, top // 8)
    for n in range(0, top + 1, step):
        parts.append(f'<text x="{MARGIN - 8}" y="{sy(n) + 4:.1f}" font-size="13" text-anchor="end" '
                     f'font-family="DejaVu Sans">{n}</text>')
    parts.append(f'<text x="{WIDTH / 2}" y="{HEIGHT - 12}" font-size="14" text-anchor="middle" '
                 f'font-family="DejaVu Sans">t</text>')
    legend_y = MARGIN - 24
    for i, (method, colour) in enumerate(METHODS):
        mine = [r for r in rows if r[0] == method]
        parts.append(polyline([(sx(r[1]), sy(r[2])) for r in mine], colour))
        parts.append(polyline([(sx(r[1]), sy(r[3])) for r in mine], colour, dashed=True))
        x = MARGIN + 10 + i * 380
        parts.append(polyline([(x, legend_y), (x + 30, legend_y)], colour))
        parts.append(f'<text x="{x + 36}" y="{legend_y + 5}" font-size="13" font-family="DejaVu Sans">'
                     f'{method}: double curves</text>')
        parts.append(polyline([(x + 190, legend_y), (x + 220, legend_y)], colour, dashed=True))
        parts.append(f'<text x="{x + 226}" y="{legend_y + 5}" font-size="13" font-family="DejaVu Sans">'
                     f'triple points</text>')
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
            out = csv.writer(f)
            out.writerow(["method", "t", "double_curves", "triple_points"])
            out.writerows([(m, f"{t:.6f}", c, p) for m, t, c, p in rows])
        svg = os.path.join(work, "plot.svg")
        plot(rows, svg)
        subprocess.run(["convert", svg, "-strip", os.path.join(args.out, "curve-counts.png")], check=True, timeout=60)
    print(os.path.join(args.out, "curve-counts.png"))


if __name__ == "__main__":
    main()
