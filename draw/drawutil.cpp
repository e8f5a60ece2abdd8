#include "draw/drawutil.h"

#include <GL/gl.h>

#include "geometry/Decorations.h"

static void vertex(const Vector3& p)
{
    glVertex3f(p.x, p.y, p.z);
}

void drawAxes(const Vector3& origin, const Vector3& xAxis, const Vector3& yAxis, const Vector3& zAxis,
              float length, const float (&colorX)[3], const float (&colorY)[3], const float (&colorZ)[3])
{
    const AxesGeometry axes = axesGeometry(origin, xAxis, yAxis, zAxis, length);

    glBegin(GL_LINES);
    glColor3fv(colorX);
    vertex(origin);
    vertex(axes.end[0]);
    glColor3fv(colorY);
    vertex(origin);
    vertex(axes.end[1]);
    glColor3fv(colorZ);
    vertex(origin);
    vertex(axes.end[2]);
    glEnd();

    // Arrowheads point back along each axis from its end; the z one goes
    // first because colorZ is still current.
    drawCone(axes.end[2], -zAxis, axes.arrowHalfAngle, axes.arrowSlant, axes.arrowSegments);
    glColor3fv(colorY);
    drawCone(axes.end[1], -yAxis, axes.arrowHalfAngle, axes.arrowSlant, axes.arrowSegments);
    glColor3fv(colorX);
    drawCone(axes.end[0], -xAxis, axes.arrowHalfAngle, axes.arrowSlant, axes.arrowSegments);
}

void drawCone(const Vector3& apex, const Vector3& direction, float halfAngle, float slantLength, int segments)
{
    const ConeGeometry cone = coneGeometry(apex, direction, halfAngle, slantLength, segments);
    glPushMatrix();
    glMultMatrixf(cone.frame.data());
    glBegin(GL_LINES);
    for (const Vector3& p : cone.base) {
        glVertex3f(0, 0, 0);
        vertex(p);
    }
    glEnd();
    glPopMatrix();
}

void drawTargetCross(const Vector3& center, float halfSize)
{
    const CrossGeometry cross = targetCrossGeometry(center, halfSize);
    glBegin(GL_LINES);
    for (const Vector3& end : cross.ends)
        vertex(end);
    glEnd();
}
