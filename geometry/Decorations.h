#pragma once
// Line geometry of the scene decorations, shared by every renderer: the
// coordinate axes with their arrowheads, the line cone of an arrowhead and
// the cross that marks the camera target. Pure arithmetic; how the lines are
// handed to a graphics API is the renderer's business.
//
// Points and directions are Vector3 with w = 1, angles in radians, matrices
// column-major (Matrix4).
#include <vector>

#include "geometry/mathutil.h"

// The three axis lines run from origin to end[i] = origin + axis_i x length;
// each gets an arrowhead at its end pointing back along the axis, of slant
// arrowSlant at arrowHalfAngle to the axis, with arrowSegments lines.
struct AxesGeometry {
    Vector3 end[3];
    float arrowSlant = 0;
    float arrowHalfAngle = 0;
    int arrowSegments = 0;
};
AxesGeometry axesGeometry(const Vector3& origin, const Vector3& xAxis, const Vector3& yAxis,
                          const Vector3& zAxis, float length);

// A cone of lines from its apex, opening towards +direction (non-zero): the
// frame puts the apex at the origin with its z axis along -direction, so the
// base points lie at negative z in frame coordinates. The first base point
// lies along the frame's x axis, the others follow at equal angles. A
// renderer draws the lines from the frame origin to each base point under
// `frame` (or maps the points through it).
struct ConeGeometry {
    Matrix4 frame;
    std::vector<Vector3> base;
};
ConeGeometry coneGeometry(const Vector3& apex, const Vector3& direction, float halfAngle, float slantLength,
                          int segments);

// Line ends of the target cross: pairs along x, then y, then z, each
// 2 x halfSize long and centred on center.
struct CrossGeometry {
    Vector3 ends[6];
};
CrossGeometry targetCrossGeometry(const Vector3& center, float halfSize);
