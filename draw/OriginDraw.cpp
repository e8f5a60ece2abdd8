#include "draw/OriginDraw.h"

#include <GL/gl.h>

#include <vector>

#include "viewer/AppState.h"
#include "viewer/OriginLines.h"

namespace {
GLuint textureName = 0;
long textureRevision = -1;

OriginLineSet lines;

void drawPolyline(const Polyline& line)
{
    glBegin(GL_LINE_STRIP);
    for (size_t i = 0; i + 2 < line.points.size(); i += 3)
        glVertex3fv(&line.points[i]);
    glEnd();
}
}

void forgetOriginTexture()
{
    textureName = 0;
    textureRevision = -1;
}

void beginOriginTexture(const AppState& state)
{
    const OriginLook& look = state.look;
    if (textureName == 0)
        glGenTextures(1, &textureName);
    glBindTexture(GL_TEXTURE_2D, textureName);
    if (textureRevision != look.revision) {
        const Picture texture = originTexture(look);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, texture.width, texture.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     texture.rgba.data());
        // Longitude goes round; latitude stops at the poles.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        textureRevision = look.revision;
    }
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);
    if (look.bands != BandKind::None) {
        glAlphaFunc(GL_GREATER, 0.5f);
        glEnable(GL_ALPHA_TEST);
    }
}

void endOriginTexture(const AppState& state)
{
    glDisable(GL_TEXTURE_2D);
    if (state.look.bands != BandKind::None)
        glDisable(GL_ALPHA_TEST);
}

void drawOriginLines(const AppState& state)
{
    lines.refresh(state.mesh, state.halfStrips, state.look);
    const OriginLook& look = state.look;
    glDisable(GL_LIGHTING);
    if (!lines.graticule.empty()) {
        // White on the colour schemes; black on the yellow and violet sides.
        if (look.colours == ColourScheme::Sides)
            glColor3f(0, 0, 0);
        else
            glColor3f(1, 1, 1);
        for (const Polyline& line : lines.graticule)
            drawPolyline(line);
    }
    if (lines.tracks.empty())
        return;
    glLineWidth(2);
    glColor3f(1, 0.15f, 0.1f);
    for (const Polyline& line : lines.tracks)
        drawPolyline(line);
    glLineWidth(1);

    // Markers: a red ring round a white dot, over everything.
    glDisable(GL_DEPTH_TEST);
    for (const auto& [size, grey] : {std::pair{11.0f, 0.0f}, std::pair{7.0f, 1.0f}}) {
        glPointSize(size);
        glColor3f(1, grey, grey);
        glBegin(GL_POINTS);
        for (size_t k = 0; k < lines.markers.size(); k += 3)
            glVertex3fv(&lines.markers[k]);
        glEnd();
    }
    glPointSize(1);
    glEnable(GL_DEPTH_TEST);
}
