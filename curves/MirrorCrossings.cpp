#include "curves/MirrorCrossings.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "curves/CurveJoins.h"
#include "curves/PinchPoints.h"
#include "curves/SheetChart.h"
#include "curves/SheetNewton.h"
#include "curves/StarWays.h"

namespace {
// Images of one point closer than this are one (they are placed by the same
// turns to within rounding).
constexpr double sameImage = 1e-9;

Vec3 reflected(const Vec3& v, const Vec3& m)
{
    return v - m * (2 * dot(v, m));
}

// The reflections of the mirrored strips: the vertical planes at multiples of
// 180 / n degrees of longitude (the strips' middles and edges), and the
// equator's plane, which the hemisphere half turn makes of the one at 90
// degrees.
std::vector<Vec3> mirrorNormals(int around)
{
    std::vector<Vec3> normals;
    for (int k = 0; k < around; ++k) {
        const double angle = k * std::numbers::pi / around;
        normals.push_back({std::cos(angle), std::sin(angle), 0});
    }
    normals.push_back({0, 0, 1});
    return normals;
}

Vec3 unitNormal(const SheetJet& j)
{
    return normalized(cross(j.alongEast, j.alongNorth));
}

// The move (east, north, radians) of j's origin whose first-order image is
// closest to the world direction w.
void moveToward(const SheetJet& j, const Vec3& w, double& e, double& n)
{
    const double ee = dot(j.alongEast, j.alongEast), en = dot(j.alongEast, j.alongNorth);
    const double nn = dot(j.alongNorth, j.alongNorth);
    const double we = dot(w, j.alongEast), wn = dot(w, j.alongNorth);
    const double det = ee * nn - en * en;
    e = det > 0 ? (we * nn - wn * en) / det : 0;
    n = det > 0 ? (wn * ee - we * en) / det : 0;
}

// The origin near `from` whose point lies on the plane through the axis (or
// the centre) with normal m and whose sheet stands square to it: f . m = 0
// and n . m = 0. sheetJet carries first derivatives only, so the normal's are
// differences over `normalStep`; the residuals are exact, so Newton's method
// still converges onto the point itself, if more slowly.
bool solveSquareToPlane(const ExactSurface& surface, Vec3 from, const Vec3& m, Vec3& origin)
{
    constexpr double onPlane = 1e-13;  // world units
    constexpr double square = 1e-11;   // of the normal's component along m
    constexpr double normalStep = 1e-6;
    Vec3 u = from;
    for (int k = 0; k < 30; ++k) {
        const SheetJet j = sheetJet(surface, u);
        const double g1 = dot(j.position, m), g2 = dot(unitNormal(j), m);
        if (std::fabs(g1) <= onPlane && std::fabs(g2) <= square) {
            origin = j.unit;
            return true;
        }
        const double a = dot(j.alongEast, m), b = dot(j.alongNorth, m);
        const double c = (dot(unitNormal(sheetJet(surface, moveOnSphere(j, normalStep, 0))), m) -
                          dot(unitNormal(sheetJet(surface, moveOnSphere(j, -normalStep, 0))), m)) /
                         (2 * normalStep);
        const double d = (dot(unitNormal(sheetJet(surface, moveOnSphere(j, 0, normalStep))), m) -
                          dot(unitNormal(sheetJet(surface, moveOnSphere(j, 0, -normalStep))), m)) /
                         (2 * normalStep);
        const double det = a * d - b * c;
        if (!(std::fabs(det) > 1e-14))
            return false;
        const double e = -(d * g1 - b * g2) / det, n = -(a * g2 - c * g1) / det;
        // A step of more than a few degrees has left the facet's
        // neighbourhood.
        if (!(std::hypot(e, n) < 0.1))
            return false;
        u = moveOnSphere(j, e, n);
    }
    return false;
}

// The crossings by height, for those within a distance of a point: a few
// hundred at most, spread along the axis.
// NOTE: eight strips, t = 0.75, 12 x 12: asked of a grid of points, the
// follows' and the search's points' questions cost 57 M and 48 M
// instructions a search (the cells were as small as the points are close).
struct ByHeight {
    std::vector<std::pair<double, std::size_t>> order;  // height, crossing

    explicit ByHeight(const std::vector<MirrorCrossing>& crossings)
    {
        for (std::size_t q = 0; q < crossings.size(); ++q)
            order.push_back({crossings[q].position.z, q});
        std::sort(order.begin(), order.end());
    }
    // visit(q, distance) for each crossing within `radius` of p, lowest
    // first, until it returns true; whether it did.
    template <class Visit>
    bool anyNear(const std::vector<MirrorCrossing>& crossings, const Vec3& p, double radius, Visit&& visit) const
    {
        auto k = std::lower_bound(order.begin(), order.end(), std::pair<double, std::size_t>{p.z - radius, 0});
        for (; k != order.end() && k->first <= p.z + radius; ++k) {
            const Vec3 d = crossings[k->second].position - p;
            const double d2 = dot(d, d);
            if (d2 <= radius * radius && visit(k->second, std::sqrt(d2)))
                return true;
        }
        return false;
    }
};

long crossingAt(const std::vector<MirrorCrossing>& crossings, const Vec3& at)
{
    for (std::size_t q = 0; q < crossings.size(); ++q)
        if (distance(crossings[q].position, at) <= sameImage)
            return static_cast<long>(q);
    return -1;
}

// Arm k of a crossing leads out along inPlane (k = 0), against it (1), along
// the normal (2) or against it (3); arms 2 q + 0 and 2 q + 1 are one curve.
Vec3 armDirection(const MirrorCrossing& x, int k)
{
    const Vec3 d = k < 2 ? x.inPlane : x.normal;
    return k % 2 == 0 ? d : d * -1.0;
}

int armToward(const MirrorCrossing& x, const Vec3& direction)
{
    int best = 0;
    for (int k = 1; k < 4; ++k)
        if (dot(armDirection(x, k), direction) > dot(armDirection(x, best), direction))
            best = k;
    return best;
}

// The arm of x that a follow's point p has come in along. The first curve
// lies in the mirror plane itself (the points of a sheet on the plane are
// its image's too), the second leaves it square, so p's height over the
// plane tells them apart even where the second bends towards it (by
// direction alone, a way came in along the wrong one: four strips,
// t = 0.7, 12 x 12, and five at 12 and 48 x 48).
int armArrivedAlong(const MirrorCrossing& x, const Vec3& p)
{
    // Far above the rounding of a point on the first curve, which the
    // sheets' touching at x spreads to about 1e-10 over their angle there,
    // and far below the height of one on the second.
    constexpr double inPlane = 0.01;
    const Vec3 d = p - x.position;
    const double height = dot(d, x.normal);
    if (std::fabs(height) <= inPlane * length(d))
        return dot(d, x.inPlane) > 0 ? 0 : 1;
    return height > 0 ? 2 : 3;
}

// The curve's point `rho` out along arm k, on the exact surface: a's sheet
// moved that way, b the mirror image of where a's sheet is that far the
// mirrored way (the second curve is symmetric about the plane).
bool armStart(const ExactSurface& surface, const MirrorCrossing& x, int k, double rho, TracePoint& out)
{
    const SheetJet j = sheetJet(surface, x.a);
    const Vec3 w = armDirection(x, k);
    double e, n;
    moveToward(j, w, e, n);
    const Vec3 ua = moveOnSphere(j, rho * e, rho * n);
    const double back = k < 2 ? 1.0 : -1.0;
    const Vec3 ub = reflected(moveOnSphere(j, back * rho * e, back * rho * n), x.normal);
    DoubleSolution s;
    if (!solveDoublePoint(surface, ua, ub, s))
        return false;
    const Vec3 away = s.a.position - x.position;
    const double d = length(away);
    // The first curve lies in the plane; the second leaves it square, but
    // may bend within the start's distance (five strips, t = 0.8: 30
    // degrees).
    const bool onItsCurve = k < 2 ? std::fabs(dot(away, x.normal)) <= 0.01 * d : true;
    if (!(d > 0.2 * rho && d < 2 * rho && dot(away, w) > 0.5 * d && onItsCurve))
        return false;
    out = orientedAlong(fromSolution(s), w);
    return true;
}

}

bool mirroredStrips(const ExactSurface& surface)
{
    if (surface.method != EversionMethod::Corrugations)
        return false;
    // Points at the same latitude and as far either side of a mirror's
    // longitude at the same height and distance from the axis.
    constexpr double same = 1e-12;
    const double half = 180.0 / surface.around;
    for (const double mirror : {90.0, 90.0 - half}) {
        bool mirrored = true;
        for (const double latitude : {30.0, -50.0}) {
            double east[3], west[3];
            exactPosition(surface, {latitude, mirror + 0.3 * half}, east);
            exactPosition(surface, {latitude, mirror - 0.3 * half}, west);
            mirrored = mirrored && std::fabs(std::hypot(east[0], east[1]) - std::hypot(west[0], west[1])) <= same &&
                       std::fabs(east[2] - west[2]) <= same;
        }
        if (mirrored)
            return true;
    }
    return false;
}

std::vector<MirrorCrossing> mirrorCrossings(const ExactSurface& surface, const SearchMesh& mesh)
{
    if (!mirroredStrips(surface))
        return {};
    const SurfaceSymmetry& symmetry = mesh.symmetry;
    const std::vector<Vec3> normals = mirrorNormals(symmetry.around);
    // The domain's vertices on the exact surface: where they are and which
    // way their sheets face.
    std::vector<int> slot(mesh.vertexCount(), -1);
    std::vector<std::uint32_t> vertices;
    for (int t = 0; t < mesh.domainTriangles; ++t)
        for (const std::uint32_t v : mesh.triangles[static_cast<std::size_t>(t)])
            if (slot[v] < 0) {
                slot[v] = static_cast<int>(vertices.size());
                vertices.push_back(v);
            }
    std::vector<Vec3> where(vertices.size()), facing(vertices.size());
    const long count = static_cast<long>(vertices.size());
#if defined(_OPENMP)
#pragma omp parallel for schedule(static)
#endif
    for (long k = 0; k < count; ++k) {
        const SheetJet j = sheetJet(surface, mesh.originUnit(vertices[static_cast<std::size_t>(k)]));
        where[static_cast<std::size_t>(k)] = j.position;
        facing[static_cast<std::size_t>(k)] = unitNormal(j);
    }
    // Each facet and plane where the facet's linear interpolation of both
    // is zero, within about a quarter of the facet of it, is solved from
    // there; the solutions are taken in the facets' order.
    const int planes = static_cast<int>(normals.size());
    const long tries = static_cast<long>(mesh.domainTriangles) * planes;
    std::vector<char> solved(static_cast<std::size_t>(tries), 0);
    std::vector<Vec3> solutions(static_cast<std::size_t>(tries));
#if defined(_OPENMP)
#pragma omp parallel for schedule(dynamic, 16)
#endif
    for (long k = 0; k < tries; ++k) {
        const auto& v = mesh.triangles[static_cast<std::size_t>(k / planes)];
        const Vec3& m = normals[static_cast<std::size_t>(k % planes)];
        double g1[3], g2[3];
        for (int i = 0; i < 3; ++i) {
            g1[i] = dot(where[static_cast<std::size_t>(slot[v[i]])], m);
            g2[i] = dot(facing[static_cast<std::size_t>(slot[v[i]])], m);
        }
        constexpr double margin = 0.25;
        const double a = g1[1] - g1[0], b = g1[2] - g1[0], c = g2[1] - g2[0], d = g2[2] - g2[0];
        const double det = a * d - b * c;
        if (det == 0)
            continue;
        const double l1 = (-g1[0] * d + b * g2[0]) / det, l2 = (-a * g2[0] + c * g1[0]) / det;
        if (l1 < -margin || l2 < -margin || l1 + l2 > 1 + margin)
            continue;
        const Vec3 u0 = mesh.originUnit(v[0]);
        const Vec3 estimate = normalized(u0 + (mesh.originUnit(v[1]) - u0) * l1 + (mesh.originUnit(v[2]) - u0) * l2);
        Vec3 origin;
        // On the strip's own mirror line the sheet is its own image.
        if (solveSquareToPlane(surface, estimate, m, origin) && distance(origin, reflected(origin, m)) >= minimumSeparation) {
            solved[static_cast<std::size_t>(k)] = 1;
            solutions[static_cast<std::size_t>(k)] = origin;
        }
    }
    std::vector<MirrorCrossing> crossings;
    for (long k = 0; k < tries; ++k) {
        if (!solved[static_cast<std::size_t>(k)])
            continue;
        const Vec3& m = normals[static_cast<std::size_t>(k % planes)];
        const Vec3& origin = solutions[static_cast<std::size_t>(k)];
        const SheetJet j = sheetJet(surface, origin);
        if (crossingAt(crossings, j.position) >= 0)
            continue;
        const int orbit = static_cast<int>(crossings.size());
        const Vec3 inPlane = normalized(cross(unitNormal(j), m)), image = reflected(origin, m);
        for (int g = 0; g < symmetry.order(); ++g) {
            const Vec3 p = applySymmetry(symmetry, g, j.position);
            if (crossingAt(crossings, p) >= 0)
                continue;
            crossings.push_back({p, applySymmetry(symmetry, g, origin), applySymmetry(symmetry, g, image),
                                 applySymmetry(symmetry, g, m), applySymmetry(symmetry, g, inPlane), orbit, g});
        }
    }
    return crossings;
}

void throughMirrorCrossings(const ExactSurface& surface, const SurfaceSymmetry& symmetry,
                            const std::vector<MirrorCrossing>& crossings, const std::vector<Vec3>& stars,
                            const FollowSteps& steps, double reach, double sheetReach, std::vector<DoubleCurve>& curves,
                            std::vector<TracedPolyline>& followed)
{
    if (crossings.empty())
        return;
    const double close = std::cos(sheetReach);
    const auto onSheets = [&](const MirrorCrossing& x, const Vec3& ua, const Vec3& ub) {
        return sameTwoSheets({x.a, x.b}, {ua, ub}, close);
    };
    const ByHeight near(crossings);

    // The arms start a tenth of the reach out, where the two sheets cross at
    // a measurable angle, but at most a third of the way to the nearest
    // crossing of the same sheets (0.01 apart beside a point of the axis,
    // eight strips, t = 0.65).
    std::vector<double> rho(crossings.size(), 0.1 * reach);
    for (std::size_t q = 0; q < crossings.size(); ++q)
        near.anyNear(crossings, crossings[q].position, 0.3 * reach, [&](std::size_t r, double d) {
            if (r != q && onSheets(crossings[q], crossings[r].a, crossings[r].b))
                rho[q] = std::fmin(rho[q], d / 3);
            return false;
        });
    // Each orbit's first crossing stands for it: the others' arms and ways
    // are its own turned.
    ArmOrbits orbits;
    for (std::size_t k = 0; k < 4 * crossings.size(); ++k) {
        orbits.representative.push_back(4 * static_cast<std::size_t>(crossings[k / 4].orbit) + k % 4);
        orbits.element.push_back(crossings[k / 4].element);
    }
    // Where a curve bends sharply at its crossing (the tip of a small loop)
    // its arms start nearer, halving the distance up to three times: the
    // chord between two arms' starts, across the point, strays from the
    // curve by about their offsets from the arms' lines. Ways are thinned
    // to the same bound.
    // NOTE: three strips, t = 0.85, 12 x 12: a loop 0.19 long, sharply bent
    // at two crossings, came out 0.174 long (0.185 at 48 x 48).
    const double bent = 0.125 * steps.finest;
    std::vector<TracePoint> starts(4 * crossings.size());
    std::vector<char> failed(crossings.size(), 0);
    const long count = static_cast<long>(crossings.size());
#if defined(_OPENMP)
#pragma omp parallel for schedule(dynamic, 1)
#endif
    for (long c = 0; c < count; ++c) {
        const std::size_t q = static_cast<std::size_t>(c);
        const MirrorCrossing& x = crossings[q];
        if (x.element != 0)
            continue;
        TracePoint made[4];
        double tried = rho[q];
        for (int halvings = 0; halvings <= 3; ++halvings, tried *= 0.5) {
            double offset = 0;
            bool all = true;
            for (int k = 0; k < 4 && all; ++k) {
                all = armStart(surface, x, k, tried, made[k]);
                const Vec3 away = made[k].position - x.position, w = armDirection(x, k);
                if (all)
                    offset = std::fmax(offset, length(away - w * dot(away, w)));
            }
            // Nearer still, an arm could not be made: the last ones stand.
            failed[q] = !all && halvings == 0;
            if (!all)
                break;
            std::copy(made, made + 4, starts.begin() + static_cast<long>(4 * q));
            rho[q] = tried;
            if (offset <= bent)
                break;
        }
    }
    if (std::any_of(failed.begin(), failed.end(), [](char f) { return f != 0; }))
        return;
    for (std::size_t q = 0; q < crossings.size(); ++q)
        rho[q] = rho[static_cast<std::size_t>(crossings[q].orbit)];
    for (std::size_t k = 0; k < starts.size(); ++k)
        if (orbits.representative[k] != k)
            starts[k] = mapped(symmetry, orbits.element[k], starts[orbits.representative[k]]);

    // The follows take steps of at most a quarter of the distance to a
    // crossing or a point of the axis on the way, where two curves are no
    // farther apart than that, and come into the nearest crossing of their
    // two sheets they head into within twice its arms' start.
    // NOTE: five strips, t = 0.675: heeding only the crossings of their own
    // two sheets, or the others' at half the distance, a follow crossed over
    // at 48 x 48 and 96 x 96 (it saved 13 % of a search's instructions at
    // t = 0.75, eight strips, 12 x 12).
    const double floorStep = 0.25 * *std::min_element(rho.begin(), rho.end());
    const double largestRho = *std::max_element(rho.begin(), rho.end());
    const auto follow = [&](std::size_t k, ArmWay& way) {
        const TracePoint& start = starts[k];
        // Where the surface pinches (three strips, t = 0.6 and 0.625) a curve
        // through the crossings ends: its origins close in on the pinch's.
        PinchWatch watch;
        const auto stop = [&](const TracePoint& p, double& step) {
            if (watch.ahead(surface, p)) {
                way.pinched = true;
                return true;
            }
            double nearest = 1e300;
            near.anyNear(crossings, p.position, std::fmax(4 * step, 2 * largestRho), [&](std::size_t q, double d) {
                const MirrorCrossing& y = crossings[q];
                step = std::fmin(step, std::fmax(0.25 * d, 0.25 * rho[q]));
                if (!onSheets(y, p.ua, p.ub))
                    return false;
                if (d <= 2 * rho[q] && d < nearest && dot(y.position - p.position, p.tail) > 0) {
                    nearest = d;
                    way.arrival = 4 * static_cast<long>(q) + armArrivedAlong(y, p.position);
                }
                return false;
            });
            for (const Vec3& c : stars)
                step = std::fmin(step, std::fmax(0.25 * distance(c, p.position), floorStep));
            return way.arrival >= 0;
        };
        FollowSteps fine = steps;
        fine.finest = floorStep;
        fine.first = 0.25 * rho[k / 4];
        if (!followInRuns(surface, start, fine, stop, way.points))
            return false;
        if (way.pinched)
            followIntoPinch(surface, way.points.empty() ? start : way.points.back(), watch.pinch, fine, way.points);
        thinWay(start, 0.125 * steps.finest, steps.longest, way.points);
        if (way.pinched)
            return true;
        const TracePoint& in = starts[static_cast<std::size_t>(way.arrival)];
        const TracePoint& previous = way.points.empty() ? start : way.points.back();
        way.points.push_back(orientedAlong(alignedWith(previous, in), in.position - previous.position));
        return true;
    };
    // The arm g takes arm k (of any crossing) to.
    const auto image = [&](int g, std::size_t k) -> long {
        const MirrorCrossing& y = crossings[k / 4];
        const long r = crossingAt(crossings, applySymmetry(symmetry, g, y.position));
        return r < 0 ? -1
                     : 4 * r + armToward(crossings[static_cast<std::size_t>(r)],
                                         applySymmetry(symmetry, g, armDirection(y, static_cast<int>(k % 4))));
    };
    // NOTE: eight strips, t = 0.75, 12 x 12: following every arm cost 201 M
    // instructions a search, following each way from one end 122 M. Over 41
    // times with 3, 4, 5 and 8 strips at 24 to 96 patches, following every
    // arm where that did not come out right did not either, in any of 12
    // searches. Of the 156 searches that found crossings, a way came into the
    // wrong arm in 6 while arms were told by direction (armArrivedAlong now
    // tells them by height); with steps of half the distance to a crossing,
    // a follow crossed over to another curve in one (five strips, t = 0.7,
    // 96 x 96). In 6 a follow could not go on (three strips, t = 0.6 and
    // 0.625): it came into a pinch, where the way now ends.
    std::vector<ArmWay> ways(starts.size());
    if (!followFromOneEnd(symmetry, starts, orbits, follow, image, ways) || !placeWays(symmetry, orbits, image, ways))
        return;

    // What the search made round the crossings goes with its curves along
    // the ways.
    const auto passed = [&](std::size_t c, std::size_t i) {
        const CurvePoint& p = curves[c].points[i];
        OriginPair sheets;
        bool named = false;
        return near.anyNear(crossings, positionOf(p), reach, [&](std::size_t q, double) {
            if (!named)
                sheets = {unitOfOrigin(p.a), unitOfOrigin(p.b)};
            named = true;
            return onSheets(crossings[q], sheets.first, sheets.second);
        });
    };
    replaceAlong(joinWays(starts, ways), passed, steps.finest, sheetReach, curves);
    addWaysNearTheirPoints(symmetry, starts, orbits, ways, reach, followed);
}
