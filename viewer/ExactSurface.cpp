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
Jet4Vec turned(const Jet4Vec& p, const SurfaceCopy& copy)
{
    // The turn is linear and constant, so every field turns alike.
    double m[3][3];
    copyRotation(copy, m);
    const auto row = [&](int i) { return (p.x * m[i][0] + p.y * m[i][1]) + p.z * m[i][2]; };
    return {row(0), row(1), row(2)};
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
    const GridPlace place = placeOfOrigin({latitude, origin.longitude}, s.around);
    Jet4Vec p = s.stage.point(Jet8(place.u, 1, 0), Jet8(place.v, 0, 1), s.stage.fraction, s.around);
    // From (u, v) to degrees of latitude and longitude (Origin.h).
    const double side = place.hemisphere == 0 ? -1 : 1;
    const double byLatitude = side / 90;
    const double byLongitude = side * s.around / 360.0;
    for (Jet4* c : {&p.x, &p.y, &p.z}) {
        c->du *= byLatitude;
        c->dv *= byLongitude;
        c->duv *= byLatitude * byLongitude;
    }
    return turned(p, surfaceCopyOf(s.method, s.around, place.hemisphere, place.strip));
}

void exactPosition(const ExactSurface& s, const Origin& origin, double world[3])
{
    const Jet4Vec p = exactPoint(s, origin);
    world[0] = p.x.value;
    world[1] = p.y.value;
    world[2] = p.z.value;
}
