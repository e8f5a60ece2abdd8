// The camera's viewport and matrices as OpenGL receives them, read back from
// a real context, against the glFrustum and look-at formulas.
#include "camera/Camera.h"
#include "draw/CameraGL.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>

namespace {

// GL keeps matrices in float; entries here are at most ~30 in magnitude.
constexpr double kStored = 2e-5;

Camera homeCamera()
{
    Camera c(512, 512, 2.0f, Vector3(0, 0, 0, 1));
    applyViewport(c);
    return c;
}

void readViewport(GLint v[4]) { glGetIntegerv(GL_VIEWPORT, v); }

// glFrustum's matrix, column-major.
void frustum(double l, double r, double b, double t, double n, double f, double out[16])
{
    for (int i = 0; i < 16; ++i)
        out[i] = 0;
    out[0] = 2 * n / (r - l);
    out[5] = 2 * n / (t - b);
    out[8] = (r + l) / (r - l);
    out[9] = (t + b) / (t - b);
    out[10] = -(f + n) / (f - n);
    out[11] = -1;
    out[14] = -2 * f * n / (f - n);
}

void expectProjection(double l, double r, double b, double t, double n, double f)
{
    double expected[16];
    frustum(l, r, b, t, n, f, expected);
    GLfloat actual[16];
    glGetFloatv(GL_PROJECTION_MATRIX, actual);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected[i], kStored * std::max(1.0, std::fabs(expected[i]))) << "index " << i;
}

// gluLookAt builds the same viewing matrix as the non-toWorld frame.
void expectLookAt(const Vector3& eye, const Vector3& center, const Vector3& up)
{
    Matrix4 expected;
    expected.setLookAtFrame(eye, center, up, false);
    GLfloat actual[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, actual);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected[i], kStored * 10) << "index " << i;
}

TEST(CameraGL, ViewportRowsAreFlippedForOpenGL)
{
    Camera c = homeCamera();
    GLint v[4];
    readViewport(v);
    EXPECT_EQ(v[0], 0);
    EXPECT_EQ(v[1], 0);
    EXPECT_EQ(v[2], 512);
    EXPECT_EQ(v[3], 512);
    c.setViewport(300, 300, 10, 20, 109, 69);
    applyViewport(c);
    readViewport(v);
    EXPECT_EQ(v[0], 10);
    EXPECT_EQ(v[1], 230);
    EXPECT_EQ(v[2], 100);
    EXPECT_EQ(v[3], 50);
}

TEST(CameraGL, MonoReplacesBothMatricesAndLeavesModelviewCurrent)
{
    Camera c = homeCamera();
    const GLfloat junk[16] = {3, 1, 4, 1, 5, 9, 2, 6, 5, 3, 5, 8, 9, 7, 9, 3};
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(junk);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(junk);
    glMatrixMode(GL_TEXTURE);
    applyProjection(c, MonoEye, 0.1f);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    expectProjection(-0.0535898, 0.0535898, -0.0535898, 0.0535898, 0.2, 30);
    expectLookAt(Vector3(0, 0, 8.210512f, 1), Vector3(), Vector3(0, 1, 0, 1));
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

TEST(CameraGL, StereoEyesAreDisplacedAndTheirWindowsShifted)
{
    Camera c = homeCamera();
    const float separation = 0.3f;
    const double h = 0.0535898;
    const struct {
        EyeMode mode;
        double sign;
    } eyes[] = {{RightEye, 1}, {LeftEye, -1}, {static_cast<EyeMode>(7), -1}};
    for (const auto& e : eyes) {
        SCOPED_TRACE(testing::Message() << "eye mode " << e.mode);
        applyProjection(c, e.mode, separation);
        const double shift = e.sign * separation / 2 * 0.2 / 8.210512;
        expectProjection(shift - h, shift + h, -h, h, 0.2, 30);
        const Vector3 eye(static_cast<float>(e.sign * separation / 2), 0, 8.210512f, 1);
        expectLookAt(eye, Vector3(), Vector3(0, 1, 0, 1));
    }
}

// Window coordinates of a world point under the current matrices and viewport.
void project(const Vector3& p, double& x, double& y)
{
    double model[16], projection[16], z = 0;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    readViewport(viewport);
    ASSERT_TRUE(gluProject(p.x, p.y, p.z, model, projection, viewport, &x, &y, &z));
}

TEST(CameraGL, ShiftedWindowCentresLookParallelToTheMonoAxis)
{
    // From a turned, panned view, so that the right vector is not an axis.
    Camera c = homeCamera();
    c.orbit(0, 0, 40, -25);
    c.pan(17, 9);
    const Vector3 forward = (c.target - c.eye).normalized();
    const Vector3 right = cross(forward, c.up).normalized();
    for (EyeMode mode : {LeftEye, RightEye}) {
        const float offset = (mode == RightEye ? 0.5f : -0.5f) * 0.4f;
        applyProjection(c, mode, 0.4f);
        const Vector3 eye = c.eye + right * offset;
        expectLookAt(eye, c.target, c.up);
        // Straight ahead, parallel to the mono axis: the 512 x 512 centre.
        double x = 0, y = 0;
        project(eye + forward * 25, x, y);
        EXPECT_NEAR(x, 256, 0.01);
        EXPECT_NEAR(y, 256, 0.01);
    }
}

TEST(CameraGL, ProjectToPixelAgreesWithTheMonoPipeline)
{
    // A 400 x 200 viewport offset inside a 500 x 260 window, turned view.
    Camera c(500, 260, 2.0f, Vector3(0, 0, 0, 1));
    c.setViewport(500, 260, 20, 30, 419, 229);
    applyViewport(c);
    c.orbit(0, 0, -33, 18);
    c.dolly(-50);
    applyProjection(c, MonoEye, 0);
    const Vector3 points[] = {{0, 0, 0, 1}, {1.3f, -0.4f, 0.2f, 1}, {-2.1f, 1.7f, -1, 1}, {0.05f, 2.6f, 1.9f, 1}};
    for (const Vector3& p : points) {
        SCOPED_TRACE(testing::Message() << p.x << ", " << p.y << ", " << p.z);
        double wx = 0, wy = 0;
        project(p, wx, wy);
        const double fromTop = 260 - wy;  // OpenGL rows count upward from the bottom
        int column = 0, row = 0;
        c.projectToPixel(p, column, row);
        // Away from pixel edges float rounding cannot change the truncation;
        // on an edge (the target lands on one) either neighbour is right.
        constexpr double kEdge = 1e-3;
        if (std::fabs(wx - std::round(wx)) > kEdge) {
            EXPECT_EQ(column, static_cast<int>(wx));
        }
        if (std::fabs(fromTop - std::round(fromTop)) > kEdge) {
            EXPECT_EQ(row, static_cast<int>(fromTop));
        }
        EXPECT_NEAR(column, wx, 1 + kEdge);
        EXPECT_NEAR(row, fromTop, 1 + kEdge);
    }
}

}  // namespace
