#include "geometry/mathutil.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Float rounding of a few chained products and sums of magnitude <= ~10.
constexpr float kRounding = 1e-5f;

void expectVector(const Vector3& v, float x, float y, float z, float w, float tolerance = kRounding)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
    EXPECT_NEAR(v.w, w, tolerance);
}

void expectMatrix(const Matrix4& a, const Matrix4& b, float tolerance = kRounding)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a[i], b[i], tolerance) << "index " << i;
}

Matrix4 rotation(float angle, const Vector3& axis)
{
    Matrix4 r;
    r.setRotation(angle, axis);
    return r;
}

TEST(Matrix4, ColumnMajorStorageAndTranslation)
{
    Matrix4 t;
    expectMatrix(t, Matrix4(), 0);
    EXPECT_EQ(t.data(), &t[0]);
    t[5] = 7;  // writable storage, and setters overwrite every entry
    t.setTranslation(Vector3(1, 2, 3, 0.25f));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(t[i], i == 12 ? 1 : i == 13 ? 2 : i == 14 ? 3 : i % 5 == 0 ? 1 : 0) << "index " << i;
    expectVector(t * Vector3(0, 0, 0, 1), 1, 2, 3, 1, 0);
    // w is carried through, not divided out: a w = 0 vector is not moved.
    expectVector(t * Vector3(4, 5, 6, 0), 4, 5, 6, 0, 0);
}

TEST(Matrix4, RotationFollowsRightHandRuleAndRodrigues)
{
    const float quarter = static_cast<float>(M_PI / 2);
    expectVector(rotation(quarter, Vector3(0, 0, 1, 1)) * Vector3(1, 0, 0, 1), 0, 1, 0, 1);
    expectVector(rotation(quarter, Vector3(1, 0, 0, 1)) * Vector3(0, 1, 0, 1), 0, 0, 1, 1);
    expectVector(rotation(quarter, Vector3(0, 1, 0, 1)) * Vector3(0, 0, 1, 1), 1, 0, 0, 1);

    // Against v cos + (k x v) sin + k (k . v)(1 - cos), evaluated in double.
    const Vector3 k = Vector3(1, -2, 2, 1) * (1.0f / 3);
    const Vector3 v(0.5f, 1.5f, -3, 1);
    const double angle = 2.3;
    const double c = std::cos(angle), s = std::sin(angle), kv = 1.0 * k.x * v.x + 1.0 * k.y * v.y + 1.0 * k.z * v.z;
    const double expected[3] = {
        v.x * c + (1.0 * k.y * v.z - 1.0 * k.z * v.y) * s + k.x * kv * (1 - c),
        v.y * c + (1.0 * k.z * v.x - 1.0 * k.x * v.z) * s + k.y * kv * (1 - c),
        v.z * c + (1.0 * k.x * v.y - 1.0 * k.y * v.x) * s + k.z * kv * (1 - c),
    };
    const Matrix4 r = rotation(static_cast<float>(angle), k);
    expectVector(r * v, float(expected[0]), float(expected[1]), float(expected[2]), 1);
    // Undone by the opposite angle, and the axis itself stays put.
    expectMatrix(rotation(-static_cast<float>(angle), k) * r, Matrix4());
    expectVector(r * k, k.x, k.y, k.z, 1);
}

TEST(Matrix4, ProductKeepsOpenGLOrder)
{
    Matrix4 t;
    t.setTranslation(Vector3(1, 2, 3, 1));
    const Matrix4 r = rotation(0.7f, Vector3(0, 0.6f, 0.8f, 1));
    expectMatrix(t * Matrix4(), t, 0);
    expectMatrix(Matrix4() * r, r, 0);
    // translation x rotation rotates first, then translates.
    const Vector3 p(-1, 4, 0.5f, 1);
    const Vector3 rotated = r * p;
    expectVector((t * r) * p, rotated.x + 1, rotated.y + 2, rotated.z + 3, 1);
    const Vector3 viaProduct = (r * t) * p, stepwise = r * (t * p);
    expectVector(viaProduct, stepwise.x, stepwise.y, stepwise.z, 1);
}

TEST(Matrix4, LookAtFrameBothWays)
{
    Matrix4 view, world;
    view.setLookAtFrame(Vector3(0, 0, 5, 1), Vector3(), Vector3(0, 1, 0, 1), false);
    world.setLookAtFrame(Vector3(0, 0, 5, 1), Vector3(), Vector3(0, 1, 0, 1), true);
    expectVector(view * Vector3(), 0, 0, -5, 1);
    expectVector(world * Vector3(0, 0, -5, 1), 0, 0, 0, 1);

    // General frame; up is neither unit nor perpendicular to the view.
    const Vector3 eye(1, -2, 3, 1), center(-0.5f, 0.25f, -1, 1), up(0.3f, 2, 0.1f, 1);
    view.setLookAtFrame(eye, center, up, false);
    world.setLookAtFrame(eye, center, up, true);
    expectMatrix(world * view, Matrix4());
    expectVector(view * eye, 0, 0, 0, 1);
    expectVector(view * center, 0, 0, -(center - eye).length(), 1);
    const Vector3 upInView = view * (eye + up);
    EXPECT_NEAR(upInView.x, 0, kRounding);  // up stays in the y-z plane, pointing +y
    EXPECT_GT(upInView.y, 0);
    // Columns of the toWorld form are an orthonormal frame.
    const Vector3 s(world[0], world[1], world[2], 1), u(world[4], world[5], world[6], 1);
    EXPECT_NEAR(s.length(), 1, kRounding);
    EXPECT_NEAR(u.length(), 1, kRounding);
    EXPECT_NEAR(dot(s, u), 0, kRounding);
}

using Matrix4Death = testing::Test;

TEST(Matrix4Death, RotationAxisMustBeUnit)
{
    Matrix4 r;
    r.setRotation(1, Vector3(0, 1.0004f, 0, 1));  // inside the slack
    r.setRotation(1, Vector3(0, 0.9996f, 0, 1));
    EXPECT_EXIT(r.setRotation(1, Vector3(0, 1.001f, 0, 1)), testing::ExitedWithCode(1),
                "^Assertion error at line 170 in mathutil.cpp\n$");
    EXPECT_EXIT(r.setRotation(1, Vector3(0, 0.999f, 0, 1)), testing::ExitedWithCode(1),
                "^Assertion error at line 170 in mathutil.cpp\n$");
}

}  // namespace
