// Axes, arrowheads and the target cross in a real context: the pixels they
// cover in the home view, and their exact vertices and order captured in
// feedback mode.
#include "draw/drawutil.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include "gl_support.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

static const float red[3] = {1, 0, 0};
static const float green[3] = {0, 1, 0};
static const float blue[3] = {0, 0, 1};

// Lines are one pixel wide and the rasterizer may put a pixel one row or
// column off the ideal line, so a point of a line is searched for within
// this many pixels of its projection.
static constexpr int pixelSlack = 1;
// Feedback returns window coordinates as floats (up to 512); mapping back to
// the world divides by 128, leaving rounding far below this.
static constexpr float worldTolerance = 1e-4f;
// The arrowhead's half-angle as a float, and cos/sin of it in float.
static constexpr float angleTolerance = 1e-4f;

static const Vector3 axesOrigin(-1, -1, -1, 1);
static const Vector3 unitX(1, 0, 0, 1), unitY(0, 1, 0, 1), unitZ(0, 0, 1, 1);

static void drawApplicationAxes()
{
    drawAxes(axesOrigin, unitX, unitY, unitZ, 1.0f, red, green, blue);
}

// ---------------------------------------------------------------------------
// Pixels in the home view.

using Image = FrameImage;

class HomeViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        clearView();
        glDisable(GL_LIGHTING);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glFrustum(-0.0535898, 0.0535898, -0.0535898, 0.0535898, 0.2, 30);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(0, 0, 8.210512, 0, 0, 0, 0, 1, 0);
    }
    void TearDown() override { EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)); }

    static Image readBack() { return readBackFrame(); }

    static void project(const Vector3& p, double& wx, double& wy)
    {
        GLdouble model[16], proj[16], wz = 0;
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, proj);
        glGetIntegerv(GL_VIEWPORT, viewport);
        gluProject(p.x, p.y, p.z, model, proj, viewport, &wx, &wy, &wz);
    }

    // True when a pixel of the colour lies near the projection of p.
    static bool colourNear(const Image& image, const Vector3& p, int r, int g, int b)
    {
        double wx = 0, wy = 0;
        project(p, wx, wy);
        const int cx = int(std::floor(wx)), cy = int(std::floor(wy));
        for (int dy = -pixelSlack; dy <= pixelSlack; ++dy)
            for (int dx = -pixelSlack; dx <= pixelSlack; ++dx)
                if (image.is(cx + dx, cy + dy, r, g, b))
                    return true;
        return false;
    }
};

static Vector3 lerp(const Vector3& a, const Vector3& b, float f)
{
    return Vector3(a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.z + (b.z - a.z) * f, 1);
}

TEST_F(HomeViewTest, AxesCoverTheirLinesInTheirColours)
{
    drawApplicationAxes();
    const Image image = readBack();
    const Vector3 endX(0, -1, -1, 1), endY(-1, 0, -1, 1), endZ(-1, -1, 0, 1);
    // Sample the middle part of each axis, clear of the origin and the heads.
    for (float f = 0.25f; f <= 0.75f; f += 0.05f) {
        EXPECT_TRUE(colourNear(image, lerp(axesOrigin, endX, f), 255, 0, 0)) << f;
        EXPECT_TRUE(colourNear(image, lerp(axesOrigin, endY, f), 0, 255, 0)) << f;
        EXPECT_TRUE(colourNear(image, lerp(axesOrigin, endZ, f), 0, 0, 255)) << f;
    }
    // The arrowhead at the end of x is red and spreads 1/7 sin 22.5 deg off
    // the axis; its first line (from the tie-breaks) opens towards +y.
    const float back = std::cos(0.3926991f) / 7, off = std::sin(0.3926991f) / 7;
    EXPECT_TRUE(colourNear(image, Vector3(-back * 0.6f, -1 + off * 0.6f, -1, 1), 255, 0, 0));
    // Nothing is drawn outside the projected extent of the axes: the box
    // around the end points widened by the arrowheads' spread.
    double minX = viewSize, minY = viewSize, maxX = 0, maxY = 0;
    for (const Vector3& p : {axesOrigin, endX, endY, endZ})
        for (int corner = 0; corner < 8; ++corner) {
            const Vector3 spread(corner & 1 ? off : -off, corner & 2 ? off : -off, corner & 4 ? off : -off, 1);
            double wx = 0, wy = 0;
            project(p + spread, wx, wy);
            minX = std::min(minX, wx);
            minY = std::min(minY, wy);
            maxX = std::max(maxX, wx);
            maxY = std::max(maxY, wy);
        }
    for (int y = 0; y < viewSize; ++y)
        for (int x = 0; x < viewSize; ++x)
            if (x < minX - pixelSlack || y < minY - pixelSlack || x > maxX + pixelSlack || y > maxY + pixelSlack) {
                ASSERT_TRUE(image.is(x, y, 0, 0, 0)) << x << ", " << y;
            }
}

TEST_F(HomeViewTest, TargetCrossArmsSpanItsHalfSizeOnScreen)
{
    // In the home view a half-size of 0.22 at the origin is 5 % of the
    // 512-pixel side, 25.6 pixels: the arms run from 230.4 to 281.6.
    glColor3f(0, 1, 1);
    drawTargetCross(Vector3(0, 0, 0, 1), 0.22f);
    const Image image = readBack();
    int left = viewSize, right = -1, low = viewSize, high = -1;
    for (int y = 0; y < viewSize; ++y)
        for (int x = 0; x < viewSize; ++x) {
            if (image.is(x, y, 0, 0, 0))
                continue;
            ASSERT_TRUE(image.is(x, y, 0, 255, 255)) << x << ", " << y;
            left = std::min(left, x);
            right = std::max(right, x);
            low = std::min(low, y);
            high = std::max(high, y);
        }
    EXPECT_NEAR(left, 230.4, 1.0);
    EXPECT_NEAR(right, 281.6, 1.0);
    EXPECT_NEAR(low, 230.4, 1.0);
    EXPECT_NEAR(high, 281.6, 1.0);
    // The arms cross at the centre of the view.
    EXPECT_TRUE(colourNear(image, Vector3(0.1f, 0, 0, 1), 0, 255, 255));
    EXPECT_TRUE(colourNear(image, Vector3(0, -0.1f, 0, 1), 0, 255, 255));
}

// ---------------------------------------------------------------------------
// Exact vertices in feedback mode. An orthographic projection of the cube
// [-2, 2]^3 onto the 512-pixel viewport makes window coordinates a linear
// function of world coordinates that is easy to undo.

struct Line {
    Vector3 from, to;
    float colour[4];
};

static Vector3 toWorld(const GLfloat* v)
{
    // x, y: window = (world / 2 + 1) * 256; z: window = 0.5 - world / 4.
    return Vector3(v[0] / 128 - 2, v[1] / 128 - 2, 2 - 4 * v[2], 1);
}

template <typename Draw>
static std::vector<Line> captureLines(Draw draw)
{
    glViewport(0, 0, viewSize, viewSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -2, 2, -2, 2);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    std::vector<GLfloat> buffer(4096);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint count = glRenderMode(GL_RENDER);
    EXPECT_GE(count, 0) << "feedback buffer overflow";

    // Each line is a token and two vertices of x, y, z and RGBA.
    std::vector<Line> lines;
    for (GLint i = 0; i < count;) {
        const GLint token = GLint(buffer[i]);
        EXPECT_TRUE(token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) << "token " << token;
        if (token != GL_LINE_TOKEN && token != GL_LINE_RESET_TOKEN)
            break;
        Line line;
        line.from = toWorld(&buffer[i + 1]);
        line.to = toWorld(&buffer[i + 8]);
        std::memcpy(line.colour, &buffer[i + 4], sizeof line.colour);
        lines.push_back(line);
        i += 15;
    }
    return lines;
}

static void expectPoint(const Vector3& actual, const Vector3& expected, const char* what)
{
    EXPECT_NEAR(actual.x, expected.x, worldTolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, worldTolerance) << what;
    EXPECT_NEAR(actual.z, expected.z, worldTolerance) << what;
}

static void expectColour(const Line& line, const float (&rgb)[3], const char* what)
{
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(line.colour[c], rgb[c]) << what;
}

// Checks the three lines of an arrowhead: from the apex back along
// direction (unit) and out along radial0 (unit, the first line's side),
// then turning about the axis by 120 degrees at a time towards radial1.
static void expectArrowhead(const Line* lines, const Vector3& apex, const Vector3& direction,
                            const Vector3& radial0, const Vector3& radial1, const float (&rgb)[3])
{
    const float halfAngle = 0.3926991f, slant = 1.0f / 7;
    const float along = std::cos(halfAngle) * slant, off = std::sin(halfAngle) * slant;
    for (int i = 0; i < 3; ++i) {
        const float theta = float(i) * 2.0943951f;  // 120 degrees
        const Vector3 radial = radial0 * std::cos(theta) + radial1 * std::sin(theta);
        const Vector3 base = apex + direction * along + radial * off;
        expectPoint(lines[i].from, apex, "arrowhead apex");
        expectPoint(lines[i].to, base, "arrowhead base point");
        expectColour(lines[i], rgb, "arrowhead colour");
    }
}

TEST(DecorationsFeedback, AxesAreThreeLinesThenThreeArrowheadsZYX)
{
    const std::vector<Line> lines = captureLines(drawApplicationAxes);
    ASSERT_EQ(lines.size(), 12u);

    const Vector3 endX(0, -1, -1, 1), endY(-1, 0, -1, 1), endZ(-1, -1, 0, 1);
    expectPoint(lines[0].from, axesOrigin, "x axis start");
    expectPoint(lines[0].to, endX, "x axis end");
    expectColour(lines[0], red, "x axis");
    expectPoint(lines[1].from, axesOrigin, "y axis start");
    expectPoint(lines[1].to, endY, "y axis end");
    expectColour(lines[1], green, "y axis");
    expectPoint(lines[2].from, axesOrigin, "z axis start");
    expectPoint(lines[2].to, endZ, "z axis end");
    expectColour(lines[2], blue, "z axis");

    // The first base point's side follows from the perpendicular's
    // tie-breaks: for -z it is (-1, 0, 0), giving the frame's x axis
    // cross((-1, 0, 0), (0, 0, 1)) = +y and y axis -x; for -y it is
    // (-1, 0, 0), giving -z and -x; for -x it is (0, 0, 1), giving +y, +z.
    expectArrowhead(&lines[3], endZ, Vector3(0, 0, -1, 1), Vector3(0, 1, 0, 1), Vector3(-1, 0, 0, 1), blue);
    expectArrowhead(&lines[6], endY, Vector3(0, -1, 0, 1), Vector3(0, 0, -1, 1), Vector3(-1, 0, 0, 1), green);
    expectArrowhead(&lines[9], endX, Vector3(-1, 0, 0, 1), Vector3(0, 1, 0, 1), Vector3(0, 0, 1, 1), red);
}

TEST(DecorationsFeedback, ConeLinesHaveTheSlantAndHalfAngleAndEqualTurns)
{
    // An oblique, non-unit direction and five segments.
    const Vector3 apex(0.3f, -0.2f, 0.5f, 1), direction(1, 2, -2, 1);
    const float halfAngle = 0.5f, slant = 0.8f;
    const int segments = 5;
    GLfloat before[16], after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    const std::vector<Line> lines = captureLines([&] {
        glColor3f(0.5f, 0.25f, 1);
        drawCone(apex, direction, halfAngle, slant, segments);
    });
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    ASSERT_EQ(lines.size(), size_t(segments));

    const Vector3 axis = direction.normalized();
    std::vector<Vector3> radials;
    for (const Line& line : lines) {
        expectPoint(line.from, apex, "apex");
        const Vector3 side = line.to - line.from;
        EXPECT_NEAR(side.length(), slant, worldTolerance);
        EXPECT_NEAR(std::acos(dot(side.normalized(), axis)), halfAngle, angleTolerance);
        EXPECT_EQ(line.colour[0], 0.5f);
        radials.push_back((side - axis * dot(side, axis)).normalized());
    }
    // Successive lines turn by 2 pi / 5 about the axis, counter-clockwise
    // seen from behind the apex: each turn's axis points back along -direction.
    for (int i = 0; i < segments; ++i) {
        const Vector3& a = radials[i];
        const Vector3& b = radials[(i + 1) % segments];
        EXPECT_NEAR(std::acos(dot(a, b)), 2 * 3.14159265f / segments, angleTolerance) << i;
        EXPECT_LT(dot(cross(a, b), axis), 0.0f) << i;
    }
    // The first line opens towards cross(perpendicular, -direction).
    const Vector3 first = cross(direction.perpendicular(), -direction).normalized();
    expectPoint(radials[0], first, "first line side");
    // The cone leaves the modelview matrix as it found it.
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_EQ(std::memcmp(before, after, sizeof before), 0);
}

TEST(DecorationsFeedback, TargetCrossFollowsTheWorldAxesInTheCurrentColour)
{
    const Vector3 centre(0.5f, -0.25f, 0.75f, 1);
    const float half = 0.4f;
    const std::vector<Line> lines = captureLines([&] {
        glColor3f(0, 1, 1);
        drawTargetCross(centre, half);
    });
    ASSERT_EQ(lines.size(), 3u);
    const Vector3 arms[3] = {Vector3(half, 0, 0, 1), Vector3(0, half, 0, 1), Vector3(0, 0, half, 1)};
    const float cyan[3] = {0, 1, 1};
    for (int i = 0; i < 3; ++i) {
        expectPoint(lines[i].from, centre - arms[i], "arm start");
        expectPoint(lines[i].to, centre + arms[i], "arm end");
        expectColour(lines[i], cyan, "arm colour");
    }
}

TEST(DecorationsState, LineWidthLightingAndMatrixStackAreLeftAlone)
{
    glLineWidth(3);
    glEnable(GL_LIGHTING);
    GLint depth = 0, depthAfter = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    drawApplicationAxes();
    drawTargetCross(Vector3(0, 0, 0, 1), 0.5f);
    GLfloat width = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 3.0f);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthAfter, depth);
    // drawAxes ends with the x colour current (its arrowhead is drawn last).
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[1], 0.0f);
    glLineWidth(1);
    glDisable(GL_LIGHTING);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
