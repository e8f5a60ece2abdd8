#pragma once
// The surface near one origin in a chart that every origin shares, poles and
// the longitude seam included: the origin is a unit vector p of the t = 0
// sphere, and a move from it is a step in its tangent plane, measured in
// radians of arc along the local east and north. This is what Newton's method
// works in; the origins it reports are the degrees of Origin.h.
//
// Pure; no allocation; any number of threads.
#include <utility>

#include "curves/Vec3.h"
#include "viewer/ExactSurface.h"
#include "viewer/Origin.h"

// The unit vector of an origin, and back: latitude and longitude in degrees,
// longitude within [-180, 180) and 0 at the poles.
Vec3 unitOfOrigin(const Origin& origin);
Origin originOfUnit(Vec3 p);

// A double point's two origins as unit vectors, a and b.
using OriginPair = std::pair<Vec3, Vec3>;
// Whether two double points lie on the same two sheets, in either order:
// each origin within the angle whose cosine is `close` of its fellow's.
inline bool sameTwoSheets(const OriginPair& x, const OriginPair& y, double close)
{
    return (dot(x.first, y.first) > close && dot(x.second, y.second) > close) ||
           (dot(x.first, y.second) > close && dot(x.second, y.first) > close);
}

// The surface at one origin with its derivatives along the origin's tangent
// plane.
struct SheetJet {
    Origin origin;         // exactly where the surface was evaluated
    Vec3 unit;             // the same origin as a unit vector
    Vec3 east, north;      // the tangent basis of the t = 0 sphere at `unit`
    Vec3 position;         // world units
    Vec3 alongEast;        // d position / d(radian of arc eastward)
    Vec3 alongNorth;       // d position / d(radian of arc northward)
};

// Within a hair of a pole the longitude has no derivative and east is
// undefined, so an origin closer to a pole than this (radians) is evaluated
// this far from it instead; the jet reports where it was taken.
constexpr double chartPoleGap = 1e-9;

SheetJet sheetJet(const ExactSurface& surface, Vec3 unit);

// sheetJet without its round trip from the origin back to a unit vector, for
// Newton's steps: the basis is taken at `unit` itself, which is the
// evaluated origin's unit vector to rounding. Near a pole, where sheetJet
// moves the origin, it is sheetJet's.
// NOTE: corrugations, 12 x 12: solveDoublePoint took 9.95 M instructions a
// search at t = 0.4 and 35.2 M at t = 0.75 through sheetJet, 9.08 M and
// 31.9 M this way (two sines and cosines and a hypot less an evaluation).
SheetJet sheetJetAsGiven(const ExactSurface& surface, Vec3 unit);

// `unit` moved by (e, n) radians along the tangent basis of `at` and put back
// on the sphere.
Vec3 moveOnSphere(const SheetJet& at, double e, double n);
// The same move's point on the tangent plane, not of unit length (for
// sheetJetAsGiven, which scales it back): one tangent stands for
// moveOnSphere's sine, cosine and normalization.
// NOTE: corrugations, 12 x 12, t = 0.75: solveDoublePoint took 35.7 M
// instructions a search with moveOnSphere, 35.2 M this way.
Vec3 stepOnTangentPlane(const SheetJet& at, double e, double n);
