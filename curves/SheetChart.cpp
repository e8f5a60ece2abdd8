#include "curves/SheetChart.h"

#include <cmath>
#include <numbers>

namespace {
constexpr double degreesPerRadian = 180 / std::numbers::pi;

// The basis at s.unit, `across` from the axis, and the surface's point and
// derivatives at s.origin.
void evaluate(const ExactSurface& surface, SheetJet& s, double across)
{
    s.east = {-s.unit.y / across, s.unit.x / across, 0};
    s.north = {-s.unit.z * s.unit.x / across, -s.unit.z * s.unit.y / across, across};
    // Newton reads the value and first derivatives only.
    // NOTE: corrugations, 8 strips, 12 x 12 patches: findDoubleCurves takes
    // 71.3 M instructions at t = 0.5 and 260 M at t = 0.75 with the
    // first-order point, 79.9 M and 290 M with exactPoint.
    const Jet3Vec p = exactPointFirstOrder(surface, s.origin);
    s.position = {p.x.value, p.y.value, p.z.value};
    // Derivatives come per degree; a radian of arc eastward is 1 / cos(lat)
    // radians of longitude.
    s.alongEast = Vec3{p.x.dv, p.y.dv, p.z.dv} * (degreesPerRadian / across);
    s.alongNorth = Vec3{p.x.du, p.y.du, p.z.du} * degreesPerRadian;
}
}

Vec3 unitOfOrigin(const Origin& origin)
{
    const double lat = origin.latitude / degreesPerRadian, lon = origin.longitude / degreesPerRadian;
    return {std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)};
}

Origin originOfUnit(Vec3 p)
{
    const double across = std::hypot(p.x, p.y);
    return {std::atan2(p.z, across) * degreesPerRadian, wrapLongitude(std::atan2(p.y, p.x) * degreesPerRadian)};
}

SheetJet sheetJet(const ExactSurface& surface, Vec3 unit)
{
    SheetJet s;
    unit = normalized(unit);
    double across = std::hypot(unit.x, unit.y);
    if (across < chartPoleGap) {
        // Off the pole along the meridian whose direction the point has, or
        // longitude 0 at the pole itself.
        const double side = unit.z >= 0 ? 1 : -1;
        const double toward = std::atan2(unit.y, unit.x);
        unit = {std::sin(chartPoleGap) * std::cos(toward), std::sin(chartPoleGap) * std::sin(toward),
                side * std::cos(chartPoleGap)};
        across = std::hypot(unit.x, unit.y);
    }
    s.origin = originOfUnit(unit);
    // The unit vector of the origin as evaluated, so that the basis and the
    // jet describe the same place.
    s.unit = unitOfOrigin(s.origin);
    evaluate(surface, s, std::hypot(s.unit.x, s.unit.y));
    return s;
}

SheetJet sheetJetAsGiven(const ExactSurface& surface, Vec3 unit)
{
    unit = normalized(unit);
    const double across = std::sqrt(unit.x * unit.x + unit.y * unit.y);
    if (!(across >= 2 * chartPoleGap))
        return sheetJet(surface, unit);
    SheetJet s;
    // originOfUnit's, with `across` at hand and atan2's longitude wrapped
    // only where it is 180.
    const double longitude = std::atan2(unit.y, unit.x) * degreesPerRadian;
    s.origin = {std::atan2(unit.z, across) * degreesPerRadian, longitude >= 180 ? longitude - 360 : longitude};
    s.unit = unit;
    evaluate(surface, s, across);
    return s;
}

Vec3 moveOnSphere(const SheetJet& at, double e, double n)
{
    // Along the great circle in the step's direction, so that long steps stay
    // steps of the length asked for.
    const double angle = std::hypot(e, n);
    if (angle == 0)
        return at.unit;
    const Vec3 direction = (at.east * e + at.north * n) * (1 / angle);
    return normalized(at.unit * std::cos(angle) + direction * std::sin(angle));
}

Vec3 stepOnTangentPlane(const SheetJet& at, double e, double n)
{
    // The step's great circle meets the tangent plane at tan(angle) from the
    // unit vector.
    const double angle = std::sqrt(e * e + n * n);
    if (angle == 0)
        return at.unit;
    return at.unit + (at.east * e + at.north * n) * (std::tan(angle) / angle);
}
