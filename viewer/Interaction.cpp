#include "viewer/Interaction.h"

#include <algorithm>

#include "viewer/AppState.h"
#include "camera/Camera.h"

namespace {
constexpr int leftButton = 0;    // GLUT_LEFT_BUTTON
constexpr int middleButton = 1;  // GLUT_MIDDLE_BUTTON
constexpr int rightButton = 2;   // GLUT_RIGHT_BUTTON
constexpr int shiftBit = 1, ctrlBit = 2, altBit = 4;

// Scrubbing time by hand: the animation must not fight the user.
bool plainLeftDrag(const AppState& s)
{
    return s.leftButtonDown && !s.middleButtonDown && !s.rightButtonDown && !s.shiftDown &&
           !s.ctrlDown && !s.altDown;
}

// Orbiting by hand: the automatic rotation pauses.
bool orbitDrag(const AppState& s)
{
    return s.leftButtonDown && s.altDown && !s.middleButtonDown && !s.rightButtonDown &&
           !s.shiftDown && !s.ctrlDown;
}

// Where one eversion step takes the time and its direction.
struct EversionStep {
    double t;
    bool reversing;
    bool moves;  // the time changes (else only the direction turns, or neither)
};
EversionStep nextEversionStep(double t, bool reversing, double deltaT)
{
    // A step may overshoot 0 or 1; the next rebuild clamps t onto the end, and
    // the step after that turns the direction, so the surface rests there.
    if (reversing) {
        if (t == 0)
            return {t, false, false};
        if (t > 0)
            return {t - deltaT, true, true};
    } else {
        if (t == 1)
            return {t, true, false};
        if (t < 1)
            return {t + deltaT, false, true};
    }
    return {t, reversing, false};
}

void stepEversion(AppState& state)
{
    SurfaceMesh& mesh = state.mesh;
    const EversionStep step = nextEversionStep(mesh.t, state.eversionReversing, state.deltaT);
    state.eversionReversing = step.reversing;
    if (step.moves) {
        mesh.freeGrid();
        mesh.t = step.t;
        mesh.dirty = true;
    }
}
}

double eversionTimeAhead(const AppState& state)
{
    EversionStep step = nextEversionStep(state.mesh.t, state.eversionReversing, state.deltaT);
    // Resting at an end, the step after turns back.
    if (!step.moves)
        step = nextEversionStep(step.t, step.reversing, state.deltaT);
    return std::clamp(step.t, 0.0, 1.0);
}

bool timerShouldStart(AppState& state)
{
    if (state.timerRunning || !(state.animateEversion || state.animateRotation))
        return false;
    state.timerRunning = true;
    return true;
}

bool timerTick(AppState& state)
{
    if (!state.animateEversion && !state.animateRotation) {
        state.timerRunning = false;
        return false;
    }
    if (state.animateEversion && !plainLeftDrag(state))
        stepEversion(state);
    if (state.animateRotation && !orbitDrag(state) && state.camera) {
        // The orbit of a mouse moving half a pixel right and down from the
        // centre of the view.
        const int w = state.camera->windowWidth / 2;
        const int h = state.camera->windowHeight / 2;
        state.camera->orbit(static_cast<float>(w), static_cast<float>(h), w + 0.5f, h + 0.5f);
    }
    return true;
}

void mouseButton(AppState& state, int button, int isDown, int x, int y, int modifiers)
{
    state.shiftDown = (modifiers & shiftBit) != 0;
    state.ctrlDown = (modifiers & ctrlBit) != 0;
    state.altDown = (modifiers & altBit) != 0;
    if (button == leftButton)
        state.leftButtonDown = isDown != 0;
    else if (button == middleButton)
        state.middleButtonDown = isDown != 0;
    else if (button == rightButton)
        state.rightButtonDown = isDown != 0;
    state.lastMouseX = x;
    state.lastMouseY = y;
}

void mouseHover(AppState& state, int x, int y)
{
    state.lastMouseX = x;
    state.lastMouseY = y;
}

void mouseDrag(AppState& state, int x, int y)
{
    const int dx = x - state.lastMouseX;
    const int dy = state.lastMouseY - y;  // upward positive
    const int s = dx + dy;
    Camera* camera = state.camera;
    const bool left = state.leftButtonDown;
    const bool middle = state.middleButtonDown;

    if (state.shiftDown) {
        if (left) {
            if (state.altDown) {
                if (camera)
                    camera->dolly(static_cast<float>(-3 * s));
            } else if (state.ctrlDown) {
                // No bounds: a negative separation swaps the eyes.
                state.stereoDistance =
                    static_cast<float>(state.stereoDistance + static_cast<double>(0.002f) * dx);
            } else if (camera) {
                camera->pan(static_cast<float>(dx), static_cast<float>(dy));
            }
        }
    } else if (state.ctrlDown) {
        if (left) {
            double alpha = state.alpha + static_cast<double>(0.005f) * dx;
            alpha = alpha < 0 ? 0 : alpha > 1 ? 1 : alpha;
            state.alpha = static_cast<float>(alpha);
        }
    } else if (state.altDown) {
        if (camera) {
            if (left && middle)
                camera->dolly(static_cast<float>(3 * s));
            else if (left)
                camera->orbit(static_cast<float>(state.lastMouseX), static_cast<float>(state.lastMouseY),
                              static_cast<float>(x), static_cast<float>(y));
            else if (middle)
                camera->pan(static_cast<float>(dx), static_cast<float>(dy));
        }
    } else {
        // Horizontal dragging scrubs the eversion by deltaT per pixel.
        if (dx > 0)
            state.mesh.increaseTime(dx * state.deltaT);
        else
            state.mesh.decreaseTime(-dx * state.deltaT);
    }
    state.lastMouseX = x;
    state.lastMouseY = y;
}

bool reshapeViews(AppState& state, int width, int height)
{
    state.savedWindowWidth = width;
    state.savedWindowHeight = height;
    if (!state.camera)
        return false;
    // Each stereo eye gets half the window, truncated.
    const int w = state.stereo ? width / 2 : width;
    // A minimized or sliver-sized window has no room for a viewport; keep the
    // last valid one until the window grows again.
    if (w < 2 || height < 2)
        return false;
    state.camera->setViewport(w, height, 0, 0, w - 1, height - 1);
    return true;
}
