#include "geometry/Decorations.h"

#include <cmath>
#include <numbers>

AxesGeometry axesGeometry(const Vector3& origin, const Vector3& xAxis, const Vector3& yAxis,
                          const Vector3& zAxis, float length)
{
    AxesGeometry axes;
    axes.end[0] = origin + xAxis * length;
    axes.end[1] = origin + yAxis * length;
    axes.end[2] = origin + zAxis * length;
    // Arrowheads a seventh of the axis long, opening at pi/8.
    axes.arrowSlant = length / 7.0f;
    axes.arrowHalfAngle = 0.3926991f;
    axes.arrowSegments = 3;
    return axes;
}

ConeGeometry coneGeometry(const Vector3& apex, const Vector3& direction, float halfAngle, float slantLength,
                          int segments)
{
    // The frame's x axis comes from the perpendicular's tie-breaks, which fix
    // how the lines turn about the axis.
    ConeGeometry cone;
    cone.frame.setLookAtFrame(apex, apex + direction, direction.perpendicular(), true);

    const float height = std::cos(halfAngle) * slantLength;
    const float radius = std::sin(halfAngle) * slantLength;
    const int count = segments > 0 ? segments : 0;
    const float step = count > 0 ? 2.0f * std::numbers::pi_v<float> / float(count) : 0.0f;
    cone.base.resize(count);
    for (int i = 0; i < count; ++i) {
        const float theta = float(i) * step;
        cone.base[i] = Vector3(radius * std::cos(theta), radius * std::sin(theta), -height, 1);
    }
    return cone;
}

CrossGeometry targetCrossGeometry(const Vector3& center, float halfSize)
{
    const Vector3 arms[3] = {{halfSize, 0, 0, 1}, {0, halfSize, 0, 1}, {0, 0, halfSize, 1}};
    CrossGeometry cross;
    for (int i = 0; i < 3; ++i) {
        cross.ends[2 * i] = center - arms[i];
        cross.ends[2 * i + 1] = center + arms[i];
    }
    return cross;
}
