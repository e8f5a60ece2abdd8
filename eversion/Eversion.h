#pragma once
// The eversion schedule: five stages over the time t in [0, 1], from the unit
// sphere (t = 0) to the same sphere with every point negated (t = 1).
//
// Each stage function evaluates its base geometry on the meridian v = 0, lays
// the corrugation over it at the stage's amplitude and turns the strip into
// place (angles in turns). evaluateEversion picks the stage holding at the
// given time, converts the time into the stage's fraction in [0, 1] and fills
// the caller's vertex rows through the row-by-row grid sampler.
#include "eversion/StageFunction.h"
#include "eversion/SurfaceSampler.h"

// Corrugation grows on the unit sphere.
Jet4Vec stageCorrugate(Jet8 u, Jet8 v, double fraction, int stripCount);
// The polar cap is pushed through to the far side.
Jet4Vec stagePushThrough(Jet8 u, Jet8 v, double fraction, int stripCount);
// The polar and equatorial sheets are turned by half a turn.
Jet4Vec stageTwist(Jet8 u, Jet8 v, double fraction, int stripCount);
// The surface is pulled back out onto the inverted sphere.
Jet4Vec stageRelease(Jet8 u, Jet8 v, double fraction, int stripCount);
// The corrugation flattens out on the inverted sphere.
Jet4Vec stageSmooth(Jet8 u, Jet8 v, double fraction, int stripCount);

// The same five stages carried on the reduced jets: the value, du and dv of
// each are those of the stage above bit for bit, without the mixed derivative.
Jet3Vec stageCorrugateFirstOrder(Jet5 u, Jet5 v, double fraction, int stripCount);
Jet3Vec stagePushThroughFirstOrder(Jet5 u, Jet5 v, double fraction, int stripCount);
Jet3Vec stageTwistFirstOrder(Jet5 u, Jet5 v, double fraction, int stripCount);
Jet3Vec stageReleaseFirstOrder(Jet5 u, Jet5 v, double fraction, int stripCount);
Jet3Vec stageSmoothFirstOrder(Jet5 u, Jet5 v, double fraction, int stripCount);

// The row parts of the five stages (see StageRowFunction).
StripFrame corrugateRow(Jet8 u, double fraction);
StripFrame pushThroughRow(Jet8 u, double fraction);
StripFrame twistRow(Jet8 u, double fraction);
StripFrame releaseRow(Jet8 u, double fraction);
StripFrame smoothRow(Jet8 u, double fraction);

// The stage holding at a time, as a per-point function, as its row part and
// as the per-point function on the reduced jets, with the time converted into
// the stage's fraction in [0, 1]. A stage starts at its start time inclusive;
// the last ends at 1. Before corrugateStart the functions are null.
struct StageAtTime {
    StageFunction point;
    StageRowFunction row;
    StageFirstOrderFunction firstOrder;
    double fraction;
};
StageAtTime stageAtTime(double time, double corrugateStart, double pushStart, double twistStart,
                        double releaseStart, double smoothStart);

// Samples the stage holding at `time` over the grid uMin..uMax (uCount
// intervals) by vMin..vMax (vCount intervals) into grid, which has
// uCount + 1 rows of vCount + 1 vertices. A stage starts at its start time
// inclusive; the last ends at 1. The start times must increase strictly with
// smoothStart below 1. A null grid or a time before corrugateStart leaves
// everything untouched.
void evaluateEversion(SurfaceVertex** grid, double time, int stripCount, double uMin, int uCount,
                      double uMax, double vMin, int vCount, double vMax, double corrugateStart,
                      double pushStart, double twistStart, double releaseStart,
                      double smoothStart);
