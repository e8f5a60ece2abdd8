#include "geometry/mathutil.h"

#include "geometry/check.h"

#include <cmath>

namespace {

constexpr const char* kSourceFile = "mathutil.cpp";

// Accepted slack on unit axes and on the perpendicularity of perpendicular():
// float rounding of a freshly normalized vector stays far inside it.
constexpr float kUnitSlack = 0.0005f;

float at(const Matrix4& a, int row, int column) { return a.m[4 * column + row]; }

}  // namespace

float Vector3::length() const
{
    return std::sqrt(lengthSquared());
}

Vector3 Vector3::normalized() const
{
    const float len = length();
    if (len > 0)
        return *this * (1 / len);
    // A zero vector has no direction; it is handed back as it came.
    return *this;
}

Vector3 Vector3::perpendicular() const
{
    // Zero the component of smallest magnitude and swap the other two with a
    // sign change. The tie-breaks are part of the contract: they decide how
    // the arrowhead cones are turned about their axes.
    const float ax = std::fabs(x), ay = std::fabs(y), az = std::fabs(z);
    Vector3 result;
    if (ay <= ax)
        result = az < ay ? Vector3(y, -x, 0, 1) : Vector3(z, 0, -x, 1);
    else
        result = ax < az ? Vector3(0, z, -y, 1) : Vector3(y, -x, 0, 1);
    // Fails for non-finite input, where the swapped products no longer cancel.
    const float along = dot(result, *this);
    consistencyCheck(-kUnitSlack < along && along < kUnitSlack, 56, kSourceFile);
    return result;
}

Vector3 operator+(const Vector3& a, const Vector3& b)
{
    consistencyCheck(a.w == 1 && b.w == 1, 408, kSourceFile);
    return Vector3(a.x + b.x, a.y + b.y, a.z + b.z, 1);
}

float dot(const Vector3& a, const Vector3& b)
{
    consistencyCheck(a.w == 1 && b.w == 1, 412, kSourceFile);
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vector3 operator+=(Vector3& a, const Vector3& b)
{
    consistencyCheck(b.w == 1, 183, kSourceFile);
    a.x += b.x;
    a.y += b.y;
    a.z += b.z;
    return a;
}

Matrix4::Matrix4() : m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}

void Matrix4::setTranslation(const Vector3& offset)
{
    *this = Matrix4();
    m[12] = offset.x;
    m[13] = offset.y;
    m[14] = offset.z;
}

void Matrix4::setRotation(float angle, const Vector3& axis)
{
    // The axis is not normalized here: a caller passing a non-unit axis would
    // silently get a scaled, non-orthogonal matrix, so it is refused instead.
    const float len = axis.length();
    consistencyCheck(1 - kUnitSlack < len && len < 1 + kUnitSlack, 170, kSourceFile);

    const float cs = static_cast<float>(std::cos(static_cast<double>(angle)));
    const float sn = static_cast<float>(std::sin(static_cast<double>(angle)));
    const float t = 1 - cs;
    const float x = axis.x, y = axis.y, z = axis.z;

    // Written by (row, column); storage is column-major.
    m[0] = cs + x * x * t;      // (0,0)
    m[1] = x * y * t + z * sn;  // (1,0)
    m[2] = x * z * t - y * sn;  // (2,0)
    m[3] = 0;
    m[4] = x * y * t - z * sn;  // (0,1)
    m[5] = cs + y * y * t;      // (1,1)
    m[6] = y * z * t + x * sn;  // (2,1)
    m[7] = 0;
    m[8] = x * z * t + y * sn;  // (0,2)
    m[9] = y * z * t - x * sn;  // (1,2)
    m[10] = cs + z * z * t;     // (2,2)
    m[11] = 0;
    m[12] = 0;
    m[13] = 0;
    m[14] = 0;
    m[15] = 1;
}

void Matrix4::setLookAtFrame(const Vector3& eye, const Vector3& center, const Vector3& up, bool toWorld)
{
    // b points from the centre back to the eye, so the frame looks down -b as
    // an OpenGL camera looks down -z. up only has to be non-parallel to b:
    // the cross products make the frame orthogonal.
    const Vector3 b = (eye - center).normalized();
    Vector3 s = cross(up, b);
    Vector3 u = cross(b, s);
    s = s.normalized();
    u = u.normalized();

    Matrix4 rotation;
    Matrix4 translation;
    if (toWorld) {
        // Columns s, u, b: frame (p, q, r) -> eye + p s + q u + r b.
        const Vector3* columns[3] = {&s, &u, &b};
        for (int c = 0; c < 3; ++c) {
            rotation.m[4 * c + 0] = columns[c]->x;
            rotation.m[4 * c + 1] = columns[c]->y;
            rotation.m[4 * c + 2] = columns[c]->z;
        }
        translation.setTranslation(eye);
        *this = translation * rotation;
    } else {
        // Rows s, u, b: the transpose of the rotation above, which is its
        // inverse, applied after moving the eye to the origin.
        const Vector3* rows[3] = {&s, &u, &b};
        for (int r = 0; r < 3; ++r) {
            rotation.m[0 + r] = rows[r]->x;
            rotation.m[4 + r] = rows[r]->y;
            rotation.m[8 + r] = rows[r]->z;
        }
        translation.setTranslation(-eye);
        *this = rotation * translation;
    }
}

void Matrix4::setFrustum(float left, float right, float bottom, float top, float nearPlane, float farPlane)
{
    // Eye-space z in [-far, -near] maps to depth [-1, 1] after the division
    // by w = -z; x and y map the window onto [-1, 1] at the near plane.
    for (float& entry : m)
        entry = 0;
    m[0] = 2 * nearPlane / (right - left);
    m[5] = 2 * nearPlane / (top - bottom);
    m[8] = (right + left) / (right - left);
    m[9] = (top + bottom) / (top - bottom);
    m[10] = -(farPlane + nearPlane) / (farPlane - nearPlane);
    m[11] = -1;
    m[14] = -(2 * farPlane * nearPlane) / (farPlane - nearPlane);
}

void Matrix4::setOrthographic(float left, float right, float bottom, float top, float nearPlane, float farPlane)
{
    // Eye-space z in [-far, -near] maps linearly to depth [-1, 1]; w stays 1.
    for (float& entry : m)
        entry = 0;
    m[0] = 2 / (right - left);
    m[5] = 2 / (top - bottom);
    m[10] = -2 / (farPlane - nearPlane);
    m[12] = -(right + left) / (right - left);
    m[13] = -(top + bottom) / (top - bottom);
    m[14] = -(farPlane + nearPlane) / (farPlane - nearPlane);
    m[15] = 1;
}

Matrix4 operator*(const Matrix4& a, const Matrix4& b)
{
    Matrix4 product;
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += at(a, r, k) * at(b, k, c);
            product.m[4 * c + r] = sum;
        }
    return product;
}

Vector3 operator*(const Matrix4& m, const Vector3& v)
{
    const float in[4] = {v.x, v.y, v.z, v.w};
    float out[4];
    for (int r = 0; r < 4; ++r) {
        float sum = 0;
        for (int k = 0; k < 4; ++k)
            sum += at(m, r, k) * in[k];
        out[r] = sum;
    }
    return Vector3(out[0], out[1], out[2], out[3]);
}
