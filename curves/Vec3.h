#pragma once
// A point or direction in double precision, for the double-curve search: world
// positions in world units, and origins as unit vectors of the t = 0 sphere.
// Plain value type; every operation is the textbook formula.
#include <cmath>

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

constexpr Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
constexpr Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
constexpr Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
constexpr double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
constexpr Vec3 cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(Vec3 a) { return std::sqrt(dot(a, a)); }
inline double distance(Vec3 a, Vec3 b) { return length(a - b); }
// a over its length; the zero vector stays zero.
inline Vec3 normalized(Vec3 a)
{
    const double l = length(a);
    return l > 0 ? a * (1 / l) : a;
}
// The distance from p to the segment from a to b.
inline double segmentDistance(Vec3 p, Vec3 a, Vec3 b)
{
    const Vec3 d = b - a;
    const double dd = dot(d, d);
    double u = dd > 0 ? dot(p - a, d) / dd : 0;
    u = u < 0 ? 0 : (u > 1 ? 1 : u);
    return distance(p, a + d * u);
}
// The angle between two unit vectors in radians, accurate at both ends.
inline double angleBetween(Vec3 a, Vec3 b)
{
    return std::atan2(length(cross(a, b)), dot(a, b));
}
