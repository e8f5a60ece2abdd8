#include "viewer/Origin.h"

#include <cmath>

double wrapLongitude(double degrees)
{
    const double w = degrees - 360 * std::floor((degrees + 180) / 360);
    return w >= 180 ? w - 360 : w;
}

void gridParameters(int rows, int columns, bool halfStrips, std::vector<float>& us, std::vector<float>& vs)
{
    const double vMax = halfStrips ? 0.5 : 1.0;
    us.resize(static_cast<size_t>(rows));
    vs.resize(static_cast<size_t>(columns));
    for (int r = 0; r < rows; ++r)
        us[r] = static_cast<float>(static_cast<double>(r) / (rows - 1));
    for (int j = 0; j < columns; ++j)
        vs[j] = static_cast<float>(vMax * j / (columns - 1));
}

Origin gridOrigin(double u, double v, int hemisphere, int strip, int totalStrips)
{
    const double n = totalStrips;
    if (hemisphere == 0)
        return {90 - 90 * u, wrapLongitude(90 - 360 * (strip + v) / n)};
    return {90 * u - 90, wrapLongitude(90 - 360 * (strip + 1 - v) / n)};
}

OriginTextureTransform originTextureTransform(int hemisphere, int strip, int totalStrips)
{
    // s = (longitude + 180) / 360 and t = (90 - latitude) / 180 of gridOrigin,
    // before wrapping (the texture repeats in s).
    const double n = totalStrips;
    if (hemisphere == 0)
        return {0, -1 / n, 0.75 - strip / n, 0.5, 0, 0};
    return {0, 1 / n, 0.75 - (strip + 1) / n, -0.5, 0, 1};
}

GridPlace placeOfOrigin(const Origin& origin, int totalStrips)
{
    GridPlace p;
    const double latitude = std::fmin(90, std::fmax(-90, origin.latitude));
    p.hemisphere = latitude >= 0 ? 0 : 1;
    p.u = (90 - std::fabs(latitude)) / 90;
    // x = s + v in the first hemisphere, s + 1 - v in the second, in [0, n).
    const double turns = (90 - wrapLongitude(origin.longitude)) / 360;
    double x = (turns - std::floor(turns)) * totalStrips;
    if (x >= totalStrips)
        x = 0;
    p.strip = static_cast<int>(std::floor(x));
    if (p.strip > totalStrips - 1)
        p.strip = totalStrips - 1;
    p.v = p.hemisphere == 0 ? x - p.strip : p.strip + 1 - x;
    return p;
}
