#pragma once
// The points of a double curve between two refined ones, and the clean-up of
// the polylines they make.
//
// Between consecutive refined points p and q, refined points are put while
// the gap is longer than `longestGap`, or the curve's tangents at its ends
// tell that it strays more than `deviation` from the chord or turns back
// (a hairpin may be deeper than its ends are apart), or the mesh's polyline
// between is much longer than the chord. Each new point is refined from its
// estimate by cubic Hermite interpolation in the space of origin pairs, else
// from the mesh's crossing halfway along; a gap neither can split is
// followed along the curve (TracePoint.h) in steps turning by at most
// `sharpestTurn`, and if that fails too the gap is marked as a break: the
// curve is not known to cross it in a straight line.
//
// Pure; any number of threads.
#include <vector>

#include "curves/TracePoint.h"

struct TracingSettings {
    double spacing = 0.05;      // world units between chosen crossings (CurveTracing.h)
    double longestGap = 0.1;    // world units
    double deviation = 0.002;   // world units
    double sharpestTurn = 0.3;  // radians
    // Whether open polylines lose their end hooks (dropEndHooks): where the
    // search left rows out, whose edge the chains run out at.
    bool dropHooks = false;
};

// A mesh crossing between two refined points: where it is on the mesh, and
// its two sheets' origins there (unit vectors).
struct Waypoint {
    Vec3 position;
    Vec3 edgeSide, triangleSide;
};

// Whether the gap from x to y needs points between, the tangents of both
// running from x to y; `meshLength` is the mesh's polyline between them
// (0 if unknown).
bool needsSplit(const TracePoint& x, const TracePoint& y, double meshLength, const TracingSettings& settings);

// Appends the points between p and q, in order, guided by the waypoints
// between them; a break, if any, as breakMark().
void fillGap(const ExactSurface& surface, const TracingSettings& settings, const std::vector<Waypoint>& way,
             const TracePoint& p, const TracePoint& q, std::vector<TracePoint>& out);

TracePoint breakMark();
bool isBreak(const TracePoint& p);

// Drops the excursions where a polyline runs back over itself: where the mesh
// near a hairpin's tip is too coarse to order the crossings, the chain can
// visit them in an order that goes up one arm, down, up again and down the
// other. An excursion starts and ends within `near` of each other, turns
// back in between, and every point of it lies within `near` of the rest of
// the polyline, so dropping it loses nothing. Each turn back drops the
// widest such excursions round it, all judged on the polyline as it is (in
// a loop, round its end too), so the result has the polyline's symmetry.
// Returns whether each point is kept.
std::vector<char> withoutExcursions(const std::vector<TracePoint>& line, bool closed, double near);

// Drops the hooks at an open polyline's ends: where the chain ran out at
// the edge of what the mesh searched (the polar rows left out round the
// ruled method's meeting poles), it can turn back over the last stretch of
// the curve, and the end's tangent then leads back along it. A hook turns
// back within the last 32 points and lies within `near` of the polyline
// before the turn, so dropping it loses nothing. The widest hook at each end
// goes; its tip stays. Returns how many points were dropped from the front.
std::size_t dropEndHooks(std::vector<TracePoint>& line, double near);
