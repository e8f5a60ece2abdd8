#pragma once
// The built-in bitmap font: a fixed-width 10 x 18 pixel glyph for each
// character code 32 to 127, packed once into a 256 x 256 alpha texture.
//
// Glyph rows count from the top; rows 0 to 12 lie above the baseline
// (ascent 13), rows 13 to 17 below it (descent 5). Code 127's glyph stands
// in for every character without one of its own.
// Texture layout: each glyph sits in a 12 x 20 cell (a one-texel empty border
// all round), 13 cells per cell row. Texel row 0 is the first row in memory,
// so the texture coordinate t grows from the top of a glyph to its bottom.
// The bitmap is one byte per texel, 0 empty and 255 ink.

constexpr int glyphWidth() { return 10; }
constexpr int glyphAscent() { return 13; }
constexpr int glyphDescent() { return 5; }
constexpr int glyphHeight() { return glyphAscent() + glyphDescent(); }
constexpr int glyphCount() { return 96; }

// Glyph g is character code g + 32; each row is 10 of '.' (empty) or 'X'
// (ink) and a terminating NUL.
extern const char glyphRows[glyphCount()][glyphHeight()][glyphWidth() + 1];

// Sizes in texels (cells) and counts of the packed texture.
struct FontLayout {
    int cellWidth = 0;
    int cellHeight = 0;
    int cellsPerRow = 0;
    int cellRows = 0;
    int textureWidth = 0;
    int textureHeight = 0;
};

const FontLayout& fontLayout();

// The packed bitmap, textureWidth x textureHeight bytes row after row, built
// on first use and kept for the life of the process. Needs no OpenGL.
const unsigned char* fontBitmap();

// The texture rectangle of a character's glyph: left s0, top t0, right s1,
// bottom t1. The character is read as a signed byte, so codes above 127 and
// control characters all get the fallback glyph.
void glyphTexCoords(char ch, float& s0, float& t0, float& s1, float& t1);
