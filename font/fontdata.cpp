#include "font/fontdata.h"

#include "geometry/check.h"

#include <cmath>
#include <cstring>
#include <new>

static constexpr int fallbackGlyph = glyphCount() - 1;

static int smallestPowerOfTwoAtLeast(int size)
{
    int power = 2;
    while (power < size)
        power *= 2;
    return power;
}

static FontLayout computeLayout()
{
    FontLayout layout;
    layout.cellWidth = glyphWidth() + 2;
    layout.cellHeight = glyphHeight() + 2;
    // A square block of cells: n cells of width w across and count / n rows
    // of height h balance when n * n = count * h / w. Single precision, as
    // the texture size depends on how this rounds.
    const float cellsAcross = std::sqrt(float(layout.cellHeight * glyphCount()) / float(layout.cellWidth));
    layout.cellsPerRow = int(std::ceil(cellsAcross));
    layout.cellRows = (glyphCount() + layout.cellsPerRow - 1) / layout.cellsPerRow;
    layout.textureWidth = smallestPowerOfTwoAtLeast(layout.cellWidth * layout.cellsPerRow);
    layout.textureHeight = smallestPowerOfTwoAtLeast(layout.cellHeight * layout.cellRows);
    return layout;
}

// Top-left texel of glyph g (inside its cell's border).
static void glyphOrigin(int glyph, int& px, int& py)
{
    const FontLayout& layout = fontLayout();
    px = layout.cellWidth * (glyph % layout.cellsPerRow) + 1;
    py = layout.cellHeight * (glyph / layout.cellsPerRow) + 1;
}

static unsigned char* buildBitmap()
{
    const FontLayout& layout = fontLayout();
    const int size = layout.textureWidth * layout.textureHeight;
    // A failed allocation leaves the bitmap missing, which the texture
    // upload's consistency check reports.
    unsigned char* bitmap = new (std::nothrow) unsigned char[size];
    if (!bitmap)
        return nullptr;
    std::memset(bitmap, 0, size);
    for (int g = 0; g < glyphCount(); ++g) {
        int px = 0, py = 0;
        glyphOrigin(g, px, py);
        for (int k = 0; k < glyphHeight(); ++k)
            for (int j = 0; j < glyphWidth(); ++j)
                if (glyphRows[g][k][j] != '.')
                    bitmap[(py + k) * layout.textureWidth + px + j] = 255;
    }
    return bitmap;
}

const FontLayout& fontLayout()
{
    static const FontLayout layout = computeLayout();
    return layout;
}

const unsigned char* fontBitmap()
{
    static const unsigned char* bitmap = buildBitmap();
    return bitmap;
}

void glyphTexCoords(char ch, float& s0, float& t0, float& s1, float& t1)
{
    // As a signed byte, every code from 128 up is negative and so falls
    // outside the printable range like the control characters do.
    const int code = static_cast<signed char>(ch);
    const int glyph = (code >= 32 && code <= 126) ? code - 32 : fallbackGlyph;
    int px = 0, py = 0;
    glyphOrigin(glyph, px, py);
    const FontLayout& layout = fontLayout();
    s0 = float(px) / float(layout.textureWidth);
    s1 = float(px + glyphWidth()) / float(layout.textureWidth);
    t0 = float(py) / float(layout.textureHeight);
    t1 = float(py + glyphHeight()) / float(layout.textureHeight);
}
