// The pure projection and viewing matrices that a renderer without the fixed
// pipeline loads as uniforms, against what glFrustum and gluLookAt build in a
// real context: the browser's frame must be the desktop's.
#include "geometry/mathutil.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// Both sides compute in float; entries reach ~40 for a narrow window, so the
// tolerance is relative: a few float steps of the largest entry.
constexpr double kRelative = 4e-6;
// gluLookAt normalises in its own order; a unit frame differs by rounding.
constexpr double kLookAt = 2e-5;

void expectMatrix(GLenum which, const Matrix4& expected, double tolerance, bool relative)
{
    GLfloat actual[16];
    glGetFloatv(which, actual);
    for (int i = 0; i < 16; ++i) {
        const double scale = relative ? std::max(1.0, std::fabs(double(expected[i]))) : 1.0;
        EXPECT_NEAR(actual[i], expected[i], tolerance * scale) << "index " << i;
    }
}

TEST(ProjectionMatrices, FrustumAndOrthographicMatchGlFrustumAndGlOrtho)
{
    // The home view, a stereo-shifted window, a wide off-centre window and
    // a far-reaching one.
    const struct {
        float l, r, b, t, n, f;
    } cases[] = {
        {-0.0535898f, 0.0535898f, -0.0535898f, 0.0535898f, 0.2f, 30},
        {-0.0517f, 0.0555f, -0.0535898f, 0.0535898f, 0.2f, 30},
        {-0.3f, 0.9f, -0.2f, 0.1f, 0.5f, 7},
        {-1e-3f, 1e-3f, -2e-3f, 2e-3f, 1e-2f, 1e4f},
    };
    for (const bool parallel : {false, true})
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.l << " " << c.r << " " << c.b << " " << c.t << " " << c.n << " "
                                            << c.f << (parallel ? " orthographic" : ""));
            glMatrixMode(GL_PROJECTION);
            glLoadIdentity();
            Matrix4 m;
            if (parallel) {
                glOrtho(c.l, c.r, c.b, c.t, c.n, c.f);
                m.setOrthographic(c.l, c.r, c.b, c.t, c.n, c.f);
            } else {
                glFrustum(c.l, c.r, c.b, c.t, c.n, c.f);
                m.setFrustum(c.l, c.r, c.b, c.t, c.n, c.f);
            }
            expectMatrix(GL_PROJECTION_MATRIX, m, kRelative, true);
        }
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

TEST(ProjectionMatrices, LookAtFrameMatchesGluLookAt)
{
    const struct {
        Vector3 eye, target, up;
    } cases[] = {
        {{0, 0, 8.210512f, 1}, {0, 0, 0, 1}, {0, 1, 0, 1}},
        {{3.1f, -2.2f, 5.5f, 1}, {0.4f, 0.3f, -0.2f, 1}, {0.1f, 0.9f, 0.42f, 1}},
        {{-7, 1, 0.5f, 1}, {1, 1, 0.5f, 1}, {0, 0, 1, 1}},
    };
    for (const auto& c : cases) {
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(c.eye.x, c.eye.y, c.eye.z, c.target.x, c.target.y, c.target.z, c.up.x, c.up.y, c.up.z);
        Matrix4 m;
        m.setLookAtFrame(c.eye, c.target, c.up, false);
        expectMatrix(GL_MODELVIEW_MATRIX, m, kLookAt * std::max(1.0f, c.eye.length()), false);
    }
    glLoadIdentity();
}

}  // namespace
