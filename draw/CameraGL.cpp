#include "draw/CameraGL.h"

#include <GL/gl.h>
#include <GL/glu.h>

void applyViewport(const Camera& c)
{
    glViewport(c.viewportLeft, c.windowHeight - c.viewportBottom - 1, c.viewportRight - c.viewportLeft + 1,
               c.viewportBottom - c.viewportTop + 1);
}

void applyProjection(const Camera& camera, EyeMode eyeMode, float stereoDistance, bool orthographic)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const CameraProjection p = camera.projection(eyeMode, stereoDistance, orthographic);
    if (p.orthographic)
        glOrtho(p.left, p.right, p.bottom, p.top, p.nearPlane, p.farPlane);
    else
        glFrustum(p.left, p.right, p.bottom, p.top, p.nearPlane, p.farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(p.eyePosition.x, p.eyePosition.y, p.eyePosition.z, p.target.x, p.target.y, p.target.z, p.up.x,
              p.up.y, p.up.z);
}
