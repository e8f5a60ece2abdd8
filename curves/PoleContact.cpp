#include "curves/PoleContact.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {
// Ends join when they arrive from directions at least this opposed (cosine).
constexpr double opposed = -0.9;

struct End {
    std::size_t curve;
    bool back;                        // the curve's last point, else its first
    std::vector<TracePoint> followed; // from the end towards the point
    bool reaches = false;
    Vec3 from;  // the direction it arrives from, unit, horizontal
};

CurvePoint curvePoint(const TracePoint& p)
{
    return {{p.position.x, p.position.y, p.position.z}, p.a, p.b};
}

Vec3 positionOf(const CurvePoint& p)
{
    return {p.position[0], p.position[1], p.position[2]};
}

// p with its origins named as `previous` names its own, by continuity.
CurvePoint alignedWith(const CurvePoint& previous, CurvePoint p)
{
    const Vec3 pa = unitOfOrigin(previous.a), pb = unitOfOrigin(previous.b);
    const Vec3 a = unitOfOrigin(p.a), b = unitOfOrigin(p.b);
    if (dot(pa, b) + dot(pb, a) > dot(pa, a) + dot(pb, b))
        std::swap(p.a, p.b);
    return p;
}

void append(std::vector<CurvePoint>& line, CurvePoint p)
{
    if (!line.empty())
        p = alignedWith(line.back(), p);
    line.push_back(p);
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

void joinThroughPole(const ExactSurface& surface, const PoleContact& contact, double reach, double arrival,
                     const FollowSteps& steps, std::vector<DoubleCurve>& curves)
{
    if (!contact.present)
        return;
    // The open curves' ends near the point, on the two polar caps.
    std::vector<End> ends;
    for (std::size_t c = 0; c < curves.size(); ++c) {
        const DoubleCurve& curve = curves[c];
        if (curve.closed || curve.points.size() < 2)
            continue;
        for (const bool back : {false, true}) {
            const CurvePoint& p = back ? curve.points.back() : curve.points.front();
            if (distance(positionOf(p), contact.point) < reach && p.a.latitude * p.b.latitude < 0 &&
                std::fabs(p.a.latitude) > 45 && std::fabs(p.b.latitude) > 45)
                ends.push_back({c, back, {}, false, {}});
        }
    }

#if defined(_OPENMP)
#pragma omp parallel for schedule(dynamic, 1) if (ends.size() > 2)
#endif
    for (std::size_t e = 0; e < ends.size(); ++e) {
        End& end = ends[e];
        const std::vector<CurvePoint>& points = curves[end.curve].points;
        const CurvePoint& last = end.back ? points.back() : points.front();
        const CurvePoint& before = end.back ? points[points.size() - 2] : points[1];
        DoubleSolution s;
        if (!solveDoublePoint(surface, unitOfOrigin(last.a), unitOfOrigin(last.b), s))
            continue;
        const TracePoint start = orientedAlong(fromSolution(s), positionOf(last) - positionOf(before));
        // On until near the point, or out of reach again; each step at most
        // half the way left, so as not to step past the point.
        followCurve(surface, start, steps, [&](const TracePoint& at, double& step) {
            const double d = distance(at.position, contact.point);
            step = std::fmin(step, 0.5 * d);
            return d <= arrival || d > reach;
        }, end.followed);
        const Vec3 final = end.followed.empty() ? start.position : end.followed.back().position;
        end.reaches = distance(final, contact.point) <= arrival;
        const Vec3 away = final - contact.point;
        end.from = normalized(Vec3{away.x, away.y, 0});
    }

    // Pair the ends that reach the point, most nearly opposed first.
    std::vector<std::tuple<double, std::size_t, std::size_t>> pairs;
    for (std::size_t i = 0; i < ends.size(); ++i)
        for (std::size_t j = i + 1; j < ends.size(); ++j)
            if (ends[i].reaches && ends[j].reaches && dot(ends[i].from, ends[j].from) < opposed)
                pairs.emplace_back(dot(ends[i].from, ends[j].from), i, j);
    std::sort(pairs.begin(), pairs.end());
    std::vector<long> partner(ends.size(), -1);
    for (const auto& [score, i, j] : pairs)
        if (partner[i] < 0 && partner[j] < 0) {
            partner[i] = static_cast<long>(j);
            partner[j] = static_cast<long>(i);
        }

    // Curves joined end to end through the point: each curve end is a slot
    // (2 curve + 1 for its last point), and a slot's partner is the slot it
    // joins through the point.
    const CurvePoint pole{{contact.point.x, contact.point.y, contact.point.z}, {90, 0}, {-90, 0}};
    std::vector<long> endOfSlot(2 * curves.size(), -1), partnerSlot(2 * curves.size(), -1);
    for (std::size_t e = 0; e < ends.size(); ++e)
        if (ends[e].reaches)
            endOfSlot[2 * ends[e].curve + ends[e].back] = static_cast<long>(e);
    for (std::size_t e = 0; e < ends.size(); ++e)
        if (partner[e] >= 0) {
            const End& other = ends[static_cast<std::size_t>(partner[e])];
            partnerSlot[2 * ends[e].curve + ends[e].back] = static_cast<long>(2 * other.curve + other.back);
        }
    const auto followed = [&](std::size_t slot) -> const std::vector<TracePoint>& {
        return ends[static_cast<std::size_t>(endOfSlot[slot])].followed;
    };

    std::vector<DoubleCurve> joined;
    std::vector<char> used(curves.size(), 0);
    for (std::size_t c = 0; c < curves.size(); ++c) {
        if (used[c])
            continue;
        // Back to where the chain of joins begins, or once round it.
        std::size_t entry = 2 * c;
        while (partnerSlot[entry] >= 0) {
            const std::size_t previous = static_cast<std::size_t>(partnerSlot[entry]) ^ 1;
            if (previous / 2 == c)
                break;
            entry = previous;
        }
        DoubleCurve out;
        std::vector<CurvePoint>& line = out.points;
        const std::size_t first = entry / 2;
        if (partnerSlot[entry] < 0 && endOfSlot[entry] >= 0) {
            // Starts at the point, alone.
            append(line, pole);
            const std::vector<TracePoint>& way = followed(entry);
            for (auto p = way.rbegin(); p != way.rend(); ++p)
                append(line, curvePoint(*p));
        }
        for (;;) {
            const std::size_t curve = entry / 2, exit = entry ^ 1;
            used[curve] = 1;
            const std::vector<CurvePoint>& points = curves[curve].points;
            if (entry % 2 == 0)
                for (const CurvePoint& p : points)
                    append(line, p);
            else
                for (auto p = points.rbegin(); p != points.rend(); ++p)
                    append(line, *p);
            if (endOfSlot[exit] < 0)
                break;
            for (const TracePoint& p : followed(exit))
                append(line, curvePoint(p));
            append(line, pole);
            if (partnerSlot[exit] < 0)
                break;
            entry = static_cast<std::size_t>(partnerSlot[exit]);
            const std::vector<TracePoint>& way = followed(entry);
            for (auto p = way.rbegin(); p != way.rend(); ++p)
                append(line, curvePoint(*p));
            if (entry / 2 == first && entry == 2 * first + (entry % 2) && used[entry / 2]) {
                // Round to the first curve again: a loop through the point.
                out.closed = true;
                break;
            }
        }
        if (!out.closed && line.size() == curves[c].points.size())
            out.closed = curves[c].closed;
        joined.push_back(std::move(out));
    }
    curves = std::move(joined);
}
