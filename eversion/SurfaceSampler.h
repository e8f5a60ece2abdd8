#pragma once
// Sampling a stage over a regular (u, v) grid into drawable vertices.
//
// The grid is the caller's row table: row i holds u = uMin + i (uMax - uMin) /
// uCount, column j holds v = vMin + j (vMax - vMin) / vCount, both ends
// included. Positions and normals are narrowed to float for drawing; the
// evaluation itself is double precision.
//
// Two samplers fill the same grid bit for bit. sampleSurface calls a stage
// function at every point, on the caller's thread, and allocates nothing: it
// is the reference. sampleSurfaceRows evaluates a stage's row part once per
// row and its column terms once per column, and spreads the rows over the
// cores; it is the one the viewer uses.
#include <cmath>

#include "eversion/RuledSurface.h"
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

// A row where the strip collapses to a point (the pole) has no v-tangent and
// so no normal: `probe`, the row's point at v = 0, tells, and the row is then
// moved a hair off the pole instead.
inline bool isPoleRow(const Jet4Vec& probe)
{
    const double pvLength =
        std::sqrt(probe.x.dv * probe.x.dv + probe.y.dv * probe.y.dv + probe.z.dv * probe.z.dv);
    return pvLength == 0;
}
inline double offPole(double u)
{
    return u < 1 ? u + 1e-9 : u - 1e-9;
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
        // The pole test always looks at v = 0, whatever vMin is.
        if (isPoleRow(stageFunction(Jet8(u, 1, 0), Jet8(0, 0, 1), fraction, stripCount)))
            u = offPole(u);
        for (int j = 0; j <= vCount; ++j) {
            const double v = vMin + j * dv;
            makeSurfaceVertex(stageFunction(Jet8(u, 1, 0), Jet8(v, 0, 1), fraction, stripCount),
                              grid[i][j]);
        }
    }
}

// The grid of the stage whose row part is `row`, equal bit for bit to
// sampleSurface with that stage's function. One table of column terms is
// allocated per call, nothing per point. Rows are spread over OpenMP threads
// in a static schedule, each row computed and written by one thread, so the
// result does not depend on the number of threads. Call it from one thread at
// a time.
void sampleSurfaceRows(StageRowFunction row, double uMin, double uMax, int uCount, double vMin,
                       double vMax, int vCount, double fraction, SurfaceVertex** grid, int stripCount);

// The ruled-surface eversion's grid: two blocks of uCount + 1 rows of
// vCount + 1 vertices, one after the other in `grid`. Block 0 holds the first
// lune of the northern hemisphere, block 1 that of the southern, each as the
// other method's strip grid holds its hemisphere: row i at u = i / uCount from
// the pole (u = 0) to the equator (u = 1), column j at v = j vMax / vCount
// across the lune, with the origins of Origin.h's copy (hemisphere, strip 0)
// for `frame.lobes` strips. Row 0 of each block is its pole: every column
// there is the pole's limit point with the limit normal, +z in the north and
// -z in the south (the tangent plane at a pole is horizontal at every time,
// and the side that faces +z at t = 0 keeps facing it). Rows are spread over
// OpenMP threads as in sampleSurfaceRows; one table of columns per block is
// allocated per call, nothing per point.
void sampleRuledRows(const RuledFrame& frame, int uCount, int vCount, double vMax, SurfaceVertex** grid);
