#include "curves/PoleContact.h"

#include "curves/CurveJoins.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>

namespace {
// Ends join when they arrive from directions at least this opposed (cosine).
constexpr double opposed = -0.9;
// An end whose tangent, seen from above, is within this angle (radians) of
// the direction to the point heads straight at it: the caps are horizontal
// there and the curves come in along them.
constexpr double straightOn = 0.1;
// Its heading is taken over this many of its last steps.
constexpr std::size_t headingSteps = 3;
// Into the point the caps cross at an angle whose sine falls like a power of
// the distance (its first with two lobes, about its fifth with three, more
// with more). A point found to |f(a) - f(b)| <= 1e-10 may be off the curve by
// that over the sine, so the curve is followed down to this sine (1e-4 off
// at most), and the rest is a chord: with three lobes that is the last 0.07
// to the point, with five at the middle steps the last 0.1, where the caps
// are within 1e-10 of each other.
constexpr double leastPolarCrossing = 1e-6;
// The fixed part of the polar rows left out: a 1/48 turn of the sphere.
constexpr int polarShare = 48;
// Caps whose normals stay this close (the sine of their angle, as a share of
// a row in radians) part more slowly than their facets stray from them.
// NOTE: at a quarter of a row, three lobes at t = 0.45 (24 x 24) still had
// short loops over the curves just beyond the rows left out, which the ends
// met instead of the point; at a whole row they join in one loop through it.
constexpr double partingShare = 1;
// Caps that still have not parted this far (radians) from the poles
// coincide throughout.
constexpr double coincidentReach = std::numbers::pi / 3;

struct End {
    std::size_t slot;                  // 2 curve + 1 for its last point
    std::vector<TracePoint> followed;  // from the end towards the point
    bool reaches = false;              // the point, by following or by a chord
    bool arrives = false;              // the point, by following
    long meets = -1;                   // the index of another end it got to
    Vec3 from;  // the direction it arrives at the point from, unit, horizontal
};

Vec3 horizontal(const Vec3& v)
{
    return normalized(Vec3{v.x, v.y, 0});
}

double colatitude(const Origin& o)
{
    return (90 - std::fabs(o.latitude)) * std::numbers::pi / 180;
}

// The largest sine of the angle between the caps' normals at colatitude c
// (radians), sampled over one lobe (the caps have the lobes' symmetry).
double capParting(const ExactSurface& surface, int lobes, double c)
{
    constexpr int samples = 16;
    double largest = 0;
    const double latitude = 90 - c * 180 / std::numbers::pi;
    for (int k = 0; k < samples; ++k) {
        const double longitude = -180 + 360.0 * k / (samples * lobes);
        const SheetJet n = sheetJet(surface, unitOfOrigin({latitude, longitude}));
        const SheetJet s = sheetJet(surface, unitOfOrigin({-latitude, longitude + 180}));
        const Vec3 nn = normalized(cross(n.alongEast, n.alongNorth));
        const Vec3 ns = normalized(cross(s.alongEast, s.alongNorth));
        largest = std::fmax(largest, length(cross(nn, ns)));
    }
    return largest;
}
}

PoleContact poleContact(const ExactSurface& surface)
{
    PoleContact c;
    if (surface.method != EversionMethod::Ruled || surface.ruled.unfolding)
        return c;
    c.present = true;
    c.point = {0, 0, ruledPoleHeight(surface.ruled, true)};
    return c;
}

int polarRowsLeftOut(const ExactSurface& surface, const PoleContact& contact, const SearchMesh& mesh)
{
    if (!contact.present)
        return 0;
    const int fixed = std::max(1, (mesh.lastRow() + polarShare - 1) / polarShare);
    const double row = std::numbers::pi / mesh.lastRow();
    const double parted = partingShare * row;
    const int lobes = mesh.symmetry.around;
    if (capParting(surface, lobes, coincidentReach) < parted)
        return fixed;
    int rows = 1;
    while (rows * row < coincidentReach && capParting(surface, lobes, rows * row) < parted)
        ++rows;
    return std::max(fixed, rows);
}

void joinThroughPole(const ExactSurface& surface, const PoleContact& contact, int zoneRows, double row,
                     double arrival, const FollowSteps& steps, std::vector<DoubleCurve>& curves)
{
    if (!contact.present)
        return;
    // The open curves' ends near the poles, a on one cap and b on the other.
    const double zone = zoneRows * row;
    std::vector<End> ends;
    std::vector<Vec3> at;
    for (std::size_t c = 0; c < curves.size(); ++c) {
        const DoubleCurve& curve = curves[c];
        if (curve.closed || curve.points.size() < 2)
            continue;
        for (const bool back : {false, true}) {
            const CurvePoint& p = back ? curve.points.back() : curve.points.front();
            if (p.a.latitude * p.b.latitude < 0 && colatitude(p.a) < zone && colatitude(p.b) < zone) {
                ends.push_back({2 * c + back, {}, false, false, -1, {}});
                at.push_back(positionOf(p));
            }
        }
    }

    FollowSteps inward = steps;
    inward.leastCrossing = leastPolarCrossing;
#if defined(_OPENMP)
#pragma omp parallel for schedule(dynamic, 1) if (ends.size() > 2)
#endif
    for (std::size_t e = 0; e < ends.size(); ++e) {
        End& end = ends[e];
        TracePoint start;
        if (!endPoint(surface, curves[end.slot / 2], end.slot % 2 == 1, steps.finest, start))
            continue;
        // On until near the point, at another end, or out of the zone; each
        // step at most half the way left to the point, so as not to step
        // past it.
        bool out = false;
        followCurve(surface, start, inward, [&](const TracePoint& p, double& step) {
            const double d = distance(p.position, contact.point);
            step = std::fmin(step, 0.5 * d);
            if (d <= arrival)
                return true;
            for (std::size_t f = 0; f < ends.size(); ++f) {
                if (f == e)
                    continue;
                const double g = distance(p.position, at[f]);
                if (g <= steps.finest) {
                    end.meets = static_cast<long>(f);
                    return true;
                }
                step = std::fmin(step, std::fmax(g, steps.finest));
            }
            out = colatitude(p.a) > zone + row;
            return out;
        }, end.followed);
        if (end.meets >= 0 || out)
            continue;
        const std::size_t count = end.followed.size();
        const TracePoint& last = count == 0 ? start : end.followed.back();
        const Vec3 toward = contact.point - last.position;
        end.arrives = length(toward) <= arrival;
        // Where the sheets part too slowly even for that, an end that heads
        // straight at the point reaches it by a chord. Its heading is taken
        // over its last few steps: the very last, where Newton's method is at
        // its limit, may wander.
        const Vec3 heading = count >= headingSteps ? last.position - end.followed[count - headingSteps].position
                                                   : last.tail;
        end.reaches = end.arrives || angleBetween(horizontal(heading), horizontal(toward)) < straightOn;
        end.from = horizontal(last.position - contact.point);
    }

    // Pair the ends that reach the point, most nearly opposed first.
    std::vector<std::tuple<double, std::size_t, std::size_t>> pairs;
    for (std::size_t i = 0; i < ends.size(); ++i)
        for (std::size_t j = i + 1; j < ends.size(); ++j)
            if (ends[i].reaches && ends[j].reaches && dot(ends[i].from, ends[j].from) < opposed)
                pairs.emplace_back(dot(ends[i].from, ends[j].from), i, j);
    std::sort(pairs.begin(), pairs.end());

    std::vector<std::vector<CurvePoint>> tails(2 * curves.size());
    std::vector<long> partner(2 * curves.size(), -1);
    bool any = false;
    const auto link = [&](const End& x, const End& y) {
        partner[x.slot] = static_cast<long>(y.slot);
        partner[y.slot] = static_cast<long>(x.slot);
        any = true;
    };
    const auto follow = [&](const End& x) {
        for (const TracePoint& p : x.followed)
            tails[x.slot].push_back(curvePoint(p));
    };
    // Ends that got to another end join it.
    for (const End& end : ends)
        if (end.meets >= 0) {
            const End& other = ends[static_cast<std::size_t>(end.meets)];
            if (partner[end.slot] < 0 && partner[other.slot] < 0) {
                follow(end);
                link(end, other);
            }
        }
    // Paired ends, and ends that got there by following, run on to the point,
    // where a = one pole and b = the other meet exactly.
    const CurvePoint pole{{contact.point.x, contact.point.y, contact.point.z}, {90, 0}, {-90, 0}};
    for (const auto& [score, i, j] : pairs)
        if (partner[ends[i].slot] < 0 && partner[ends[j].slot] < 0) {
            for (const End* x : {&ends[i], &ends[j]}) {
                follow(*x);
                tails[x->slot].push_back(pole);
            }
            link(ends[i], ends[j]);
        }
    for (const End& end : ends)
        if (end.arrives && partner[end.slot] < 0) {
            follow(end);
            tails[end.slot].push_back(pole);
            any = true;
        }
    if (any)
        curves = joinEnds(curves, tails, partner);
}
