// The glyph table's conventions, the packing of the table into the texture
// bitmap and the texture rectangle of a character.
#include "font/fontdata.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

static bool ink(int glyph, int row, int column)
{
    return glyphRows[glyph][row][column] != '.';
}

static bool rowHasInk(int glyph, int row)
{
    for (int j = 0; j < glyphWidth(); ++j)
        if (ink(glyph, row, j))
            return true;
    return false;
}

// First and last inked rows; -1, -1 for an empty glyph.
static void inkRows(int glyph, int& top, int& bottom)
{
    top = -1;
    bottom = -1;
    for (int k = 0; k < glyphHeight(); ++k)
        if (rowHasInk(glyph, k)) {
            if (top < 0)
                top = k;
            bottom = k;
        }
}

static int glyphOf(char ch)
{
    return ch - 32;
}

TEST(FontTable, MetricsAndRowFormat)
{
    EXPECT_EQ(glyphWidth(), 10);
    EXPECT_EQ(glyphAscent(), 13);
    EXPECT_EQ(glyphDescent(), 5);
    for (int g = 0; g < glyphCount(); ++g)
        for (int k = 0; k < glyphHeight(); ++k) {
            const char* row = glyphRows[g][k];
            ASSERT_EQ(std::strlen(row), 10u) << "glyph " << g << " row " << k;
            for (int j = 0; j < glyphWidth(); ++j)
                ASSERT_TRUE(row[j] == '.' || row[j] == 'X') << "glyph " << g << " row " << k;
        }
}

TEST(FontTable, CapitalsAndDigitsFillRowsOneToTwelve)
{
    const std::string tall = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (char ch : tall) {
        int top = 0, bottom = 0;
        inkRows(glyphOf(ch), top, bottom);
        EXPECT_EQ(top, 1) << ch;
        // Every one sits on the baseline; only Q's tail hangs below it.
        EXPECT_TRUE(rowHasInk(glyphOf(ch), 12)) << ch;
        EXPECT_EQ(bottom, ch == 'Q' ? 15 : 12) << ch;
    }
}

TEST(FontTable, LowerCaseShareBaselineAndXHeight)
{
    const std::string ascenders = "bdfhkl";
    const std::string dotted = "ij";
    for (char ch = 'a'; ch <= 'z'; ++ch) {
        int top = 0, bottom = 0;
        inkRows(glyphOf(ch), top, bottom);
        EXPECT_TRUE(rowHasInk(glyphOf(ch), 12)) << ch;
        const bool tall = ascenders.find(ch) != std::string::npos || dotted.find(ch) != std::string::npos;
        // t has a short ascender, as usual.
        const int expectedTop = tall ? 1 : ch == 't' ? 2 : 4;
        EXPECT_EQ(top, expectedTop) << ch;
        if (dotted.find(ch) != std::string::npos) {
            // The dot stands apart from the stem.
            EXPECT_FALSE(rowHasInk(glyphOf(ch), 3)) << ch;
            EXPECT_TRUE(rowHasInk(glyphOf(ch), 4)) << ch;
        }
    }
}

TEST(FontTable, InkBelowTheBaselineOnlyWhereItBelongs)
{
    const std::string descenders = "gjpqy";
    const std::string hanging = "Q$(),;[]_{|}";
    for (int g = 0; g < glyphCount(); ++g) {
        const char ch = char(g + 32);
        int top = 0, bottom = 0;
        inkRows(g, top, bottom);
        if (descenders.find(ch) != std::string::npos) {
            EXPECT_EQ(bottom, 16) << ch;
        } else if (hanging.find(ch) == std::string::npos) {
            EXPECT_LE(bottom, 12) << "glyph " << g;
        }
        // Row 17 keeps stacked lines of text apart.
        EXPECT_FALSE(rowHasInk(g, 17)) << "glyph " << g;
    }
}

TEST(FontTable, ColumnNineIsTheGapBetweenCharacters)
{
    for (int g = 0; g < glyphCount(); ++g) {
        bool inked = false;
        for (int k = 0; k < glyphHeight(); ++k)
            inked = inked || ink(g, k, 9);
        // The underscore alone runs through so that a row of them joins.
        EXPECT_EQ(inked, g == glyphOf('_')) << "glyph " << g;
    }
}

TEST(FontTable, CapitalAIsDrawnAsDesigned)
{
    const char* expected[18] = {"..........", "....X.....", "...XXX....", "...XXX....", "..XX.XX...",
                                "..XX.XX...", "..XX.XX...", ".XX...XX..", ".XX...XX..", ".XXXXXXX..",
                                "XX.....XX.", "XX.....XX.", "XX.....XX.", "..........", "..........",
                                "..........", "..........", ".........."};
    for (int k = 0; k < glyphHeight(); ++k)
        EXPECT_STREQ(glyphRows[glyphOf('A')][k], expected[k]) << "row " << k;
}

TEST(FontTable, FallbackIsARingWithADiagonalInRowsFourToTwelve)
{
    const int g = glyphCount() - 1;
    int top = 0, bottom = 0;
    inkRows(g, top, bottom);
    EXPECT_EQ(top, 4);
    EXPECT_EQ(bottom, 12);
    // The ring's sides: both outer columns inked through its middle rows,
    // and the stroke crossing its inside.
    for (int k = 6; k <= 10; ++k) {
        EXPECT_TRUE(ink(g, k, 0)) << k;
        EXPECT_TRUE(ink(g, k, 8)) << k;
    }
    EXPECT_TRUE(ink(g, 8, 4));
    // Bottom-left to top-right: the lowest row's leftmost ink lies left of
    // the topmost row's rightmost ink.
    EXPECT_TRUE(ink(g, 12, 0));
    EXPECT_TRUE(ink(g, 4, 8));
}

TEST(FontTable, AllGlyphsDistinctAndOnlySpaceEmpty)
{
    std::set<std::string> seen;
    for (int g = 0; g < glyphCount(); ++g) {
        std::string pixels;
        for (int k = 0; k < glyphHeight(); ++k)
            pixels += glyphRows[g][k];
        EXPECT_TRUE(seen.insert(pixels).second) << "glyph " << g << " repeats an earlier one";
        EXPECT_EQ(pixels.find('X') == std::string::npos, g == 0) << "glyph " << g;
    }
}

TEST(FontPacking, LayoutOfTheTexture)
{
    const FontLayout& layout = fontLayout();
    EXPECT_EQ(layout.cellWidth, 12);
    EXPECT_EQ(layout.cellHeight, 20);
    EXPECT_EQ(layout.cellsPerRow, 13);
    EXPECT_EQ(layout.cellRows, 8);
    EXPECT_EQ(layout.textureWidth, 256);
    EXPECT_EQ(layout.textureHeight, 256);
}

TEST(FontPacking, EveryGlyphLandsWhereItsTexCoordsPoint)
{
    // Cross-checks the packing against the lookup: the rectangle that
    // glyphTexCoords returns holds exactly the glyph's table pixels.
    const unsigned char* bitmap = fontBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(fontBitmap(), bitmap);  // built once
    for (int g = 0; g < glyphCount(); ++g) {
        float s0 = 0, t0 = 0, s1 = 0, t1 = 0;
        glyphTexCoords(char(g + 32), s0, t0, s1, t1);
        const int px = int(s0 * 256), py = int(t0 * 256);
        for (int k = 0; k < glyphHeight(); ++k)
            for (int j = 0; j < glyphWidth(); ++j)
                ASSERT_EQ(bitmap[(py + k) * 256 + px + j], ink(g, k, j) ? 255 : 0)
                    << "glyph " << g << " row " << k << " column " << j;
    }
}

TEST(FontPacking, BordersAndUnusedTexelsStayEmpty)
{
    const unsigned char* bitmap = fontBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap[0], 0);
    // Outside the glyph rectangles every texel is 0: the cell borders, the
    // unused cells and the margin beyond the cell grid.
    int inkTexels = 0;
    int tableInk = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const unsigned char value = bitmap[y * 256 + x];
            ASSERT_TRUE(value == 0 || value == 255) << x << ", " << y;
            const int column = x % 12, row = y % 20;
            const int glyph = (y / 20) * 13 + x / 12;
            const bool inside = x < 156 && y < 160 && glyph < 96 && column >= 1 && column <= 10 &&
                                row >= 1 && row <= 18;
            if (!inside) {
                ASSERT_EQ(value, 0) << x << ", " << y;
            }
            inkTexels += value != 0;
        }
    for (int g = 0; g < glyphCount(); ++g)
        for (int k = 0; k < glyphHeight(); ++k)
            for (int j = 0; j < glyphWidth(); ++j)
                tableInk += ink(g, k, j);
    EXPECT_EQ(inkTexels, tableInk);
}

TEST(FontPacking, CapitalALandsInCellColumnSevenOfCellRowTwo)
{
    // Glyph 33 in cell column 7, cell row 2: its top-left texel is (85, 41).
    const unsigned char* bitmap = fontBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap[42 * 256 + 89], 255);  // the apex, glyph row 1 column 4
    EXPECT_EQ(bitmap[42 * 256 + 88], 0);
    for (int x = 86; x <= 92; ++x)
        EXPECT_EQ(bitmap[50 * 256 + x], 255) << x;  // the crossbar, glyph row 9
    EXPECT_EQ(bitmap[50 * 256 + 85], 0);
    EXPECT_EQ(bitmap[53 * 256 + 85], 255);  // the left foot, glyph row 12
}

static void expectRect(char ch, float s0, float t0, float s1, float t1)
{
    float a = -1, b = -1, c = -1, d = -1;
    glyphTexCoords(ch, a, b, c, d);
    // Exact: texel positions over 256 are representable in a float.
    EXPECT_EQ(a, s0) << int(ch);
    EXPECT_EQ(b, t0) << int(ch);
    EXPECT_EQ(c, s1) << int(ch);
    EXPECT_EQ(d, t1) << int(ch);
}

TEST(FontTexCoords, PrintableCharacters)
{
    expectRect('A', 85 / 256.0f, 41 / 256.0f, 95 / 256.0f, 59 / 256.0f);
    expectRect(' ', 1 / 256.0f, 1 / 256.0f, 11 / 256.0f, 19 / 256.0f);
    // '~' is glyph 94: cell column 3, cell row 7.
    expectRect('~', 37 / 256.0f, 141 / 256.0f, 47 / 256.0f, 159 / 256.0f);
}

TEST(FontTexCoords, CharactersWithoutAGlyphShareTheFallback)
{
    // Glyph 95, cell column 4, cell row 7.
    const float s0 = 49 / 256.0f, t0 = 141 / 256.0f, s1 = 59 / 256.0f, t1 = 159 / 256.0f;
    expectRect('\n', s0, t0, s1, t1);
    expectRect(char(127), s0, t0, s1, t1);
    expectRect(char(200), s0, t0, s1, t1);
    expectRect(char(128), s0, t0, s1, t1);
    expectRect(char(255), s0, t0, s1, t1);
    expectRect(char(31), s0, t0, s1, t1);
    expectRect('\0', s0, t0, s1, t1);
}
