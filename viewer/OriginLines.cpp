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
    const StageAtTime stage = eversionStage(std::fmin(1, std::fmax(0, mesh.t)));

    // Every copy is the same strip turned into place, and a stage point is
    // its row part (u alone) placed by its column part (v alone), bit for bit
    // as the stage function makes it. So the rows along a meridian and the
    // columns across a parallel are evaluated once and shared by all copies.
    // NOTE: 12 x 12 patches, t = 0.4 rebuilt every frame, 15-degree
    // graticule and two tracks, same loaded machine: 14 frames/s with every
    // line point through the stage function, 65 frames/s with the shared rows
    // and columns (140 frames/s without lines).
    std::vector<StripFrame> alongRows(graticuleSegmentsAlong + 1);
    for (int k = 0; k <= graticuleSegmentsAlong; ++k)
        alongRows[k] = stage.row(Jet8(static_cast<double>(k) / graticuleSegmentsAlong, 1, 0), stage.fraction);
    std::vector<StripColumn> acrossColumns(across + 1);
    for (int k = 0; k <= across; ++k)
        acrossColumns[k] = stripColumn(Jet4(vMax * k / across, 0, 1), n);

    const auto place = [&](Polyline& line, const StripFrame& frame, const StripColumn& column, int h, int s) {
        const Jet4Vec p = placeOnStrip(frame, column);
        const double local[3] = {p.x.value, p.y.value, p.z.value};
        double world[3];
        turnIntoCopy(local, h, s, n, world);
        append(line, world);
    };
    for (const double latitude : latitudes) {
        // A parallel lies on the row u = (90 - |latitude|) / 90 of the
        // hemisphere on its side; the equator on both.
        const StripFrame frame = stage.row(Jet8((90 - std::fabs(latitude)) / 90, 1, 0), stage.fraction);
        for (int h = 0; h < mesh.hemispheres; ++h) {
            if ((h == 0 && latitude < 0) || (h == 1 && latitude > 0))
                continue;
            for (int s = 0; s < mesh.stripsShown; ++s) {
                Polyline line;
                for (const StripColumn& column : acrossColumns)
                    place(line, frame, column, h, s);
                lines.push_back(std::move(line));
            }
        }
    }
    for (int h = 0; h < mesh.hemispheres; ++h)
        for (int s = 0; s < mesh.stripsShown; ++s)
            // Meridians: the columns of this copy where the origin's
            // longitude is a multiple (see Origin.h for x).
            for (const double longitude : longitudes) {
                if (longitude == 180)
                    continue;  // the same line as -180
                const double turns = (90 - longitude) / 360;
                const double x = (turns - std::floor(turns)) * n;
                const double v = h == 0 ? x - s : s + 1 - x;
                if (v < 0 || v > vMax)
                    continue;
                const StripColumn column = stripColumn(Jet4(v, 0, 1), n);
                Polyline line;
                for (const StripFrame& frame : alongRows)
                    place(line, frame, column, h, s);
                lines.push_back(std::move(line));
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
