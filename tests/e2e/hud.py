"""Reads the viewer's heads-up text back from a screenshot, as a user reads it.

The text is drawn at the font's native size, so every character is a 10 x 18
pixel cell whose pixels are the glyph's texels one for one: ink is pure white,
everything else is whatever lies behind the text. A cell is decoded by
comparing its bright pixels with every glyph bitmap of the program's own glyph
table (font/glyphtable.cpp) and taking the closest; a cell too far from every
glyph decodes as '?', so an obscured or misplaced line never reads as valid.
"""

import os
import re
from dataclasses import dataclass

GLYPH_WIDTH, GLYPH_HEIGHT, GLYPH_COUNT, FIRST_CODE = 10, 18, 96, 32
TEXT_X = 20
# Overlay row (from the top of the view) of the bottom edge of each line's
# cells: t and delta_t, alpha, stereo distance, the double curves' counts.
# The lines keep these places whether or not the lines above them are shown.
LINE_BOTTOM = {1: 38, 2: 61, 3: 84, 4: 107}
# Ink is pure white; lit surface colours behind the text never have all three
# channels this high except in a specular highlight, which sits far from the
# top-left corner in the views the tests use.
INK_MIN = 192

_SOURCE = os.environ.get("VV_SOURCE_DIR", os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
# A glyph row in the source: ten pixels between quotes.
_ROW = re.compile(r'"([^"\\]{%d})"' % GLYPH_WIDTH)


def load_glyphs(path=os.path.join(_SOURCE, "font", "glyphtable.cpp")):
    """The glyph table as 96 integers of 180 bits, bit k * 10 + j (from the
    most significant) set where glyph row k, column j has ink ('.' is empty,
    anything else is ink)."""
    with open(path, encoding="utf-8") as source:
        rows = [m for line in source if not line.lstrip().startswith("#")
                for m in _ROW.findall(line.split("//")[0])]
    if len(rows) != GLYPH_COUNT * GLYPH_HEIGHT or any(len(r) != GLYPH_WIDTH for r in rows):
        raise ValueError(f"{path}: not a table of {GLYPH_COUNT} glyphs of {GLYPH_HEIGHT} x {GLYPH_WIDTH}")
    glyphs = []
    for g in range(GLYPH_COUNT):
        bits = "".join(rows[g * GLYPH_HEIGHT:(g + 1) * GLYPH_HEIGHT])
        glyphs.append(int("".join("0" if c == "." else "1" for c in bits), 2))
    return glyphs


GLYPHS = load_glyphs()
# Pixels (of 180) by which a cell may differ from a glyph and still be read as
# it: under half the smallest distance between two glyphs of the table (4, for
# '.' against ',' or ' '), so a cell within it is nearer its glyph than any
# other. The text is drawn texel for texel, so a clean cell differs by 0.
MAX_CELL_ERRORS = (min(bin(a ^ b).count("1") for i, a in enumerate(GLYPHS) for b in GLYPHS[i + 1:]) - 1) // 2
# Code 127 is the fallback glyph, drawn for any character without its own; it
# reads back as '\x7f'.
_CHARS = [chr(FIRST_CODE + g) for g in range(GLYPH_COUNT)]


def _cell_bits(shot, x, bottom):
    """The cell whose left column is x and whose last row is `bottom`, as the
    same kind of 180-bit integer as a glyph (outside the image counts empty)."""
    bits = 0
    top = bottom - GLYPH_HEIGHT + 1
    for y in range(top, top + GLYPH_HEIGHT):
        for j in range(GLYPH_WIDTH):
            bits <<= 1
            if 0 <= x + j < shot.width and 0 <= y < shot.height and min(shot.pixel(x + j, y)) >= INK_MIN:
                bits |= 1
    return bits


def read_cell(shot, x, bottom):
    """(character, errors): the closest glyph and its number of differing pixels."""
    cell = _cell_bits(shot, x, bottom)
    errors, g = min((bin(cell ^ glyph).count("1"), g) for g, glyph in enumerate(GLYPHS))
    return (_CHARS[g] if errors <= MAX_CELL_ERRORS else "?"), errors


def view_box(shot, view=0, views=1):
    """(left, width) of a view: in stereo each half of the window (the left
    eye's view first), each width // 2 pixels wide."""
    width = shot.width // views
    return view * width, width


def read_line(shot, line, view=0, views=1):
    """Text of heads-up line 1, 2 or 3 of a view, trailing blanks removed."""
    left, width = view_box(shot, view, views)
    bottom = LINE_BOTTOM[line]
    cells = (width - TEXT_X) // GLYPH_WIDTH
    text = "".join(read_cell(shot, left + TEXT_X + GLYPH_WIDTH * i, bottom)[0] for i in range(cells))
    return text.rstrip(" ")


def ink_count(shot, line, view=0, views=1):
    """Number of text-bright pixels in the band of a line: 0 where no line is drawn."""
    left, width = view_box(shot, view, views)
    bottom = LINE_BOTTOM[line]
    box = (left + TEXT_X, bottom - GLYPH_HEIGHT + 1, left + width, bottom + 1)
    return shot.count_rgb(box, r=(INK_MIN, 255), g=(INK_MIN, 255), b=(INK_MIN, 255))


@dataclass
class Hud:
    """The values shown in one view; None for a line that is not shown."""
    t: float = None
    steps: int = None  # delta_t = 1 / steps
    alpha: float = None
    stereo_distance: float = None
    lines: tuple = ()


_TIME = re.compile(r"t = (\d\.\d{4}), delta_t = 1/(\d+)")
_ALPHA = re.compile(r"alpha = (\d\.\d{3})")
_STEREO = re.compile(r"stereo distance = (-?\d+\.\d{3})")


def read_hud(shot, view=0, views=1):
    """Decodes the three lines of a view; a line that does not match its
    format exactly leaves its values None (the raw text is in `lines`)."""
    lines = tuple(read_line(shot, n, view, views) for n in (1, 2, 3))
    hud = Hud(lines=lines)
    if m := _TIME.fullmatch(lines[0]):
        hud.t, hud.steps = float(m.group(1)), int(m.group(2))
    if m := _ALPHA.fullmatch(lines[1]):
        hud.alpha = float(m.group(1))
    if m := _STEREO.fullmatch(lines[2]):
        hud.stereo_distance = float(m.group(1))
    return hud
