#include "curves/SurfaceSymmetry.h"

#include <cmath>
#include <numbers>

SurfaceSymmetry surfaceSymmetry(EversionMethod method, int around)
{
    SurfaceSymmetry s;
    s.around = around < 1 ? 1 : around;
    s.flips = method == EversionMethod::Corrugations;
    for (int k = 0; k < s.around; ++k) {
        const double a = 2 * std::numbers::pi * k / s.around;
        s.cosines.push_back(std::cos(a));
        s.sines.push_back(std::sin(a));
    }
    return s;
}

Origin applySymmetry(const SurfaceSymmetry& s, int element, const Origin& origin)
{
    Origin o = origin;
    if (s.flipOf(element)) {
        o.latitude = -o.latitude;
        o.longitude = 180 - o.longitude;
    }
    // A pole's longitude is 0 by convention and stays so.
    if (o.latitude == 90 || o.latitude == -90)
        return {o.latitude, 0};
    return {o.latitude, wrapLongitude(o.longitude + 360.0 * s.turnOf(element) / s.around)};
}

SurfaceSymmetry trivialSymmetry()
{
    return surfaceSymmetry(EversionMethod::Ruled, 1);
}
