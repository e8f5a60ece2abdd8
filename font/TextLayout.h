#pragma once
// Where the built-in font puts each character of a line of text: the quad on
// screen and the glyph's rectangle in the font texture. Shared by every
// renderer so that text lands on the same pixels everywhere.
//
// x is the left edge of the line and y the row of the bottom edge of its
// character cells, both in view pixels with rows counted downward from the
// top of a view viewHeight rows tall; the quad is given with rows counted
// upward (y0 bottom, y1 top), as the graphics interfaces take them. size is
// the cell height; at 18 each glyph texel covers one pixel.

struct GlyphQuad {
    float x0, y0, x1, y1;  // left, bottom, right, top
    float s0, t0, s1, t1;  // texture: left, top, right, bottom
};

// The quad of the index-th character ch of the line.
GlyphQuad glyphQuad(int x, int y, int viewHeight, float size, int index, char ch);
