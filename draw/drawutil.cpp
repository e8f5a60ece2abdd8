#include "draw/drawutil.h"

#include <GL/gl.h>
#include <cmath>
#include <numbers>
#include <vector>

static void vertex(const Vector3& p)
{
    glVertex3f(p.x, p.y, p.z);
}

void drawAxes(const Vector3& origin, const Vector3& xAxis, const Vector3& yAxis, const Vector3& zAxis,
              float length, const float (&colorX)[3], const float (&colorY)[3], const float (&colorZ)[3])
{
    const Vector3 endX = origin + xAxis * length;
    const Vector3 endY = origin + yAxis * length;
    const Vector3 endZ = origin + zAxis * length;

    glBegin(GL_LINES);
    glColor3fv(colorX);
    vertex(origin);
    vertex(endX);
    glColor3fv(colorY);
    vertex(origin);
    vertex(endY);
    glColor3fv(colorZ);
    vertex(origin);
    vertex(endZ);
    glEnd();

    // Arrowheads point back along each axis from its end, opening at pi/8;
    // the z one goes first because colorZ is still current.
    const float slant = length / 7.0f;
    const float halfAngle = 0.3926991f;
    drawCone(endZ, -zAxis, halfAngle, slant, 3);
    glColor3fv(colorY);
    drawCone(endY, -yAxis, halfAngle, slant, 3);
    glColor3fv(colorX);
    drawCone(endX, -xAxis, halfAngle, slant, 3);
}

void drawCone(const Vector3& apex, const Vector3& direction, float halfAngle, float slantLength, int segments)
{
    // The frame puts the apex at the origin with its z axis along -direction,
    // so the base circle lies at negative z. Its x axis comes from the
    // perpendicular's tie-breaks, which fix how the lines turn about the axis.
    Matrix4 frame;
    frame.setLookAtFrame(apex, apex + direction, direction.perpendicular(), true);
    glPushMatrix();
    glMultMatrixf(frame.data());

    const float height = std::cos(halfAngle) * slantLength;
    const float radius = std::sin(halfAngle) * slantLength;
    const int count = segments > 0 ? segments : 0;
    const float step = count > 0 ? 2.0f * std::numbers::pi_v<float> / float(count) : 0.0f;

    std::vector<Vector3> base(count);
    for (int i = 0; i < count; ++i) {
        const float theta = float(i) * step;
        base[i] = Vector3(radius * std::cos(theta), radius * std::sin(theta), -height, 1);
    }

    glBegin(GL_LINES);
    for (const Vector3& p : base) {
        glVertex3f(0, 0, 0);
        vertex(p);
    }
    glEnd();

    glPopMatrix();
}

void drawTargetCross(const Vector3& center, float halfSize)
{
    const Vector3 armX(halfSize, 0, 0, 1);
    const Vector3 armY(0, halfSize, 0, 1);
    const Vector3 armZ(0, 0, halfSize, 1);
    glBegin(GL_LINES);
    vertex(center - armX);
    vertex(center + armX);
    vertex(center - armY);
    vertex(center + armY);
    vertex(center - armZ);
    vertex(center + armZ);
    glEnd();
}
