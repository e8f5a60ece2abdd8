#include "viewer/OriginLook.h"

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>

namespace {
// Samples of a perceptually uniform map at equal steps from 0 to 1.
constexpr float latitudeStops[9][3] = {
    {0.267f, 0.005f, 0.329f}, {0.283f, 0.141f, 0.458f}, {0.230f, 0.322f, 0.546f},
    {0.173f, 0.449f, 0.558f}, {0.128f, 0.567f, 0.551f}, {0.158f, 0.684f, 0.502f},
    {0.369f, 0.789f, 0.383f}, {0.678f, 0.864f, 0.190f}, {0.993f, 0.906f, 0.144f},
};

unsigned char toByte(float x)
{
    return static_cast<unsigned char>(std::lround(std::fmin(1.0f, std::fmax(0.0f, x)) * 255));
}

bool parseNumber(const char* word, double& out)
{
    if (word == nullptr || *word == '\0' || std::isspace(static_cast<unsigned char>(*word)))
        return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtod(word, &end);
    return *end == '\0' && errno == 0 && std::isfinite(out);
}

constexpr int maxBands = 180;
constexpr int maxTracks = 64;
}

const char* const lookUsage =
    "  --colours SCHEME       sides (the default), latitude, longitude or image FILE.png\n"
    "                         (an equirectangular picture, twice as wide as tall)\n"
    "  --bands latitude|longitude N\n"
    "                         draw every other one of N bands (2..180) of the origin\n"
    "  --graticule DEGREES    lines of the origin's latitude and longitude (1..90)\n"
    "  --track LAT,LON        the path of the point of that origin (repeatable)\n"
    "  --orthographic         parallel projection\n";

void OriginLook::touch()
{
    // Process-wide, so that two looks (one per export, one per benchmark
    // case) never share a revision with different contents.
    static long last = 0;
    revision = ++last;
}

void latitudeColour(double latitude, float rgb[3])
{
    const double x = std::fmin(1, std::fmax(0, (latitude + 90) / 180)) * 8;
    const int k = std::min(7, static_cast<int>(x));
    const float f = static_cast<float>(x - k);
    for (int c = 0; c < 3; ++c)
        rgb[c] = latitudeStops[k][c] + (latitudeStops[k + 1][c] - latitudeStops[k][c]) * f;
}

void longitudeColour(double longitude, float rgb[3])
{
    const double a = longitude * std::numbers::pi / 180;
    for (int c = 0; c < 3; ++c)
        rgb[c] = static_cast<float>(0.55 + 0.35 * std::cos(a - c * 2 * std::numbers::pi / 3));
}

bool bandDrawn(const OriginLook& look, const Origin& origin)
{
    double fraction = 0;
    if (look.bands == BandKind::Latitude)
        fraction = (origin.latitude + 90) / 180;
    else if (look.bands == BandKind::Longitude)
        fraction = (wrapLongitude(origin.longitude) + 180) / 360;
    else
        return true;
    const int band = std::min(look.bandCount - 1, static_cast<int>(std::floor(fraction * look.bandCount)));
    return band % 2 == 0;
}

Picture originTexture(const OriginLook& look)
{
    const Picture* image = look.colours == ColourScheme::Image ? look.image.get() : nullptr;
    Picture out;
    out.width = image ? std::min(image->width, 4096) : 1024;
    out.height = out.width / 2;
    out.rgba.resize(static_cast<size_t>(out.width) * out.height * 4);
    unsigned char* texel = out.rgba.data();
    for (int row = 0; row < out.height; ++row) {
        const double latitude = 90 - (row + 0.5) * 180 / out.height;
        const int imageRow = image ? std::min(image->height - 1, row * image->height / out.height) : 0;
        for (int column = 0; column < out.width; ++column, texel += 4) {
            const double longitude = -180 + (column + 0.5) * 360 / out.width;
            float rgb[3] = {1, 1, 1};
            if (image) {
                const int imageColumn = std::min(image->width - 1, column * image->width / out.width);
                const unsigned char* p =
                    &image->rgba[(static_cast<size_t>(imageRow) * image->width + imageColumn) * 4];
                for (int c = 0; c < 3; ++c)
                    rgb[c] = p[c] / 255.0f;
            } else if (look.colours == ColourScheme::Latitude) {
                latitudeColour(latitude, rgb);
            } else if (look.colours == ColourScheme::Longitude) {
                longitudeColour(longitude, rgb);
            }
            for (int c = 0; c < 3; ++c)
                texel[c] = toByte(rgb[c]);
            texel[3] = bandDrawn(look, {latitude, longitude}) ? 255 : 0;
        }
    }
    return out;
}

std::string checkEquirectangular(const Picture& picture)
{
    if (picture.width < 1 || picture.height < 1)
        return "is empty";
    // The least is 2x1: one pixel for each half of the globe.
    if (picture.width != 2 * picture.height)
        return "is " + std::to_string(picture.width) + "x" + std::to_string(picture.height) +
               ", not equirectangular (the width must be twice the height, 2x1 at the least)";
    return "";
}

int parseLookOption(int argc, const char* const* argv, int i, OriginLook& look, bool& orthographic,
                    std::string& error)
{
    const char* option = argv[i];
    const auto value = [&](int k) -> const char* { return i + k < argc ? argv[i + k] : nullptr; };
    const auto fail = [&](const std::string& text) {
        error = text;
        return -1;
    };
    if (std::strcmp(option, "--orthographic") == 0) {
        orthographic = true;
        return 1;
    }
    if (std::strcmp(option, "--colours") == 0) {
        const char* name = value(1);
        const std::string word = name ? name : "";
        if (word == "sides" || word == "latitude" || word == "longitude") {
            look.colours = word == "sides" ? ColourScheme::Sides
                           : word == "latitude" ? ColourScheme::Latitude
                                                : ColourScheme::Longitude;
            look.touch();
            return 2;
        }
        if (word == "image") {
            const char* path = value(2);
            if (!path || *path == '\0')
                return fail("--colours image needs a picture file, FILE.png");
            look.colours = ColourScheme::Image;
            look.imagePath = path;
            look.image.reset();
            look.touch();
            return 3;
        }
        return fail("--colours is sides, latitude, longitude or image FILE.png, not '" + word + "'");
    }
    if (std::strcmp(option, "--bands") == 0) {
        const std::string kind = value(1) ? value(1) : "";
        if (kind != "latitude" && kind != "longitude")
            return fail("--bands is latitude N or longitude N, not '" + kind + "'");
        double n = 0;
        const char* count = value(2);
        if (!parseNumber(count, n) || n != std::floor(n) || n < 2 || n > maxBands)
            return fail("--bands " + kind + " needs a whole number of bands from 2 to " + std::to_string(maxBands) +
                        ", not '" + (count ? count : "") + "'");
        look.bands = kind == "latitude" ? BandKind::Latitude : BandKind::Longitude;
        look.bandCount = static_cast<int>(n);
        look.touch();
        return 3;
    }
    if (std::strcmp(option, "--graticule") == 0) {
        double degrees = 0;
        const char* word = value(1);
        if (!parseNumber(word, degrees) || degrees < 1 || degrees > 90)
            return fail(std::string("--graticule needs a spacing in degrees from 1 to 90, not '") + (word ? word : "") +
                        "'");
        look.graticuleDegrees = look.lastGraticuleDegrees = degrees;
        return 2;
    }
    if (std::strcmp(option, "--track") == 0) {
        const char* word = value(1);
        const std::string text = word ? word : "";
        const size_t comma = text.find(',');
        double latitude = 0, longitude = 0;
        if (comma == std::string::npos || !parseNumber(text.substr(0, comma).c_str(), latitude) ||
            !parseNumber(text.substr(comma + 1).c_str(), longitude) || std::fabs(latitude) > 90 ||
            std::fabs(longitude) > 180)
            return fail("--track needs LAT,LON in degrees (latitude -90..90, longitude -180..180), not '" + text + "'");
        if (static_cast<int>(look.tracks.size()) >= maxTracks)
            return fail("--track: at most " + std::to_string(maxTracks) + " tracks");
        look.tracks.push_back({latitude, longitude});
        return 2;
    }
    return 0;
}
