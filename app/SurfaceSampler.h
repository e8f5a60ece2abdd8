#pragma once
// Sampling a stage function over a regular (u, v) grid into drawable vertices.
//
// The grid is the caller's row table: row i holds u = uMin + i (uMax - uMin) /
// uCount, column j holds v = vMin + j (vMax - vMin) / vCount, both ends
// included. Positions and normals are narrowed to float for OpenGL; the
// evaluation itself is double precision and allocates nothing.
#include <cmath>

#include "eversion/StageFunction.h"
#include "jets/JetVec.h"

// Position, then unit normal: each handed to OpenGL as three consecutive floats.
struct SurfaceVertex {
    float position[3];
    float normal[3];
};
static_assert(sizeof(SurfaceVertex) == 24, "SurfaceVertex is six packed floats");

// The normal is the normalised v x u product (the negated u x v product); a
// degenerate point, where the tangents are parallel or vanish, gets the zero
// vector rather than an error.
inline void makeSurfaceVertex(const Jet4Vec& point, SurfaceVertex& out)
{
    out.position[0] = static_cast<float>(point.x.value);
    out.position[1] = static_cast<float>(point.y.value);
    out.position[2] = static_cast<float>(point.z.value);

    const double pu[3] = {point.x.du, point.y.du, point.z.du};
    const double pv[3] = {point.x.dv, point.y.dv, point.z.dv};
    const double n[3] = {pu[1] * pv[2] - pu[2] * pv[1], pu[2] * pv[0] - pu[0] * pv[2],
                         pu[0] * pv[1] - pu[1] * pv[0]};
    const double lengthSquared = n[0] * n[0] + n[1] * n[1] + n[2] * n[2];
    // When the length is zero, scaling by it yields zeros (of either sign).
    const double k = lengthSquared > 0 ? std::sqrt(1 / lengthSquared) : lengthSquared;
    for (int i = 0; i < 3; ++i)
        out.normal[i] = static_cast<float>(-n[i] * k);
}

inline void sampleSurface(StageFunction stageFunction, double uMin, double uMax, int uCount,
                          double vMin, double vMax, int vCount, double fraction,
                          SurfaceVertex** grid, int stripCount)
{
    if (uCount < 1 || vCount < 1)
        return;
    const double du = (uMax - uMin) / uCount;
    const double dv = (vMax - vMin) / vCount;
    for (int i = 0; i <= uCount; ++i) {
        double u = uMin + i * du;
        // A row where the strip collapses to a point (the pole) has no
        // v-tangent and so no normal: move it a hair off the pole instead. The
        // test always looks at v = 0, whatever vMin is.
        const Jet4Vec probe = stageFunction(Jet8(u, 1, 0), Jet8(0, 0, 1), fraction, stripCount);
        const double pvLength = std::sqrt(probe.x.dv * probe.x.dv + probe.y.dv * probe.y.dv +
                                          probe.z.dv * probe.z.dv);
        if (pvLength == 0)
            u = u < 1 ? u + 1e-9 : u - 1e-9;
        for (int j = 0; j <= vCount; ++j) {
            const double v = vMin + j * dv;
            makeSurfaceVertex(stageFunction(Jet8(u, 1, 0), Jet8(v, 0, 1), fraction, stripCount),
                              grid[i][j]);
        }
    }
}
