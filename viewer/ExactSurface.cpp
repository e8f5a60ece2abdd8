#include "viewer/ExactSurface.h"

#include <algorithm>

#include "viewer/SurfaceCopy.h"
#include "viewer/SurfaceMesh.h"

ExactSurface exactSurface(EversionMethod method, int around, double t)
{
    ExactSurface s;
    s.method = method;
    s.around = around;
    s.t = std::clamp(t, 0.0, 1.0);
    if (method == EversionMethod::Ruled)
        s.ruled = ruledFrame(s.t, around);
    else
        s.stage = eversionStage(s.t);
    return s;
}

ExactSurface exactSurface(const SurfaceMesh& mesh)
{
    return exactSurface(mesh.method, mesh.around(), mesh.t);
}

namespace {
template <class J>
JetVector<J> turned(const JetVector<J>& p, const SurfaceCopy& copy)
{
    // The turn is linear and constant, so every field turns alike.
    double m[3][3];
    copyRotation(copy, m);
    const auto row = [&](int i) { return (p.x * m[i][0] + p.y * m[i][1]) + p.z * m[i][2]; };
    return {row(0), row(1), row(2)};
}

// The corrugation method's point through `stage` (the full or the reduced
// stage function), turned into place.
template <class Row, class Stage>
auto corrugatedPoint(const ExactSurface& s, double latitude, double longitude, Stage stage)
{
    const GridPlace place = placeOfOrigin({latitude, longitude}, s.around);
    auto p = stage(Row(place.u, 1, 0), Row(place.v, 0, 1), s.stage.fraction, s.around);
    // From (u, v) to degrees of latitude and longitude (Origin.h).
    const double side = place.hemisphere == 0 ? -1 : 1;
    const double byLatitude = side / 90;
    const double byLongitude = side * s.around / 360.0;
    for (auto* c : {&p.x, &p.y, &p.z}) {
        c->du *= byLatitude;
        c->dv *= byLongitude;
        if constexpr (requires { c->duv; })
            c->duv *= byLatitude * byLongitude;
    }
    return turned(p, surfaceCopyOf(s.method, s.around, place.hemisphere, place.strip));
}
}

Jet4Vec exactPoint(const ExactSurface& s, const Origin& origin)
{
    const double latitude = std::clamp(origin.latitude, -90.0, 90.0);
    if (s.method == EversionMethod::Ruled) {
        if (latitude == 90 || latitude == -90) {
            const Jet4 zero(0, 0, 0, 0);
            return {zero, zero, Jet4(ruledPoleHeight(s.ruled, latitude > 0), 0, 0, 0)};
        }
        // Origins are the ruled surface's own parameters, in turns.
        return ruledPoint(s.ruled, Jet4(latitude / 360, 1.0 / 360, 0), Jet4(origin.longitude / 360, 0, 1.0 / 360));
    }
    return corrugatedPoint<Jet8>(s, latitude, origin.longitude, s.stage.point);
}

Jet3Vec exactPointFirstOrder(const ExactSurface& s, const Origin& origin)
{
    // The ruled method is carried on Jet4 throughout and is cheap already.
    if (s.method == EversionMethod::Ruled)
        return truncate(exactPoint(s, origin));
    const double latitude = std::clamp(origin.latitude, -90.0, 90.0);
    return corrugatedPoint<Jet5>(s, latitude, origin.longitude, s.stage.firstOrder);
}

void exactPosition(const ExactSurface& s, const Origin& origin, double world[3])
{
    const Jet3Vec p = exactPointFirstOrder(s, origin);
    world[0] = p.x.value;
    world[1] = p.y.value;
    world[2] = p.z.value;
}
