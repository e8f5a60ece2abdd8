#pragma once
// Single-precision vectors and 4 x 4 matrices for the camera and the scene
// decorations.
//
// Vector3 carries x, y, z and a homogeneous w. Positions and directions both
// use w = 1; every operation sets w = 1 in its result except negation (keeps
// w), in-place addition (keeps the left operand's w), normalized() of a zero
// vector (returns its input) and the matrix-vector product (computes w).
// Addition and dot require w = 1 on both operands, += on the added vector;
// a violation is a failed consistency check (exit status 1).
//
// Matrix4 stores sixteen floats column-major, as OpenGL does: row r, column c
// lives at index 4c + r, so 12, 13, 14 hold the translation and data() can be
// handed to glMultMatrixf. Matrices act on column vectors, v' = M v.
// Angles are in radians.

struct Vector3 {
    float x = 0, y = 0, z = 0, w = 1;

    Vector3() = default;
    Vector3(float x, float y, float z, float w) : x(x), y(y), z(z), w(w) {}

    float lengthSquared() const { return x * x + y * y + z * z; }
    float length() const;
    Vector3 normalized() const;
    Vector3 perpendicular() const;
};

inline Vector3 operator*(const Vector3& v, float s)
{
    return Vector3(v.x * s, v.y * s, v.z * s, 1);
}

Vector3 operator+(const Vector3& a, const Vector3& b);

// Unlike +, subtraction accepts any w: it is how points become directions.
inline Vector3 operator-(const Vector3& a, const Vector3& b)
{
    return Vector3(a.x - b.x, a.y - b.y, a.z - b.z, 1);
}

inline Vector3 operator-(const Vector3& v)
{
    return Vector3(-v.x, -v.y, -v.z, v.w);
}

float dot(const Vector3& a, const Vector3& b);

inline Vector3 cross(const Vector3& a, const Vector3& b)
{
    return Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x, 1);
}

// Returns a copy of the updated left operand, not a reference to it.
Vector3 operator+=(Vector3& a, const Vector3& b);

struct Matrix4 {
    float m[16];

    Matrix4();  // identity

    float& operator[](int index) { return m[index]; }
    float operator[](int index) const { return m[index]; }
    const float* data() const { return m; }

    // Each setter overwrites all sixteen entries.
    void setTranslation(const Vector3& offset);
    // Right-hand rule about an axis that must already be unit length (within
    // 0.0005): a positive angle turns counter-clockwise seen from the axis tip.
    void setRotation(float angle, const Vector3& axis);
    // Frame with z axis from center back to eye, x = up x z, y = z x x.
    // toWorld maps frame coordinates to world ones (eye at the origin);
    // otherwise the result is the inverse, the viewing matrix of a look-at.
    void setLookAtFrame(const Vector3& eye, const Vector3& center, const Vector3& up, bool toWorld);
    // The perspective projection of the window [left, right] x [bottom, top]
    // on the near plane, clipping at nearPlane and farPlane (both positive,
    // distances in front of the eye): the matrix glFrustum multiplies in.
    void setFrustum(float left, float right, float bottom, float top, float nearPlane, float farPlane);
    // The parallel projection of the same window: the matrix glOrtho
    // multiplies in.
    void setOrthographic(float left, float right, float bottom, float top, float nearPlane, float farPlane);
};

// OpenGL order: (A * B) * v applies B first.
Matrix4 operator*(const Matrix4& a, const Matrix4& b);
// All four components, w included; there is no division by w.
Vector3 operator*(const Matrix4& m, const Vector3& v);
