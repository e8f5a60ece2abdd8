#pragma once
// The one viewer camera: a pixel viewport, a perspective frustum with a fixed
// 30-degree field of view across the smaller viewport side, side-by-side
// stereo, and an eye/target/up frame moved by mouse drags.
//
// Pixel rows count downward from the top of the window, as GLUT reports them;
// they are flipped to OpenGL's bottom-up rows only in the glViewport call.
// Viewport rectangles are inclusive. World lengths are in scene units, angles
// in radians; every Vector3 field holds w = 1 and all arithmetic is float.
// Pure arithmetic: the front ends hand the viewport and the projection to
// their graphics interface themselves.

#include "geometry/mathutil.h"

// Any value other than MonoEye and RightEye is treated as LeftEye; the fixed
// underlying type makes such values well-defined.
enum EyeMode : int { MonoEye = 0, LeftEye = 1, RightEye = 2 };

// One eye's view: the perspective frustum window on the near plane (as
// glFrustum takes it) or, when orthographic, the parallel window (as glOrtho
// takes it), and the look-at frame (as gluLookAt takes it).
struct CameraProjection {
    float left = 0, right = 0, bottom = 0, top = 0, nearPlane = 0, farPlane = 0;
    bool orthographic = false;
    Vector3 eyePosition;
    Vector3 target;
    Vector3 up;
};

struct Camera {
    int windowWidth = 0;   // width of the area served (half the window in stereo)
    int windowHeight = 0;
    int viewportLeft = 0;  // inclusive pixel rectangle, rows from the top
    int viewportTop = 0;
    int viewportRight = 0;
    int viewportBottom = 0;
    float viewportCenterX = 0;
    float viewportCenterY = 0;
    float viewportRadius = 0;  // half the smaller viewport side, in pixels
    float nearHalfExtent = 0;  // half the smaller frustum side on the near plane
    float nearWidth = 0;
    float nearHeight = 0;
    Vector3 sceneCenter;
    float sceneRadius = 0;
    float nearPlane = 0;
    float farPlane = 0;
    Vector3 eye;
    Vector3 target;
    Vector3 up;         // unit and perpendicular to target - eye
    Vector3 orbitAxis;  // horizontal orbits turn about this (the home up)
    Vector3 homeUp;

    Camera(int windowWidth, int windowHeight, float sceneRadius, const Vector3& sceneCenter);

    // Area size and inclusive rectangle; needs left < right and top < bottom.
    void setViewport(int windowWidth, int windowHeight, int left, int top, int right, int bottom);
    void updateFrustumSize();
    void setSceneRadius(float radius);
    // Home view: looking at sceneCenter along -z from 1.1 times the distance
    // at which sceneRadius fills half the smaller viewport side.
    void resetView();

    // The view of one eye; stereoDistance is the world-space eye separation
    // (unused for MonoEye). Stereo eyes sit half the separation to either
    // side and keep looking at the target. The orthographic view is the
    // frustum's window at the target's distance, so the target plane keeps
    // its size when the projection is switched; in stereo each eye looks
    // along its own line to the target, so the views differ by a small turn
    // about it.
    CameraProjection projection(EyeMode eyeMode, float stereoDistance, bool orthographic = false) const;
    // Pixel (column, row) of a point seen from the mono eye; returns its depth
    // along the viewing direction. Meaningful only for points in front of the
    // eye; otherwise the pixel values saturate instead of overflowing.
    float projectToPixel(const Vector3& point, int& column, int& row) const;
    // World length spanning `fraction` of the smaller viewport side at `depth`.
    float worldSizeAtDepth(float depth, float fraction) const;

    // Mouse motions, in pixels (rows downward). orbit swings the eye around
    // the target from the drag (x0, y0) -> (x1, y1); pan slides eye and target
    // so the scene at the target's depth follows the cursor; dolly moves the
    // eye towards the target (positive amount), never closer than 1.3 near
    // planes: the target is pushed ahead instead.
    void orbit(float x0, float y0, float x1, float y1);
    void pan(float dx, float dy);
    void dolly(float amount);
};
