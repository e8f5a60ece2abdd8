#pragma once
// Where a surface point started: its latitude and longitude on the round
// sphere at t = 0, in degrees (latitude -90 at the south pole z = -1 to 90 at
// the north pole, longitude from the +x axis towards +y, within [-180, 180)).
// Every colour, band, graticule line and track is a function of this origin,
// so it moves with the material through the eversion and ends at the
// antipode at t = 1.
//
// The surface is drawn as turned copies of its sampled grid (SurfaceCopy.h);
// a grid point (u, v) of copy (hemisphere h, strip s) of n strips (or of the
// ruled method's n lobes) has the origin
//   h = 0:  latitude 90 - 90 u,   longitude 90 - 360 (s + v) / n
//   h = 1:  latitude 90 u - 90,   longitude 90 - 360 (s + 1 - v) / n
// (u from the pole, 0, to the equator, 1; v across the strip, half strips
// only narrowing its range). Both are affine in (u, v), so one equirectangular
// texture addressed through each copy's own affine transform colours the
// whole surface. Pure arithmetic in double; no state.
#include <vector>

struct Origin {
    double latitude = 0;   // degrees, -90 .. 90
    double longitude = 0;  // degrees, -180 .. 180
};

// The origin of grid point (u, v) of copy (hemisphere, strip) of totalStrips.
Origin gridOrigin(double u, double v, int hemisphere, int strip, int totalStrips);

// The same map as texture coordinates of an equirectangular picture (s from
// longitude -180 at 0 to 180 at 1, which repeats; t from the north pole at 0
// to the south pole at 1, the picture's top row first):
//   s = su * u + sv * v + s0,   t = tu * u + tv * v + t0.
struct OriginTextureTransform {
    double su, sv, s0;
    double tu, tv, t0;
};
OriginTextureTransform originTextureTransform(int hemisphere, int strip, int totalStrips);

// The inverse: the copy and grid point whose origin is `origin` (on a border
// between copies, one of them). Strips beyond those shown still exist here.
struct GridPlace {
    int hemisphere = 0;
    int strip = 0;
    double u = 0;
    double v = 0;
};
GridPlace placeOfOrigin(const Origin& origin, int totalStrips);

// The nominal grid parameters of a mesh's rows (u = r / (rows - 1)) and
// columns (v = vMax j / (columns - 1), vMax 0.5 for half strips), as floats:
// the texture coordinates of its vertices. The sampler moves the pole row a
// hair off the pole; its origin is the pole all the same.
void gridParameters(int rows, int columns, bool halfStrips, std::vector<float>& us, std::vector<float>& vs);

// x wrapped into [-180, 180).
double wrapLongitude(double degrees);
