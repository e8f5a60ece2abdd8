#include "viewer/OriginLines.h"

#include <cmath>

#include "viewer/ExactSurface.h"
#include "viewer/SurfaceCopy.h"
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

namespace {
// A block's points from a row part (u alone) and a column part (v alone), bit
// for bit as the sampler makes them, so that rows along a meridian and
// columns across a parallel are evaluated once and shared by every copy.
struct CorrugationParts {
    StageAtTime stage;
    int strips;
    using Row = StripFrame;
    using Column = StripColumn;
    Row row(int, double u) const { return stage.row(Jet8(u, 1, 0), stage.fraction); }
    Column column(int, double v) const { return stripColumn(Jet4(v, 0, 1), strips); }
    Jet4Vec place(const Row& r, const Column& c) const { return placeOnStrip(r, c); }
};

struct RuledParts {
    RuledFrame frame;
    struct Row {
        RuledRow terms;
        bool pole;
        double poleHeight;
    };
    using Column = RuledColumn;
    Row row(int block, double u) const
    {
        if (u == 0)
            return {RuledRow{}, true, ruledPoleHeight(frame, block == 0)};
        return {ruledRow(frame, ruledBlockLatitude(block, u)), false, 0};
    }
    Column column(int block, double v) const { return ruledColumn(ruledBlockLongitude(block, v, frame.lobes), frame.lobes); }
    Jet4Vec place(const Row& r, const Column& c) const
    {
        if (r.pole)
            return {Jet4(0, 0, 0), Jet4(0, 0, 0), Jet4(r.poleHeight, 0, 0)};
        return ruledPlace(frame, r.terms, c);
    }
};

// NOTE: 12 x 12 patches, t = 0.4 rebuilt every frame, 15-degree graticule and
// two tracks, same loaded machine: 14 frames/s with every line point through
// the stage function, 65 frames/s with the shared rows and columns (140
// frames/s without lines).
template <class Parts>
std::vector<Polyline> graticuleOf(const SurfaceMesh& mesh, bool halfStrips, double degrees, const Parts& parts)
{
    std::vector<Polyline> lines;
    const int n = mesh.around();
    const double vMax = halfStrips ? 0.5 : 1.0;
    const int across = halfStrips ? graticuleSegmentsAcross / 2 : graticuleSegmentsAcross;
    const std::vector<double> latitudes = multiplesWithin(degrees, -90, 90, false);
    const std::vector<double> longitudes = multiplesWithin(degrees, -180, 180, true);
    const int blocks = mesh.method == EversionMethod::Ruled ? 2 : 1;

    std::vector<typename Parts::Row> alongRows;
    std::vector<typename Parts::Column> acrossColumns;
    for (int b = 0; b < blocks; ++b) {
        for (int k = 0; k <= graticuleSegmentsAlong; ++k)
            alongRows.push_back(parts.row(b, static_cast<double>(k) / graticuleSegmentsAlong));
        for (int k = 0; k <= across; ++k)
            acrossColumns.push_back(parts.column(b, vMax * k / across));
    }

    const auto place = [&](Polyline& line, const typename Parts::Row& row, const typename Parts::Column& column,
                           const CopyTurn& turn) {
        const Jet4Vec p = parts.place(row, column);
        const double local[3] = {p.x.value, p.y.value, p.z.value};
        double world[3];
        turnIntoCopy(local, turn, world);
        append(line, world);
    };
    const int copies = surfaceCopyCount(mesh);
    for (const double latitude : latitudes)
        for (int i = 0; i < copies; ++i) {
            // A parallel lies on the row u = (90 - |latitude|) / 90 of the
            // hemisphere on its side; the equator on both.
            const SurfaceCopy copy = surfaceCopy(mesh, i);
            if ((copy.hemisphere == 0 && latitude < 0) || (copy.hemisphere == 1 && latitude > 0))
                continue;
            const typename Parts::Row row = parts.row(copy.block, (90 - std::fabs(latitude)) / 90);
            const CopyTurn turn = copyTurn(copy);
            Polyline line;
            for (int k = 0; k <= across; ++k)
                place(line, row, acrossColumns[static_cast<size_t>(copy.block) * (across + 1) + k], turn);
            lines.push_back(std::move(line));
        }
    for (int i = 0; i < copies; ++i) {
        const SurfaceCopy copy = surfaceCopy(mesh, i);
        const CopyTurn turn = copyTurn(copy);
        // Meridians: the columns of this copy where the origin's longitude
        // is a multiple (see Origin.h for x).
        for (const double longitude : longitudes) {
            if (longitude == 180)
                continue;  // the same line as -180
            const double turns = (90 - longitude) / 360;
            const double x = (turns - std::floor(turns)) * n;
            const double v = copy.hemisphere == 0 ? x - copy.strip : copy.strip + 1 - x;
            if (v < 0 || v > vMax)
                continue;
            const typename Parts::Column column = parts.column(copy.block, v);
            Polyline line;
            for (int k = 0; k <= graticuleSegmentsAlong; ++k)
                place(line, alongRows[static_cast<size_t>(copy.block) * (graticuleSegmentsAlong + 1) + k], column, turn);
            lines.push_back(std::move(line));
        }
    }
    return lines;
}
}

std::vector<Polyline> graticuleLines(const SurfaceMesh& mesh, bool halfStrips, double degrees)
{
    if (!(degrees > 0))
        return {};
    const ExactSurface surface = exactSurface(mesh);
    if (mesh.method == EversionMethod::Ruled)
        return graticuleOf(mesh, halfStrips, degrees, RuledParts{surface.ruled});
    return graticuleOf(mesh, halfStrips, degrees, CorrugationParts{surface.stage, mesh.totalStrips});
}

Polyline trackLine(const Origin& origin, EversionMethod method, int around)
{
    Polyline line;
    line.points.reserve(3 * (trackSegments + 1));
    double world[3];
    for (int k = 0; k <= trackSegments; ++k) {
        exactPosition(exactSurface(method, around, static_cast<double>(k) / trackSegments), origin, world);
        append(line, world);
    }
    return line;
}

void trackPoint(const Origin& origin, EversionMethod method, int around, double t, float out[3])
{
    double world[3];
    exactPosition(exactSurface(method, around, t), origin, world);
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
    if (t != m.t || method != m.method || around != m.around() || shown != m.aroundShown() ||
        hemispheres != m.hemispheres || halfStrips != half || degrees != spacing) {
        graticule = graticuleLines(m, half, spacing);
        t = m.t;
        method = m.method;
        around = m.around();
        shown = m.aroundShown();
        hemispheres = m.hemispheres;
        halfStrips = half;
        degrees = spacing;
    }
    if (trackMethod != m.method || trackAround != m.around() || !sameOrigins(trackOrigins, look.tracks)) {
        tracks.clear();
        for (const Origin& origin : look.tracks)
            tracks.push_back(trackLine(origin, m.method, m.around()));
        trackMethod = m.method;
        trackAround = m.around();
        trackOrigins = look.tracks;
    }
    markers.resize(3 * look.tracks.size());
    for (size_t k = 0; k < look.tracks.size(); ++k)
        trackPoint(look.tracks[k], m.method, m.around(), m.t, &markers[3 * k]);
}
