#pragma once
// The curves through points where double curves cross, followed on the exact
// surface from arm to arm (AxisPoints.h, MirrorCrossings.h): the ways between
// the arms, joined straight on through the points, and the search's curves
// they replace.
//
// Arms 2 k and 2 k + 1 are the two ways out of a point along one curve, so
// going straight on through the point from arm j is leaving by arm j ^ 1.
// World units. Pure; replaceAlong asks which points lie along the made lines
// on OpenMP threads.
#include <algorithm>
#include <vector>

#include "curves/ChordGrid.h"
#include "curves/CurveTracing.h"
#include "curves/DoubleCurves.h"
#include "curves/SheetChart.h"
#include "curves/TracePoint.h"

// The way out of an arm to the arm it comes into, or into a pinch where the
// curve ends (PinchPoints.h).
struct ArmWay {
    std::vector<TracePoint> points;  // after the arm's own point, up to and with the point it comes into
    long arrival = -1;               // the arm there that leads back along it; -1 into a pinch
    bool pinched = false;            // the way ends in a pinch
};

// A curve made of ways.
struct WayCurve {
    std::vector<TracePoint> points;
    bool closed = false;
};

// The way with only as many of its points as keep every chord within
// `deviation` of the points it passes over and no longer than `longest`
// (`start` is the arm's point before the first).
void thinWay(const TracePoint& start, double deviation, double longest, std::vector<TracePoint>& way);

// The arms in orbits of the symmetry group: each arm's way is its orbit's
// representative's, turned by its element.
struct ArmOrbits {
    std::vector<std::size_t> representative;  // per arm; a representative is its own
    std::vector<int> element;                 // per arm: takes its representative to it
};

// The representatives' ways, each way followed from one end only, its way
// back being the same reversed (turned onto its own orbit's representative).
// The representatives are followed in order, in rounds of two (the same
// whatever the threads), and one whose way came round in an earlier way is
// not followed. follow(arm, way) follows a way and says whether it arrived
// at an arm or in a pinch; image(g, arm) is the arm g takes `arm` to, -1 if
// none. False where a follow fails, or a way comes into an arm whose way is
// known already and leads elsewhere (a follow crossed over to another curve).
template <class Follow, class Image>
bool followFromOneEnd(const SurfaceSymmetry& symmetry, const std::vector<TracePoint>& starts,
                      const ArmOrbits& orbits, Follow&& follow, Image&& image, std::vector<ArmWay>& ways)
{
    std::vector<char> known(starts.size(), 0);
    const auto wayBack = [&](std::size_t c) {
        const std::size_t into = static_cast<std::size_t>(ways[c].arrival);
        const std::size_t r = orbits.representative[into];
        const int back = symmetry.inverse(orbits.element[into]);
        ArmWay way;
        const std::vector<TracePoint>& there = ways[c].points;
        for (std::size_t i = there.size() - 1; i-- > 0;)
            way.points.push_back(mapped(symmetry, back, turnedBy(there[i], -1)));
        way.points.push_back(mapped(symmetry, back, turnedBy(starts[c], -1)));
        way.arrival = image(back, c);
        if (way.arrival < 0)
            return false;
        if (known[r])
            return ways[r].arrival == way.arrival;
        ways[r] = std::move(way);
        known[r] = 1;
        return true;
    };
    constexpr std::size_t round = 2;
    for (std::size_t next = 0;;) {
        std::vector<std::size_t> batch;
        for (; batch.size() < round && next < starts.size(); ++next)
            if (orbits.representative[next] == next && !known[next])
                batch.push_back(next);
        if (batch.empty())
            return true;
        std::vector<ArmWay> followed(batch.size());
        std::vector<char> arrived(batch.size(), 0);
        const long count = static_cast<long>(batch.size());
#if defined(_OPENMP)
#pragma omp parallel for schedule(dynamic, 1) if (count > 1)
#endif
        for (long i = 0; i < count; ++i)
            arrived[static_cast<std::size_t>(i)] =
                follow(batch[static_cast<std::size_t>(i)], followed[static_cast<std::size_t>(i)]);
        for (std::size_t i = 0; i < batch.size(); ++i) {
            const std::size_t c = batch[i];
            if (known[c])
                continue;
            if (!arrived[i])
                return false;
            ways[c] = std::move(followed[i]);
            known[c] = 1;
            if (!ways[c].pinched && !wayBack(c))
                return false;
        }
    }
}

// Every other arm's way, its representative's turned; then whether each way
// is the other's way back (where it is not, a follow crossed over).
template <class Image>
bool placeWays(const SurfaceSymmetry& symmetry, const ArmOrbits& orbits, Image&& image, std::vector<ArmWay>& ways)
{
    for (std::size_t k = 0; k < ways.size(); ++k) {
        const std::size_t r = orbits.representative[k];
        if (r == k)
            continue;
        ways[k].points.clear();
        for (const TracePoint& p : ways[r].points)
            ways[k].points.push_back(mapped(symmetry, orbits.element[k], p));
        ways[k].pinched = ways[r].pinched;
        if (ways[k].pinched)
            continue;
        ways[k].arrival = image(orbits.element[k], static_cast<std::size_t>(ways[r].arrival));
        if (ways[k].arrival < 0)
            return false;
    }
    for (std::size_t k = 0; k < ways.size(); ++k)
        if (!ways[k].pinched && ways[static_cast<std::size_t>(ways[k].arrival)].arrival != static_cast<long>(k))
            return false;
    return true;
}

// The curves of the ways: each way, then straight on through the point it
// comes into, until the first arm comes round again (a loop) or a way ends
// in a pinch (a curve from one pinch to another, begun at the first's way
// backwards). `starts` are the arms' own points. Going on by arm j ^ 1
// adds that arm's own point and its way's: at a point of the axis both
// arms start at the point itself, and its point is there once; at a mirror
// crossing they start either side of it, and the chord between them runs
// across the point (from arm j straight to the way of arm j ^ 1, it strayed
// 0.016 from a loop sharply bent there: three strips, t = 0.85, 12 x 12).
std::vector<WayCurve> joinWays(const std::vector<TracePoint>& starts, const std::vector<ArmWay>& segments);

// Adds each representative arm's way as far as `reach` from its start, and
// a point on, with every image under the group: where the search's chains
// ran astray round the points, for the triple points' search
// (TriplePoints.h).
void addWaysNearTheirPoints(const SurfaceSymmetry& symmetry, const std::vector<TracePoint>& starts,
                            const ArmOrbits& orbits, const std::vector<ArmWay>& ways, double reach,
                            std::vector<TracedPolyline>& near);

// The made lines' chords over a grid, with their two sheets' origins.
struct MadeChords {
    ChordGrid grid;
    std::vector<OriginPair> sheets;
    double close = 1;  // the cosine within which origins are the same sheet's

    // Whether p lies within `reach` of a chord on its two sheets.
    bool along(const CurvePoint& p, double reach) const;
};
MadeChords madeChords(const std::vector<WayCurve>& made, double sheetReach);
// Whether each point of each curve lies along a made line, asked on OpenMP
// threads.
std::vector<std::vector<char>> pointsAlong(const MadeChords& chords, const std::vector<DoubleCurve>& curves,
                                           double along);
// The made lines added to `curves`, every one whole.
void addMade(const std::vector<WayCurve>& made, std::vector<DoubleCurve>& curves);

// The search's curves that run along the made lines (every point within
// `along` of one on the same two sheets, origins within `sheetReach`
// radians) go, and so do open ones every point of which is passed over
// (passed(curve, point): the points round the crossing points, asked only of
// curves along a made line somewhere and of open ones). A curve that runs
// partly along a made line and partly elsewhere was joined to it where it
// should not have been: what runs elsewhere stays, in open pieces, for
// OpenLoops.h to follow round (eight strips, t = 0.79 and 0.805: loops 2.3
// long joined to curves through the mirror crossings, where all the curves
// were left as the search made them, 100 and 116 curves at 12 x 12 for 140
// and 180). Loops along no made line stay. The made lines are added to
// `curves`.
template <class Passed>
void replaceAlong(const std::vector<WayCurve>& made, Passed&& passed, double along, double sheetReach,
                  std::vector<DoubleCurve>& curves)
{
    const MadeChords chords = madeChords(made, sheetReach);
    const std::vector<std::vector<char>> alongAll = pointsAlong(chords, curves, along);
    std::vector<char> replaced(curves.size(), 0), mixed(curves.size(), 0);
    for (std::size_t c = 0; c < curves.size(); ++c) {
        const std::vector<CurvePoint>& line = curves[c].points;
        const std::vector<char>& alongHere = alongAll[c];
        const bool any = std::find(alongHere.begin(), alongHere.end(), 1) != alongHere.end();
        if (!any && curves[c].closed)
            continue;
        bool onMade = false, elsewhere = false;
        for (std::size_t i = 0; i < line.size() && !mixed[c]; ++i) {
            // Whether a point along a made line is passed matters only until
            // one is not.
            if ((alongHere[i] && onMade) || passed(c, i))
                continue;
            if (alongHere[i])
                onMade = true;
            else
                elsewhere = true;
            mixed[c] = onMade && elsewhere;
        }
        if (!elsewhere && !onMade && curves[c].closed)
            onMade = any;
        replaced[c] = mixed[c] || (!elsewhere && (onMade || !curves[c].closed));
    }
    // What runs elsewhere of a curve that also runs along a made line stays,
    // in open pieces.
    std::vector<DoubleCurve> pieces;
    for (std::size_t c = 0; c < curves.size(); ++c) {
        if (!mixed[c])
            continue;
        const std::vector<CurvePoint>& line = curves[c].points;
        const std::size_t n = line.size();
        std::vector<char> goes(n);
        for (std::size_t i = 0; i < n; ++i)
            goes[i] = alongAll[c][i] || passed(c, i);
        // A loop is cut where it goes, so that no piece runs over its start.
        std::size_t first = 0;
        if (curves[c].closed)
            while (first < n && !goes[first])
                ++first;
        DoubleCurve piece;
        for (std::size_t j = 0; j < n; ++j) {
            const std::size_t i = (first + j) % n;
            if (!goes[i])
                piece.points.push_back(line[i]);
            if ((goes[i] || j + 1 == n) && !piece.points.empty()) {
                if (piece.points.size() >= 2)
                    pieces.push_back(std::move(piece));
                piece.points.clear();
            }
        }
    }
    std::size_t c = 0;
    std::erase_if(curves, [&](const DoubleCurve&) { return replaced[c++] != 0; });
    curves.insert(curves.end(), pieces.begin(), pieces.end());
    addMade(made, curves);
}
