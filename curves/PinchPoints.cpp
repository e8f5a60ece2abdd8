#include "curves/PinchPoints.h"

#include <cmath>

#include "curves/CurveJoins.h"
#include "curves/SheetChart.h"

namespace {
Vec3 tangentsCross(const SheetJet& j)
{
    return cross(j.alongEast, j.alongNorth);
}

// Gauss-Newton on f_e x f_n = 0 (three equations in the two moves of the
// origin) from `from`; false once a step after the first fails to quarter
// the residual (the tangents come near parallel without becoming so).
// NOTE: asked of every follow's points whose origins come close, waiting
// four steps for that cost 1.8 % of a search's instructions at eight strips,
// t = 0.75 (12 x 12), where no pinch is; one step, 0.9 %. Over 41 times with
// three and four strips they found the same pinches.
bool solvePinch(const ExactSurface& surface, Vec3 from, PinchPoint& out)
{
    constexpr double differenceStep = 1e-6;  // radians
    constexpr int patientSteps = 1;
    Vec3 u = from;
    double previous = 1e300;
    for (int k = 0; k < 20; ++k) {
        const SheetJet j = sheetJet(surface, u);
        const Vec3 g = tangentsCross(j);
        const double residual = length(g);
        if (residual <= pinchTolerance) {
            out = {j.unit, j.position};
            return true;
        }
        if (k >= patientSteps && residual > 0.25 * previous)
            return false;
        previous = residual;
        const auto across = [&](double e, double n) {
            return (tangentsCross(sheetJet(surface, moveOnSphere(j, e, n))) -
                    tangentsCross(sheetJet(surface, moveOnSphere(j, -e, -n)))) *
                   (1 / (2 * differenceStep));
        };
        const Vec3 ge = across(differenceStep, 0), gn = across(0, differenceStep);
        const double ee = dot(ge, ge), en = dot(ge, gn), nn = dot(gn, gn);
        const double det = ee * nn - en * en;
        if (!(det > 1e-12 * (ee + nn) * (ee + nn)))
            return false;
        const double re = -dot(ge, g), rn = -dot(gn, g);
        const double e = (re * nn - rn * en) / det, n = (rn * ee - re * en) / det;
        // A step of more than a few degrees has left the neighbourhood.
        if (!(std::hypot(e, n) < 0.1))
            return false;
        u = moveOnSphere(j, e, n);
    }
    return false;
}
}  // namespace

bool pinchNear(const ExactSurface& surface, const Vec3& a, const Vec3& b, PinchPoint& out)
{
    const double apart = angleBetween(a, b);
    const Vec3 middle = a + b;
    if (!(apart < pinchLookout) || !(length(middle) > 0) || !solvePinch(surface, normalized(middle), out))
        return false;
    return angleBetween(a, out.origin) <= apart && angleBetween(b, out.origin) <= apart;
}

bool PinchWatch::ahead(const ExactSurface& surface, const TracePoint& p)
{
    const double apart = angleBetween(p.ua, p.ub);
    if (!(apart < lookout))
        return false;
    PinchPoint found;
    if (!pinchNear(surface, p.ua, p.ub, found)) {
        lookout = 0.5 * apart;
        return false;
    }
    // One left behind: asked again wherever the origins come closer still
    // (the pinch at the other end of a curve a few hundredths long).
    if (!(dot(found.position - p.position, p.tail) > 0)) {
        lookout = apart;
        return false;
    }
    pinch = found;
    return true;
}

void followIntoPinch(const ExactSurface& surface, const TracePoint& from, const PinchPoint& pinch,
                     const FollowSteps& steps, std::vector<TracePoint>& out)
{
    // The curve comes into the pinch as the square of its origins' distance,
    // so each step may halve the distance left, and none may pass the pinch:
    // past it the curve comes back with a and b traded.
    double left = 1e300;
    FollowSteps into = steps;
    into.finest = 1e-3 * minimumSeparation * minimumSeparation;
    std::size_t kept = out.size();  // the points each nearer than the one before
    followCurve(surface, from, into, [&](const TracePoint& p, double& step) {
        const double d = distance(p.position, pinch.position);
        if (!(d < left))
            return true;
        left = d;
        kept = out.size();
        step = std::fmin(step, 0.5 * d);
        return false;
    }, out);
    out.resize(kept);
}

void runIntoPinches(const ExactSurface& surface, const FollowSteps& steps, std::vector<DoubleCurve>& curves)
{
    std::vector<std::size_t> ends;  // 2 c for curve c's first point, 2 c + 1 for its last
    for (std::size_t c = 0; c < curves.size(); ++c)
        if (!curves[c].closed && curves[c].points.size() >= 2) {
            ends.push_back(2 * c);
            ends.push_back(2 * c + 1);
        }
    std::vector<std::vector<TracePoint>> tails(ends.size());
    const long count = static_cast<long>(ends.size());
#if defined(_OPENMP)
#pragma omp parallel for schedule(dynamic, 1) if (count > 1)
#endif
    for (long k = 0; k < count; ++k) {
        const DoubleCurve& curve = curves[ends[static_cast<std::size_t>(k)] / 2];
        const bool back = ends[static_cast<std::size_t>(k)] % 2 == 1;
        const CurvePoint& end = back ? curve.points.back() : curve.points.front();
        PinchPoint pinch;
        TracePoint start;
        if (!pinchNear(surface, unitOfOrigin(end.a), unitOfOrigin(end.b), pinch) || !endPoint(surface, curve, back, 0, start))
            continue;
        followIntoPinch(surface, start, pinch, steps, tails[static_cast<std::size_t>(k)]);
    }
    for (std::size_t k = 0; k < ends.size(); ++k) {
        const std::vector<TracePoint>& tail = tails[k];
        if (tail.empty())
            continue;
        std::vector<CurvePoint>& points = curves[ends[k] / 2].points;
        std::vector<CurvePoint> added;
        for (const TracePoint& p : tail)
            added.push_back(curvePoint(p));
        if (ends[k] % 2 == 1)
            points.insert(points.end(), added.begin(), added.end());
        else
            points.insert(points.begin(), added.rbegin(), added.rend());
    }
}
