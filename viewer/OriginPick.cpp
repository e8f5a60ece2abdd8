#include "viewer/OriginPick.h"

#include <cmath>
#include <vector>

#include "camera/Camera.h"
#include "viewer/AppState.h"
#include "viewer/SurfaceCopy.h"

namespace {

struct Ray {
    double origin[3];
    double direction[3];
};

void cross(const double a[3], const double b[3], double out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

double dot(const double a[3], const double b[3])
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

void normalize(double v[3])
{
    const double n = std::sqrt(dot(v, v));
    for (int i = 0; i < 3; ++i)
        v[i] /= n;
}

// The ray through the centre of pixel (x, y), rows downward, in world space,
// through the same window and frame the renderers hand to the graphics
// interface.
bool rayThroughPixel(const AppState& state, int x, int y, Ray& ray)
{
    const Camera& camera = *state.camera;
    EyeMode eye = MonoEye;
    double left = camera.viewportLeft, top = camera.viewportTop;
    double width = camera.viewportRight + 1 - camera.viewportLeft;
    double height = camera.viewportBottom + 1 - camera.viewportTop;
    if (state.stereo) {
        // Each eye has the whole half window.
        eye = x >= camera.windowWidth ? RightEye : LeftEye;
        left = eye == RightEye ? camera.windowWidth : 0;
        top = 0;
        width = camera.windowWidth;
        height = camera.windowHeight;
    }
    if (!(width > 0 && height > 0))
        return false;
    const CameraProjection lens = camera.projection(eye, state.stereoDistance, state.orthographic);
    // Across the window from its left edge and from its bottom edge, 0 to 1.
    const double across = (x + 0.5 - left) / width;
    const double upward = 1 - (y + 0.5 - top) / height;
    const double wx = lens.left + across * (lens.right - lens.left);
    const double wy = lens.bottom + upward * (lens.top - lens.bottom);

    const double eyeAt[3] = {lens.eyePosition.x, lens.eyePosition.y, lens.eyePosition.z};
    double forward[3] = {lens.target.x - eyeAt[0], lens.target.y - eyeAt[1], lens.target.z - eyeAt[2]};
    normalize(forward);
    const double upHint[3] = {lens.up.x, lens.up.y, lens.up.z};
    double side[3], up[3];
    cross(forward, upHint, side);
    normalize(side);
    cross(side, forward, up);
    for (int i = 0; i < 3; ++i) {
        if (lens.orthographic) {
            ray.origin[i] = eyeAt[i] + wx * side[i] + wy * up[i];
            ray.direction[i] = forward[i];
        } else {
            ray.origin[i] = eyeAt[i];
            ray.direction[i] = wx * side[i] + wy * up[i] + lens.nearPlane * forward[i];
        }
    }
    return true;
}

// Distance along the ray to triangle (a, b, c) and the hit's weights of b
// and c; false when it misses or lies behind the ray's start.
bool hitTriangle(const Ray& ray, const double a[3], const double b[3], const double c[3], double& distance,
                 double& wb, double& wc)
{
    double e1[3], e2[3], p[3], q[3], s[3];
    for (int i = 0; i < 3; ++i) {
        e1[i] = b[i] - a[i];
        e2[i] = c[i] - a[i];
        s[i] = ray.origin[i] - a[i];
    }
    cross(ray.direction, e2, p);
    const double determinant = dot(e1, p);
    if (std::fabs(determinant) < 1e-300)
        return false;
    wb = dot(s, p) / determinant;
    if (wb < 0 || wb > 1)
        return false;
    cross(s, e1, q);
    wc = dot(ray.direction, q) / determinant;
    if (wc < 0 || wb + wc > 1)
        return false;
    distance = dot(e2, q) / determinant;
    return distance > 0;
}

}  // namespace

bool pickOrigin(const AppState& state, int x, int y, Origin& origin)
{
    const SurfaceMesh& mesh = state.mesh;
    const int rows = mesh.gridRows(), columns = mesh.gridColumns();
    Ray ray;
    if (!state.camera || rows < 2 || columns < 2 || !rayThroughPixel(state, x, y, ray))
        return false;
    std::vector<float> us, vs;
    gridParameters(rows, columns, state.halfStrips, us, vs);

    double nearest = INFINITY;
    const int copies = surfaceCopyCount(mesh);
    for (int index = 0; index < copies; ++index) {
        const SurfaceCopy copy = surfaceCopy(mesh, index);
        SurfaceVertex* const* grid = mesh.block(copy.block);
        // The copy's turn is a rotation: the ray goes into the block's own
        // frame by its transpose, read off the turned axes.
        double axes[3][3];
        for (int i = 0; i < 3; ++i) {
            const double unit[3] = {i == 0 ? 1.0 : 0.0, i == 1 ? 1.0 : 0.0, i == 2 ? 1.0 : 0.0};
            turnIntoCopy(unit, copy, axes[i]);
        }
        Ray local;
        for (int i = 0; i < 3; ++i) {
            local.origin[i] = dot(axes[i], ray.origin);
            local.direction[i] = dot(axes[i], ray.direction);
        }
        for (int r = 0; r + 1 < rows; ++r) {
            for (int c = 0; c + 1 < columns; ++c) {
                double corner[4][3];
                const SurfaceVertex* cell[4] = {&grid[r][c], &grid[r][c + 1], &grid[r + 1][c + 1], &grid[r + 1][c]};
                for (int k = 0; k < 4; ++k)
                    for (int i = 0; i < 3; ++i)
                        corner[k][i] = cell[k]->position[i];
                // Grid places of the corners, in the same order.
                const double cu[4] = {us[r], us[r], us[r + 1], us[r + 1]};
                const double cv[4] = {vs[c], vs[c + 1], vs[c + 1], vs[c]};
                for (int half = 0; half < 2; ++half) {
                    const int j = half == 0 ? 1 : 2, k = half == 0 ? 2 : 3;
                    double distance, wb, wc;
                    if (!hitTriangle(local, corner[0], corner[j], corner[k], distance, wb, wc) || distance >= nearest)
                        continue;
                    nearest = distance;
                    // The nominal grid places, as the texture addresses them.
                    const double wa = 1 - wb - wc;
                    const double u = wa * cu[0] + wb * cu[j] + wc * cu[k];
                    const double v = wa * cv[0] + wb * cv[j] + wc * cv[k];
                    origin = gridOrigin(u, v, copy.hemisphere, copy.strip, copy.around);
                }
            }
        }
    }
    return nearest < INFINITY;
}
