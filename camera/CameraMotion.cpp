// Mouse-driven camera motions. Pixel amounts are scaled by the viewport so a
// drag across a given fraction of the window has the same effect at any size.
#include "camera/Camera.h"

namespace {

constexpr double kPi = 3.141592653589793;

// One degree of orbit per pixel when the smaller viewport side is 600 pixels.
constexpr double kOrbitReferenceRadius = 300;

// The eye never comes closer to the target than this many near planes, so the
// target stays visible in front of the near clipping plane.
constexpr float kClosestApproach = 1.3f;

// Moving back stops this many far planes from the target: the squared
// distances the orbit takes stay far inside float range.
constexpr float kFarthestRetreat = 1e5f;

// Pixels covered by one world unit at distance dist from the eye.
float pixelsPerUnit(const Camera& camera, float dist)
{
    const float halfExtentAtDist = dist * camera.nearHalfExtent / camera.nearPlane;
    return camera.viewportRadius / halfExtentAtDist;
}

}  // namespace

void Camera::orbit(float x0, float y0, float x1, float y1)
{
    const float radiansPerPixel =
        static_cast<float>((1 / (viewportRadius / kOrbitReferenceRadius)) * kPi / 180);
    Vector3 offset = eye - target;

    // Horizontal drags turn about the fixed home up, so the horizon does not
    // drift however the camera has been tilted.
    Matrix4 rotation;
    rotation.setRotation((x0 - x1) * radiansPerPixel, orbitAxis);
    offset = rotation * offset;
    up = rotation * up;

    // Vertical drags turn about the view's current right vector. up turns
    // with the eye, so passing over the pole never flips the view.
    const Vector3 right = cross(up, offset).normalized();
    rotation.setRotation((y0 - y1) * radiansPerPixel, right);
    offset = rotation * offset;
    up = rotation * up;

    eye = target + offset;
}

void Camera::pan(float dx, float dy)
{
    const Vector3 view = target - eye;
    const float dist = view.length();
    const Vector3 forward = view.normalized();
    const float scale = pixelsPerUnit(*this, dist);
    // Moving the camera against the drag makes the scene at the target's
    // depth follow the cursor.
    const Vector3 right = cross(forward, up);
    const Vector3 move = right * (-dx / scale) + up * (-dy / scale);
    eye += move;
    target += move;
}

void Camera::dolly(float amount)
{
    const Vector3 view = target - eye;
    const float dist = view.length();
    const Vector3 forward = view.normalized();
    // pixelsPerUnit falls with distance, so equal drags change the distance
    // by equal fractions.
    float step = amount / pixelsPerUnit(*this, dist);
    float newDist = dist - step;
    const float closest = kClosestApproach * nearPlane;
    if (closest > newDist)
        newDist = closest;
    // Backing away multiplies the distance at every drag, so without a bound a
    // few wild drags overflow the floats and the view is lost for good (an
    // orbit then has no axis). Far past the far plane the scene is long out
    // of sight anyway: stop there, with the target left where it is.
    const float farthest = kFarthestRetreat * farPlane;
    if (newDist > farthest) {
        newDist = dist > farthest ? dist : farthest;
        step = dist - newDist;
    }
    eye += forward * step;
    target = eye + forward * newDist;
}
