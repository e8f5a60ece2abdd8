#include "viewer/OriginLines.h"

#include <cmath>

#include "viewer/SurfaceMesh.h"

namespace {
void append(Polyline& line, const double p[3])
{
    for (int c = 0; c < 3; ++c)
        line.points.push_back(static_cast<float>(p[c]));
}

// Multiples of `degrees` strictly between lo and hi, or including them.
std::vector<double> multiplesWithin(double degrees, double lo, double hi, bool inclusive)
{
    std::vector<double> out;
    for (long k = static_cast<long>(std::ceil(lo / degrees)); k * degrees <= hi; ++k) {
        const double x = k * degrees;
        if (inclusive || (x > lo && x < hi))
            out.push_back(x);
    }
    return out;
}
}

std::vector<Polyline> graticuleLines(const SurfaceMesh& mesh, bool halfStrips, double degrees)
{
    std::vector<Polyline> lines;
    if (!(degrees > 0))
        return lines;
    const int n = mesh.totalStrips;
    const double vMax = halfStrips ? 0.5 : 1.0;
    const int across = halfStrips ? graticuleSegmentsAcross / 2 : graticuleSegmentsAcross;
    const std::vector<double> latitudes = multiplesWithin(degrees, -90, 90, false);
    const std::vector<double> longitudes = multiplesWithin(degrees, -180, 180, true);
    double world[3];
    for (int h = 0; h < mesh.hemispheres; ++h)
        for (int s = 0; s < mesh.stripsShown; ++s) {
            // Lines of latitude: one row of the strip each.
            for (const double latitude : latitudes) {
                if ((h == 0 && latitude < 0) || (h == 1 && latitude > 0))
                    continue;
                Polyline line;
                GridPlace place{h, s, (90 - std::fabs(latitude)) / 90, 0};
                for (int k = 0; k <= across; ++k) {
                    place.v = vMax * k / across;
                    surfacePointAt(mesh.t, n, place, world);
                    append(line, world);
                }
                lines.push_back(std::move(line));
            }
            // Lines of longitude: the columns of this copy where the
            // origin's longitude is a multiple (see Origin.h for x).
            for (const double longitude : longitudes) {
                if (longitude == 180)
                    continue;  // the same line as -180
                const double turns = (90 - longitude) / 360;
                const double x = (turns - std::floor(turns)) * n;
                const double v = h == 0 ? x - s : s + 1 - x;
                if (v < 0 || v > vMax)
                    continue;
                Polyline line;
                GridPlace place{h, s, 0, v};
                for (int k = 0; k <= graticuleSegmentsAlong; ++k) {
                    place.u = static_cast<double>(k) / graticuleSegmentsAlong;
                    surfacePointAt(mesh.t, n, place, world);
                    append(line, world);
                }
                lines.push_back(std::move(line));
            }
        }
    return lines;
}

Polyline trackLine(const Origin& origin, int totalStrips)
{
    const GridPlace place = placeOfOrigin(origin, totalStrips);
    Polyline line;
    line.points.reserve(3 * (trackSegments + 1));
    double world[3];
    for (int k = 0; k <= trackSegments; ++k) {
        surfacePointAt(static_cast<double>(k) / trackSegments, totalStrips, place, world);
        append(line, world);
    }
    return line;
}

void trackPoint(const Origin& origin, int totalStrips, double t, float out[3])
{
    double world[3];
    surfacePointAt(t, totalStrips, placeOfOrigin(origin, totalStrips), world);
    for (int c = 0; c < 3; ++c)
        out[c] = static_cast<float>(world[c]);
}

namespace {
bool sameOrigins(const std::vector<Origin>& a, const std::vector<Origin>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].latitude != b[i].latitude || a[i].longitude != b[i].longitude)
            return false;
    return true;
}
}

void OriginLineSet::refresh(const SurfaceMesh& m, bool half, const OriginLook& look)
{
    const double spacing = look.graticuleDegrees;
    if (t != m.t || totalStrips != m.totalStrips || stripsShown != m.stripsShown || hemispheres != m.hemispheres ||
        halfStrips != half || degrees != spacing) {
        graticule = graticuleLines(m, half, spacing);
        t = m.t;
        totalStrips = m.totalStrips;
        stripsShown = m.stripsShown;
        hemispheres = m.hemispheres;
        halfStrips = half;
        degrees = spacing;
    }
    if (trackStrips != m.totalStrips || !sameOrigins(trackOrigins, look.tracks)) {
        tracks.clear();
        for (const Origin& origin : look.tracks)
            tracks.push_back(trackLine(origin, m.totalStrips));
        trackStrips = m.totalStrips;
        trackOrigins = look.tracks;
    }
    markers.resize(3 * look.tracks.size());
    for (size_t k = 0; k < look.tracks.size(); ++k)
        trackPoint(look.tracks[k], m.totalStrips, m.t, &markers[3 * k]);
}
