// Text drawn through Overlay2D in a real context, read back from the back
// buffer, and the font texture as OpenGL holds it.
#include "draw/FontTexture.h"
#include "draw/Overlay2D.h"
#include "font/fontdata.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "gl_support.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

// At the native size every pixel centre samples a texel centre, so ink comes
// out white and empty pixels black up to the rasterizer's fixed-point
// rounding of the texture coordinates, a few levels at most.
static constexpr int nativeTolerance = 8;
// When magnified, a pixel counts as inked when its filtered coverage is at
// least half.
static constexpr int halfCoverage = 128;

using Image = FrameImage;

static Image readBack()
{
    return readBackFrame();
}

class OverlayTest : public testing::Test {
protected:
    void SetUp() override
    {
        clearView();
        glDisable(GL_BLEND);
        glDisable(GL_TEXTURE_2D);
        glShadeModel(GL_SMOOTH);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glColor3f(1, 1, 1);
    }
    void TearDown() override { EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)); }

    // Draws text the way the heads-up display does: white, cells of 18 pixels.
    static Image drawAndRead(const char* text, float size)
    {
        Overlay2D overlay;
        overlay.begin(viewSize, viewSize);
        overlay.drawText(20, 38, text, size);
        overlay.end();
        return readBack();
    }
};

static int glyphIndex(char ch)
{
    const int code = static_cast<signed char>(ch);
    return code >= 32 && code <= 126 ? code - 32 : glyphCount() - 1;
}

TEST_F(OverlayTest, NativeSizeTextReproducesTheGlyphTablePixelForPixel)
{
    // Includes a control character and a byte above 127, both drawn with the
    // fallback glyph.
    const std::string text = "Ag0@Q|~y\x01\xc8";
    const Image image = drawAndRead(text.c_str(), 18);

    // Cells from column 20, 10 wide each; OpenGL rows 473 (bottom edge) to
    // 490, glyph row k on row 490 - k.
    const int left = 20, right = left + 10 * int(text.size()), bottom = 473, top = 491;
    int inked = 0;
    for (int y = 0; y < viewSize; ++y)
        for (int x = 0; x < viewSize; ++x) {
            if (x < left || x >= right || y < bottom || y >= top) {
                ASSERT_TRUE(image.black(x, y)) << "ink outside the text at " << x << ", " << y;
                continue;
            }
            const int i = (x - left) / 10, j = (x - left) % 10, k = 490 - y;
            const bool expected = glyphRows[glyphIndex(text[i])][k][j] != '.';
            const int level = image.level(x, y);
            if (expected)
                EXPECT_GE(level, 255 - nativeTolerance) << "char " << i << " row " << k << " col " << j;
            else
                EXPECT_LE(level, nativeTolerance) << "char " << i << " row " << k << " col " << j;
            inked += expected;
        }
    EXPECT_GT(inked, 0);
}

TEST_F(OverlayTest, LargerSizesScaleTheCellKeepingItsProportions)
{
    // Size 36: cells of 20 x 36 pixels from row 473. H's ink (glyph columns
    // 0 to 8, rows 1 to 12) then covers columns 20..37 and 40..57 and rows
    // 483..506 at least half.
    const Image image = drawAndRead("HH", 36);
    int minX = viewSize, maxX = -1, minY = viewSize, maxY = -1;
    for (int y = 0; y < viewSize; ++y)
        for (int x = 0; x < viewSize; ++x)
            if (image.level(x, y) >= halfCoverage) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    EXPECT_EQ(minX, 20);
    EXPECT_EQ(maxX, 57);
    EXPECT_EQ(minY, 483);
    EXPECT_EQ(maxY, 506);
    // The gap between the two H's (glyph column 9 of the first, column 0 of
    // the second starts at 40).
    EXPECT_LT(image.level(39, 500), halfCoverage);
    EXPECT_GE(image.level(41, 500), halfCoverage);
}

TEST_F(OverlayTest, DrawTextLeavesBlendingAndTexturingOffAndFlatShading)
{
    glBindTexture(GL_TEXTURE_2D, 0);
    Overlay2D overlay;
    overlay.begin(viewSize, viewSize);
    overlay.drawText(20, 38, "x", 18);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint value = 0;
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_FLAT);
    glGetIntegerv(GL_BLEND_SRC, &value);
    EXPECT_EQ(value, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST, &value);
    EXPECT_EQ(value, GL_ONE_MINUS_SRC_ALPHA);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(GLuint(value), fontTextureId());
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
    EXPECT_EQ(value, GL_MODULATE);
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);
    overlay.end();
}

TEST_F(OverlayTest, NullTextDoesNothingEmptyTextDrawsNothing)
{
    glBindTexture(GL_TEXTURE_2D, 0);
    Overlay2D overlay;
    overlay.begin(viewSize, viewSize);
    overlay.drawText(20, 38, nullptr, 18);
    GLint value = 0;
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_SMOOTH);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(value, 0);

    overlay.drawText(20, 38, "", 18);
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_FLAT);  // the state is set, the quad batch is empty
    overlay.end();

    const Image image = readBack();
    for (int y = 0; y < viewSize; ++y)
        for (int x = 0; x < viewSize; ++x)
            ASSERT_TRUE(image.black(x, y)) << x << ", " << y;
}

TEST_F(OverlayTest, BeginSetsAPixelProjectionAndEndRestoresTheStack)
{
    Overlay2D overlay;
    EXPECT_EQ(overlay.width, 10);
    EXPECT_EQ(overlay.height, 10);

    glMatrixMode(GL_PROJECTION);
    glFrustum(-1, 1, -1, 1, 1, 10);
    GLfloat before[16];
    glGetFloatv(GL_PROJECTION_MATRIX, before);
    GLint depthBefore = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depthBefore);
    glMatrixMode(GL_MODELVIEW);

    overlay.begin(640, 480);
    EXPECT_EQ(overlay.width, 640);
    EXPECT_EQ(overlay.height, 480);
    GLint value = 0;
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &value);
    EXPECT_EQ(value, depthBefore + 1);
    // glOrtho(0, 640, 0, 480, -1, 1): pixel (0, 0) to clip (-1, -1), the far
    // corner to (1, 1), z flipped.
    GLfloat ortho[16];
    glGetFloatv(GL_PROJECTION_MATRIX, ortho);
    const GLfloat expected[16] = {2.0f / 640, 0, 0, 0, 0, 2.0f / 480, 0, 0, 0, 0, -1, 0, -1, -1, 0, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(ortho[i], expected[i]) << i;

    overlay.end();
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &value);
    EXPECT_EQ(value, depthBefore);
    GLfloat after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    EXPECT_EQ(std::memcmp(before, after, sizeof before), 0);
}

TEST_F(OverlayTest, FontTextureIsCreatedOnceWithItsParameters)
{
    const GLuint name = fontTextureId();
    ASSERT_NE(name, 0u);
    EXPECT_EQ(fontTextureId(), name);
    EXPECT_TRUE(glIsTexture(name));
    GLint value = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &value);
    EXPECT_EQ(value, 1);

    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &value);
    EXPECT_EQ(value, 256);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &value);
    EXPECT_EQ(value, 256);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &value);
    EXPECT_EQ(value, GL_ALPHA);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_BORDER, &value);
    EXPECT_EQ(value, 0);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(value, GL_CLAMP);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
    EXPECT_EQ(value, GL_CLAMP);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
    EXPECT_EQ(value, GL_MODULATE);

    // The texture holds the packed bitmap unchanged.
    std::vector<unsigned char> texels(256 * 256);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ(std::memcmp(texels.data(), fontBitmap(), texels.size()), 0);
    glBindTexture(GL_TEXTURE_2D, 0);
}
