#include "draw/OriginDraw.h"

#include <GL/gl.h>

#include <vector>

#include "viewer/AppState.h"
#include "viewer/OriginLines.h"

namespace {
GLuint textureName = 0;
int textureRevision = -1;

// The lines of the last frame and what they were made for.
struct LineCache {
    double t = -1;
    int totalStrips = 0, stripsShown = 0, hemispheres = 0;
    bool halfStrips = false;
    double degrees = 0;
    std::vector<Polyline> graticule;
    int trackStrips = 0;
    std::vector<Origin> trackOrigins;
    std::vector<Polyline> tracks;
} cache;

bool sameOrigins(const std::vector<Origin>& a, const std::vector<Origin>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].latitude != b[i].latitude || a[i].longitude != b[i].longitude)
            return false;
    return true;
}

void update(const AppState& state)
{
    const SurfaceMesh& m = state.mesh;
    const double degrees = state.look.graticuleDegrees;
    if (cache.t != m.t || cache.totalStrips != m.totalStrips || cache.stripsShown != m.stripsShown ||
        cache.hemispheres != m.hemispheres || cache.halfStrips != state.halfStrips || cache.degrees != degrees) {
        cache.graticule = graticuleLines(m, state.halfStrips, degrees);
        cache.t = m.t;
        cache.totalStrips = m.totalStrips;
        cache.stripsShown = m.stripsShown;
        cache.hemispheres = m.hemispheres;
        cache.halfStrips = state.halfStrips;
        cache.degrees = degrees;
    }
    if (cache.trackStrips != m.totalStrips || !sameOrigins(cache.trackOrigins, state.look.tracks)) {
        cache.tracks.clear();
        for (const Origin& origin : state.look.tracks)
            cache.tracks.push_back(trackLine(origin, m.totalStrips));
        cache.trackStrips = m.totalStrips;
        cache.trackOrigins = state.look.tracks;
    }
}

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
    update(state);
    const OriginLook& look = state.look;
    glDisable(GL_LIGHTING);
    if (!cache.graticule.empty()) {
        // White on the colour schemes; black on the yellow and violet sides.
        if (look.colours == ColourScheme::Sides)
            glColor3f(0, 0, 0);
        else
            glColor3f(1, 1, 1);
        for (const Polyline& line : cache.graticule)
            drawPolyline(line);
    }
    if (cache.tracks.empty())
        return;
    glLineWidth(2);
    glColor3f(1, 0.15f, 0.1f);
    for (const Polyline& line : cache.tracks)
        drawPolyline(line);
    glLineWidth(1);

    // Markers: a red ring round a white dot, over everything.
    glDisable(GL_DEPTH_TEST);
    for (const auto& [size, grey] : {std::pair{11.0f, 0.0f}, std::pair{7.0f, 1.0f}}) {
        glPointSize(size);
        glColor3f(1, grey, grey);
        glBegin(GL_POINTS);
        for (const Origin& origin : look.tracks) {
            float p[3];
            trackPoint(origin, state.mesh.totalStrips, state.mesh.t, p);
            glVertex3fv(p);
        }
        glEnd();
    }
    glPointSize(1);
    glEnable(GL_DEPTH_TEST);
}
