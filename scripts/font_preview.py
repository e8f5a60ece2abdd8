#!/usr/bin/env python3
"""Prints the built-in font's glyph table as text, several glyphs side by side,
so that a human can proof-read it. Reads the table from font/glyphtable.cpp.

Usage: scripts/font_preview.py [--per-line N] [--grid] [TEXT]
  --per-line N  glyphs per line of the sheet (default 8)
  --grid        draw empty pixels as '.' instead of blanks
  TEXT          set this text with the font instead of printing the sheet
"""
import argparse
import os
import re
import sys

WIDTH, HEIGHT, COUNT = 10, 18, 96
FALLBACK = COUNT - 1
ROW = re.compile(r'"([.X]*)"')


def load(path):
    """Returns the 96 glyphs, each a list of 18 row strings."""
    with open(path, encoding="utf-8") as source:
        rows = [m for line in source for m in ROW.findall(line.split("//")[0])]
    if len(rows) != COUNT * HEIGHT:
        sys.exit(f"{path}: expected {COUNT * HEIGHT} rows, found {len(rows)}")
    for i, row in enumerate(rows):
        if len(row) != WIDTH or set(row) - {".", "X"}:
            sys.exit(f"{path}: glyph {i // HEIGHT} row {i % HEIGHT} is malformed: {row!r}")
    return [rows[g * HEIGHT:(g + 1) * HEIGHT] for g in range(COUNT)]


def label(glyph):
    code = glyph + 32
    return {32: "space", 127: "127 fallback"}.get(code, f"{code} {chr(code)}")


def render(row, grid):
    return row.replace(".", "." if grid else " ").replace("X", "#")


def print_glyphs(glyphs, indices, labels, grid):
    if labels:
        print("  ".join(label(g).ljust(WIDTH) for g in indices).rstrip())
    ruler = "  ".join("-" * WIDTH for _ in indices)
    for k in range(HEIGHT):
        print("  ".join(render(glyphs[g][k], grid) for g in indices) + f"  {k:2d}")
        if k == 12:  # the baseline lies under row 12
            print(ruler)


def glyph_of(ch):
    code = ord(ch)
    return code - 32 if 32 <= code <= 126 else FALLBACK


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--per-line", type=int, default=8)
    parser.add_argument("--grid", action="store_true")
    parser.add_argument("text", nargs="?")
    args = parser.parse_args()
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    glyphs = load(os.path.join(root, "font", "glyphtable.cpp"))
    if args.text is not None:
        # Text is set without gaps, exactly as the overlay draws it.
        rows = ["".join(render(glyphs[glyph_of(c)][k], args.grid) for c in args.text)
                for k in range(HEIGHT)]
        print("\n".join(r.rstrip() for r in rows))
        return
    for start in range(0, COUNT, args.per_line):
        print_glyphs(glyphs, range(start, min(start + args.per_line, COUNT)), True, args.grid)
        print()


if __name__ == "__main__":
    main()
