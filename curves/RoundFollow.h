#pragma once
// Following a double curve on round from one of its points, on the exact
// surface (TracePoint.h): until it comes back round to the point, a loop, or
// into a pinch, where it ends (PinchPoints.h).
//
// Each step must go forward, the way the curve was heading: one that goes
// back has crossed to the way back of a curve that turns on itself sharply,
// close by (four strips, t = 0.445, 24 x 24: it passed 0.0014 from the
// start, and the follow "closed" loops 0.008 long with three points where
// the curve runs on for 0.02 and more). Such a follow is lost, and so is one
// that takes more than `runs` times followCurve's 64 steps.
//
// World units; origins unit vectors. Pure; any number of threads.
#include <vector>

#include "curves/PinchPoints.h"
#include "curves/TracePoint.h"

enum class RoundEnd { Round, Pinch, Lost };

struct RoundWay {
    // From the start on. Round, the loop's points once each: the last step's
    // point is left out where it is the start again (within steps.finest).
    std::vector<TracePoint> points;
    RoundEnd end = RoundEnd::Lost;
    PinchPoint pinch;  // when the end is a pinch: the follow's last point leads into it
};

RoundWay followRound(const ExactSurface& surface, const TracePoint& start, const FollowSteps& steps, int runs = 1);

// Whether the point `at`, of the two sheets `sheets`, lies within `reach` of a
// chord of the loop `loop` (its last point joined to its first) on the same
// two sheets: origins within the angle whose cosine is `close`.
bool nearLoopOn(const Vec3& at, const OriginPair& sheets, const std::vector<TracePoint>& loop, double reach,
                double close);
