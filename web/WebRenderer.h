#pragma once
// Draws the viewer's frame into the current WebGL 2 context: the desktop's
// frame, step for step, without the fixed pipeline. One view in mono, two
// side by side in stereo (left eye on the left), each with the optional world
// axes and target cross, the surface in its display mode, lighting, culling
// and blending, and the heads-up text; coloured, banded, lined and tracked
// by origin when the look asks for it (the lit modes take the colours and
// bands; points and wireframe stay white), as on the desktop.
//
// Window sizes and the text are in CSS pixels, as the camera and the mouse
// count them; `pixelScale` drawing-buffer pixels make one CSS pixel, so the
// frame stays sharp on dense screens. Owns its GL objects for the life of the
// page; one thread only.
#include "curves/CurveDisplay.h"
#include "geometry/mathutil.h"
#include "viewer/OriginLines.h"
#include "web/SurfaceBuffers.h"

struct AppState;

struct WebRenderer {
    // Compiles the shaders and uploads the font; false when WebGL 2 refuses.
    bool init();
    // Rebuilds the surface first when the mesh is dirty. `curves`, when the
    // state shows double curves, is the mesh's set; null while it is being
    // found, and then neither the curves nor their heads-up line is drawn.
    void render(AppState& state, float pixelScale, const CurveDisplay* curves);

private:
    void drawView(AppState& state, int view, float pixelScale);
    void uploadSurface(const AppState& state, bool rebuilt);
    void bindOriginTexture(const AppState& state);
    void drawOriginLines(const AppState& state, const float (&projection)[16], const float (&viewing)[16],
                         float pixelScale);
    void drawDoubleCurves(const AppState& state, const CurveDisplay& curves, const Matrix4& projection,
                          const Matrix4& viewing, float pixelScale);

    unsigned int smoothProgram = 0;
    unsigned int flatProgram = 0;
    unsigned int plainProgram = 0;
    unsigned int wireProgram = 0;
    unsigned int textProgram = 0;
    unsigned int markerProgram = 0;
    unsigned int thickLineProgram = 0;
    unsigned int thickLineArray = 0;  // segment ends and corners, see thickLineVertex
    unsigned int thickLineBuffer = 0;
    const CurveDisplay* shownCurves = nullptr;  // during render only
    int curveQuadVertices = 0;      // in thickLineBuffer: the quads of the curves shown
    long curveQuadsRevision = -1;   // the display's revision they were made from
    unsigned int originTexture = 0;  // made on first use
    long originRevision = -1;        // the look's revision it holds
    OriginLineSet originLines;
    unsigned int fontTexture = 0;
    unsigned int lineArray = 0;   // decorations: positions at attribute 0
    unsigned int lineBuffer = 0;
    unsigned int textArray = 0;   // text: pixel and texture coordinates
    unsigned int textBuffer = 0;
    SurfaceBuffers surface;
    // What the buffers hold: the grid's blocks under each copy's turn, or
    // the copies turned already (seam-free), and for which copies.
    bool uploadedSeamFree = false;
    int uploadedCopyKey = -1;
};
