#include "draw/FrameRenderer.h"

#include <GL/gl.h>

#include <optional>

#include "camera/Camera.h"
#include "curves/CurveDisplay.h"
#include "draw/CurvePrefetch.h"
#include "draw/CameraGL.h"
#include "draw/CurveDraw.h"
#include "draw/MeshDraw.h"
#include "draw/OriginDraw.h"
#include "draw/Overlay2D.h"
#include "draw/drawutil.h"
#include "viewer/AppState.h"
#include "viewer/HeadsUp.h"
#include "viewer/OriginLines.h"
#include "viewer/SurfaceLook.h"

namespace {

void setLighting(const AppState& state, const Camera& camera)
{
    const SurfaceMaterial material = surfaceMaterial(state);
    const GLfloat shininess[] = {material.shininess};
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, material.specular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, material.frontDiffuse);
    glMaterialfv(GL_BACK, GL_DIFFUSE, material.backDiffuse);

    // Given while the camera's modelview is current, so it is a world position.
    const Vector3 light = surfaceLightPosition(camera);
    const GLfloat position[] = {light.x, light.y, light.z, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    glShadeModel(state.smoothShading ? GL_SMOOTH : GL_FLAT);
}

void drawDecorations(const AppState& state, const Camera& camera)
{
    if (state.showWorldAxes) {
        static const float red[3] = {1, 0, 0};
        static const float green[3] = {0, 1, 0};
        static const float blue[3] = {0, 0, 1};
        drawAxes(Vector3(-1, -1, -1, 1), Vector3(1, 0, 0, 1), Vector3(0, 1, 0, 1), Vector3(0, 0, 1, 1), 1.0f,
                 red, green, blue);
    }
    if (state.showCameraTarget) {
        glColor3f(0, 1, 1);
        int column = 0;
        int row = 0;
        const float depth = camera.projectToPixel(camera.target, column, row);
        drawTargetCross(camera.target, camera.worldSizeAtDepth(depth, 0.05f));
    }
}

// Kept between frames: the curves are found again only when the surface
// changes, and ahead of the animation.
CurveDisplay curves;
CurvePrefetch prefetch;

void drawText(const AppState& state, const Camera& camera)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    Overlay2D overlay;
    overlay.begin(camera.windowWidth, camera.windowHeight);
    char line[headsUpLineSize];
    formatTimeLine(state, line, sizeof line);
    overlay.drawText(headsUpX, timeLineY, line, headsUpTextSize);
    if (state.alphaBlending) {
        formatAlphaLine(state, line, sizeof line);
        overlay.drawText(headsUpX, alphaLineY, line, headsUpTextSize);
    }
    if (state.stereo) {
        formatStereoLine(state, line, sizeof line);
        overlay.drawText(headsUpX, stereoLineY, line, headsUpTextSize);
    }
    if (state.doubleCurves) {
        // Lower than the others, where the surface often reaches: drawn over
        // it rather than behind it.
        formatCurvesLine(static_cast<int>(curves.set.curves.size()), static_cast<int>(curves.set.triplePoints.size()),
                         line, sizeof line);
        glDisable(GL_DEPTH_TEST);
        overlay.drawText(headsUpX, curvesLineY, line, headsUpTextSize);
        glEnable(GL_DEPTH_TEST);
    }
    overlay.end();
    glPopMatrix();
}

void drawView(AppState& state, Camera& camera, int view)
{
    if (state.stereo)
        glViewport(view * camera.windowWidth, 0, camera.windowWidth, camera.windowHeight);
    const EyeMode eye = !state.stereo ? MonoEye : view == 1 ? RightEye : LeftEye;
    applyProjection(camera, eye, state.stereoDistance, state.orthographic);

    drawDecorations(state, camera);

    if (state.cullingEnabled) {
        glEnable(GL_CULL_FACE);
        glCullFace(state.cullBackFaces ? GL_BACK : GL_FRONT);
    } else {
        glDisable(GL_CULL_FACE);
    }
    if (state.displayMode == 1)
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    if (state.displayMode >= 2)
        setLighting(state, camera);
    if (state.alphaBlending) {
        // Every layer of the surface adds its light, seen through the others.
        glBlendFunc(GL_ONE, GL_ONE);
        glEnable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
    }
    glColor3f(1, 1, 1);
    // Everything of the origin look is behind these two tests, so the
    // default frame makes exactly the calls it always made.
    const bool textured = state.look.textured();
    const bool lines = state.look.hasLines() || state.doubleCurves;
    if (textured)
        beginOriginTexture(state);
    if (lines) {
        glPolygonOffset(lineOffsetFactor, lineOffsetUnits);
        glEnable(GL_POLYGON_OFFSET_FILL);
    }
    drawSurface(state.mesh, state.displayMode, state.halfStrips, textured, state.seamFree);
    if (textured)
        endOriginTexture(state);
    if (lines)
        glDisable(GL_POLYGON_OFFSET_FILL);

    if (state.displayMode == 1)
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_LIGHTING);
    if (state.alphaBlending) {
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
    }
    glDisable(GL_CULL_FACE);
    if (state.look.hasLines())
        drawOriginLines(state);
    if (state.doubleCurves)
        drawDoubleCurves(state, curves, prefetch);

    if (state.showText)
        drawText(state, camera);
}
}

void renderFrame(AppState& state)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    if (!state.camera)
        return;
    const int views = state.stereo ? 2 : 1;
    for (int view = 0; view < views; ++view)
        drawView(state, *state.camera, view);
}

void prepareAhead(const AppState& state)
{
    if (const std::optional<DoubleCurveRequest> next = CurveDisplay::requestAhead(state))
        prefetch.ahead(curves, *next);
}
