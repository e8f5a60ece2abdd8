#include "camera/Camera.h"

#include "geometry/check.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kSourceFile = "Camera.cpp";

// Clipping planes as multiples of the scene radius: near enough to dolly well
// into the scene, far enough to hold all of it from several home distances.
constexpr float kNearFactor = 0.1f;
constexpr float kFarFactor = 15;

// Half the field of view across the smaller viewport side, 15 degrees. Its
// tangent is taken in double and stored once as a float so that every view
// quantity derives from the same rounded value.
constexpr double kHalfFieldOfView = 0.2617993950843811;

// The home eye stands back this much further than the distance at which the
// scene radius exactly fills half the smaller viewport side, leaving a margin.
constexpr double kHomeMargin = 1.1;

// Pixel coordinates of points at or behind the eye are meaningless and may be
// infinite or NaN; saturating keeps the float-to-int conversion defined.
int truncateToPixel(float value)
{
    // kHighest is the largest float below 2^31; -2^31 is exact in both types.
    constexpr float kHighest = 2147483520.0f;
    constexpr float kLowest = -2147483648.0f;
    if (std::isnan(value))
        return 0;
    return static_cast<int>(std::clamp(value, kLowest, kHighest));
}

}  // namespace

Camera::Camera(int windowWidth, int windowHeight, float sceneRadius, const Vector3& sceneCenter)
{
    homeUp = Vector3(0, 1, 0, 1);
    const float upLength = homeUp.length();
    consistencyCheck(0.9995f < upLength && upLength < 1.0005f, 53, kSourceFile);
    this->sceneCenter = sceneCenter;
    setSceneRadius(sceneRadius);
    nearPlane = kNearFactor * this->sceneRadius;

    // resetView sizes the frustum from the rectangle, so it must exist first;
    // setViewport then fills in the derived pixel values.
    this->windowWidth = windowWidth;
    this->windowHeight = windowHeight;
    viewportLeft = 0;
    viewportTop = 0;
    viewportRight = windowWidth - 1;
    viewportBottom = windowHeight - 1;
    resetView();
    setViewport(windowWidth, windowHeight, 0, 0, windowWidth - 1, windowHeight - 1);
}

void Camera::setSceneRadius(float radius)
{
    consistencyCheck(radius > 0, 101, kSourceFile);
    sceneRadius = radius;
    farPlane = kFarFactor * radius;
}

void Camera::setViewport(int windowWidth, int windowHeight, int left, int top, int right, int bottom)
{
    consistencyCheck(left < right, 148, kSourceFile);
    consistencyCheck(top < bottom, 149, kSourceFile);
    this->windowWidth = windowWidth;
    this->windowHeight = windowHeight;
    viewportLeft = left;
    viewportTop = top;
    viewportRight = right;
    viewportBottom = bottom;
    // Centres of inclusive pixel ranges fall on half pixels for even sizes;
    // the + 0.5 reaches from the centre to the outer edge of the end pixel.
    viewportCenterX = static_cast<float>((left + right) * 0.5);
    viewportCenterY = static_cast<float>((top + bottom) * 0.5);
    viewportRadius = std::min(viewportCenterX - left + 0.5f, viewportCenterY - top + 0.5f);
    updateFrustumSize();
}

void Camera::updateFrustumSize()
{
    // The smaller side always spans 2 * nearHalfExtent, so the field of view
    // across it stays 30 degrees whatever the aspect.
    const int w = viewportRight - viewportLeft + 1;
    const int h = viewportBottom - viewportTop + 1;
    const float s = 2 * nearHalfExtent;
    if (w < h) {
        nearWidth = s;
        nearHeight = s * h / w;
    } else {
        nearHeight = s;
        nearWidth = s * w / h;
    }
}

void Camera::resetView()
{
    const float t = static_cast<float>(std::tan(kHalfFieldOfView));
    nearHalfExtent = nearPlane * t;
    const float homeDistance = static_cast<float>(sceneRadius * kHomeMargin / t);
    updateFrustumSize();

    orbitAxis = homeUp;
    up = orbitAxis;
    // With the standard up the eye sits on +z looking down -z, as OpenGL's
    // default view does; any other up gets some direction perpendicular to it.
    Vector3 direction(0, 0, 1, 1);
    if (!(up.x == 0 && up.y == 1 && up.z == 0))
        direction = up.perpendicular().normalized();
    target = sceneCenter;
    eye = target + direction * homeDistance;
    eye.w = 1;
}

CameraProjection Camera::projection(EyeMode eyeMode, float stereoDistance, bool orthographic) const
{
    // The right eye moves to the +right side of the view, every other
    // non-mono value to the -right side.
    const float sign = eyeMode == RightEye ? 1.0f : -1.0f;
    consistencyCheck(nearPlane < farPlane, 226, kSourceFile);

    float shift = 0;
    Vector3 offsetDirection(0, 0, 0, 1);
    if (eyeMode != MonoEye) {
        // Both eyes aim at the target, so their axes converge there. Shifting
        // each frustum window by the same fraction of the eye offset that the
        // near plane is of the target distance keeps the window centre
        // parallel to the mono viewing direction.
        const Vector3 view = target - eye;
        offsetDirection = cross(view, up).normalized();
        const float dist = view.length();
        shift = sign * stereoDistance * 0.5f * nearPlane / dist;
    }
    CameraProjection p;
    p.left = shift - nearWidth * 0.5f;
    p.right = shift + nearWidth * 0.5f;
    p.bottom = -0.5f * nearHeight;
    p.top = 0.5f * nearHeight;
    p.nearPlane = nearPlane;
    p.farPlane = farPlane;
    p.eyePosition = eye + offsetDirection * (sign * stereoDistance * 0.5f);
    p.target = target;
    p.up = up;
    if (orthographic) {
        // The window through the target, centred on the eye's own line.
        const float scale = (target - p.eyePosition).length() / nearPlane;
        p.orthographic = true;
        p.left = -nearWidth * 0.5f * scale;
        p.right = nearWidth * 0.5f * scale;
        p.bottom = -0.5f * nearHeight * scale;
        p.top = 0.5f * nearHeight * scale;
    }
    return p;
}

float Camera::projectToPixel(const Vector3& point, int& column, int& row) const
{
    // Projects from the mono eye whichever stereo view is being drawn. The
    // right vector is not normalized: it is unit while up is unit and
    // perpendicular to the viewing direction.
    const Vector3 forward = (target - eye).normalized();
    const Vector3 right = cross(forward, up);
    const Vector3 relative = point - eye;
    const float a = dot(relative, right);
    const float b = dot(relative, up);
    const float depth = dot(relative, forward);
    const float k = nearPlane / depth;
    // nearHalfExtent on the near plane maps to viewportRadius pixels; rows
    // grow downward, hence the minus on the up component.
    column = truncateToPixel(viewportCenterX + viewportRadius * k * a / nearHalfExtent + 0.5f);
    row = truncateToPixel(viewportCenterY - viewportRadius * k * b / nearHalfExtent + 0.5f);
    return depth;
}

float Camera::worldSizeAtDepth(float depth, float fraction) const
{
    return depth * fraction * 2 * nearHalfExtent / nearPlane;
}
