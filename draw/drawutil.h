#pragma once
// Scene decorations drawn as plain lines in world coordinates under the
// current modelview matrix: coordinate axes with arrowheads, the line cone
// used for an arrowhead, and the cross that marks the camera target.
//
// Points and directions are Vector3 with w = 1; angles in radians; colours
// are red, green, blue in 0..1. Only the colours named below are set; line
// width, lighting and other OpenGL state are left as found.

#include "geometry/mathutil.h"

// Three lines from origin along the (not normalized) axes, each
// length x |axis| long, in colorX, colorY, colorZ, with a 3-line arrowhead of
// slant length/7 at each end, drawn z first. Leaves colorX current.
void drawAxes(const Vector3& origin, const Vector3& xAxis, const Vector3& yAxis, const Vector3& zAxis,
              float length, const float (&colorX)[3], const float (&colorY)[3], const float (&colorZ)[3]);

// segments lines from apex, each slantLength long at halfAngle to the axis,
// opening towards +direction (which must be non-zero). The first line lies in
// the direction of cross(direction.perpendicular(), -direction) from the axis,
// the others follow at equal angles, counter-clockwise as seen from behind
// the apex looking along direction.
void drawCone(const Vector3& apex, const Vector3& direction, float halfAngle, float slantLength, int segments);

// Three lines of 2 x halfSize through center along the world axes (x, then y,
// then z), in the current colour.
void drawTargetCross(const Vector3& center, float halfSize);
