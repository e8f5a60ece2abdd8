#include "geometry/mathutil.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A few float ulps at magnitude ~1: results of one or two rounded operations.
constexpr float kTight = 1e-6f;

void expectVector(const Vector3& v, float x, float y, float z, float w, float tolerance = 0)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
    EXPECT_NEAR(v.w, w, tolerance);
}

TEST(Vector3, LengthIgnoresWAndNormalizedSetsIt)
{
    expectVector(Vector3(), 0, 0, 0, 1);
    EXPECT_EQ(Vector3(3, 4, 0, 5).lengthSquared(), 25);
    EXPECT_EQ(Vector3(3, 4, 0, 5).length(), 5);
    expectVector(Vector3(3, 4, 0, 7).normalized(), 0.6f, 0.8f, 0, 1, kTight);
    // A zero vector comes back untouched, w included, instead of failing.
    expectVector(Vector3(0, 0, 0, 0.25f).normalized(), 0, 0, 0, 0.25f);
    const Vector3 v(-2, 7, 0.5f, 1);
    const Vector3 n = v.normalized();
    EXPECT_NEAR(n.length(), 1, kTight);
    expectVector(cross(n, v), 0, 0, 0, 1, 4 * kTight);  // same direction
    EXPECT_GT(dot(n, v), 0);
}

TEST(Vector3, WRulesOfEachOperation)
{
    const Vector3 a(1, 2, 3, 0.5f);
    expectVector(a * 2, 2, 4, 6, 1);
    expectVector(-a, -1, -2, -3, 0.5f);
    expectVector(a - Vector3(1, 1, 1, 1), 0, 1, 2, 1);
    expectVector(Vector3(1, 2, 3, 1) + Vector3(4, 5, 6, 1), 5, 7, 9, 1);
    EXPECT_EQ(dot(Vector3(1, 2, 3, 1), Vector3(4, -5, 6, 1)), 12);

    Vector3 sum = a;
    const Vector3 result = (sum += Vector3(1, 1, 1, 1));
    expectVector(sum, 2, 3, 4, 0.5f);  // left operand keeps its w
    expectVector(result, 2, 3, 4, 0.5f);
}

TEST(Vector3, CrossIsRightHandedAndPerpendicular)
{
    expectVector(cross(Vector3(1, 0, 0, 1), Vector3(0, 1, 0, 1)), 0, 0, 1, 1);
    const Vector3 a(0.3f, -1.2f, 2, 1), b(-0.7f, 0.4f, 1.1f, 1);
    const Vector3 c = cross(a, b);
    EXPECT_NEAR(dot(c, a), 0, 4 * kTight);
    EXPECT_NEAR(dot(c, b), 0, 4 * kTight);
    expectVector(cross(b, a), -c.x, -c.y, -c.z, 1);
}

TEST(Vector3, PerpendicularTieBreaksAndBranches)
{
    struct Case {
        Vector3 in;
        Vector3 out;
    };
    const Case cases[] = {
        {{0, 1, 0, 1}, {1, 0, 0, 1}},   {{1, 0, 0, 1}, {0, 0, -1, 1}},  {{0, 0, 1, 1}, {1, 0, 0, 1}},
        {{1, 1, 1, 1}, {1, 0, -1, 1}},  {{3, 2, 1, 1}, {2, -3, 0, 1}},  {{3, 1, 2, 1}, {2, 0, -3, 1}},
        {{1, 3, 2, 1}, {0, 2, -3, 1}},  {{2, 3, 1, 1}, {3, -2, 0, 1}},  {{-1, 0, 0, 1}, {0, 0, 1, 1}},
        {{0, -4, 3, 1}, {0, 3, 4, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.in.x << ", " << c.in.y << ", " << c.in.z);
        expectVector(c.in.perpendicular(), c.out.x, c.out.y, c.out.z, 1);
    }
}

using Vector3Death = testing::Test;

TEST(Vector3Death, EachCheckReportsItsLine)
{
    const Vector3 half(1, 2, 3, 0.5f), one(1, 1, 1, 1);
    const float nan = std::nanf("");
    EXPECT_EXIT(Vector3(nan, 0, 0, 1).perpendicular(), testing::ExitedWithCode(1),
                "^Assertion error at line 56 in mathutil.cpp\n$");
    EXPECT_EXIT(Vector3(INFINITY, 1, 0, 1).perpendicular(), testing::ExitedWithCode(1),
                "Assertion error at line 56 in mathutil.cpp");
    Vector3 target = one;
    EXPECT_EXIT(target += half, testing::ExitedWithCode(1), "^Assertion error at line 183 in mathutil.cpp\n$");
    EXPECT_EXIT(half + one, testing::ExitedWithCode(1), "^Assertion error at line 408 in mathutil.cpp\n$");
    EXPECT_EXIT(one + half, testing::ExitedWithCode(1), "^Assertion error at line 408 in mathutil.cpp\n$");
    EXPECT_EXIT(dot(half, one), testing::ExitedWithCode(1), "^Assertion error at line 412 in mathutil.cpp\n$");
    EXPECT_EXIT(dot(one, half), testing::ExitedWithCode(1), "^Assertion error at line 412 in mathutil.cpp\n$");
}

}  // namespace
