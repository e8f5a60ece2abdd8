#pragma once
// The one record of everything the viewer shows and how: display options,
// time step, stereo settings, animation and mouse state, the sampled surface
// and the camera. Every front end's input and frame callbacks read and change
// the global instance `appState`, one at a time on the front end's one thread.
#include "viewer/OriginLook.h"
#include "viewer/SurfaceMesh.h"

struct Camera;

struct AppState {
    float stereoDistance = 0.1f;   // eye separation in world units; any sign
    int displayMode = 2;           // 0 points, 1 wireframe, 2 strips, 3 checkerboard, 4 alternate rows
    bool smoothShading = true;
    bool cullBackFaces = true;     // which side culling removes: back (true) or front
    bool showText = true;
    float alpha = 0.3f;            // blending intensity, within [0, 1]
    int timerIntervalMs = 100;
    double deltaT = 0.00390625;    // a power of two in [1/8192, 1]
    SurfaceMesh mesh;
    Camera* camera = nullptr;      // created once at start-up, never destroyed
    bool stereo = false;
    int savedWindowWidth = 0;
    int savedWindowHeight = 0;
    int lastMouseX = 0;            // window pixels, rows counted downward
    int lastMouseY = 0;
    bool alphaBlending = false;
    bool cullingEnabled = false;
    bool showWorldAxes = false;
    bool showCameraTarget = false;
    bool halfStrips = false;
    bool timerRunning = false;     // a timer callback is pending
    bool animateEversion = false;
    bool eversionReversing = false;
    bool animateRotation = false;
    bool leftButtonDown = false;
    bool middleButtonDown = false;
    bool rightButtonDown = false;
    // Modifiers as sampled at the last button event; they hold for a drag.
    bool shiftDown = false;
    bool ctrlDown = false;
    bool altDown = false;
    // What is shown of each point's origin (colours, bands, lines, tracks)
    // and the parallel projection; the defaults draw the plain two sides.
    OriginLook look;
    bool orthographic = false;
    // The copies turned on the CPU so that their seams meet exactly
    // (SeamFreeSurface.h) rather than each under its own turn.
    bool seamFree = false;
    // The double curves and triple points drawn over the surface.
    bool doubleCurves = false;
};

extern AppState appState;
