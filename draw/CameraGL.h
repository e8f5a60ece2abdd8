#pragma once
// Hands the camera to fixed-function OpenGL. Needs a current context.
#include "camera/Camera.h"

// glViewport of the camera's pixel rectangle, its rows flipped to OpenGL's
// bottom-up order.
void applyViewport(const Camera& camera);

// Loads GL_PROJECTION with the eye's frustum (or, orthographic, the
// parallel window through the target) and GL_MODELVIEW with its look-at,
// leaving GL_MODELVIEW current.
void applyProjection(const Camera& camera, EyeMode eyeMode, float stereoDistance, bool orthographic = false);
