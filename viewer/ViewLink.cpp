#include "viewer/ViewLink.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>


namespace {

// Largest magnitude a camera coordinate may have: far beyond any view the
// drags reach from home (the far plane is 30 units), far inside float range.
constexpr double maxCameraCoordinate = 1e6;
// Eye distances a link may set; the drag has no bound, a link needs one.
constexpr double maxStereoDistance = 100;

enum class Kind { Time, Denominator, Count, Bool, Mode, Alpha, EyeDistance, Camera, Colours, Bands, Graticule, Tracks };

struct Field {
    const char* key;
    Kind kind;
};

// In the order the encoder writes them.
constexpr Field fields[] = {
    {"t", Kind::Time},         {"dt", Kind::Denominator}, {"strips", Kind::Count},
    {"shown", Kind::Count},    {"hemispheres", Kind::Count}, {"half", Kind::Bool},
    {"lat", Kind::Count},      {"lon", Kind::Count},      {"mode", Kind::Mode},
    {"smooth", Kind::Bool},    {"blend", Kind::Bool},     {"alpha", Kind::Alpha},
    {"cull", Kind::Bool},      {"cullback", Kind::Bool},  {"axes", Kind::Bool},
    {"target", Kind::Bool},    {"text", Kind::Bool},      {"stereo", Kind::Bool},
    {"eye", Kind::EyeDistance}, {"colours", Kind::Colours}, {"bands", Kind::Bands},
    {"graticule", Kind::Graticule}, {"tracks", Kind::Tracks}, {"ortho", Kind::Bool},
    {"cam", Kind::Camera},
};

constexpr const char* schemeNames[] = {"sides", "latitude", "longitude", "image"};
constexpr int fieldCount = static_cast<int>(sizeof fields / sizeof fields[0]);

// The names of repaired or ignored fields, for the one warning line; a
// fragment full of junk keys yields a bounded line.
struct Complaints {
    static constexpr int maxListed = 8;
    std::string list;
    int count = 0;

    void add(std::string_view name)
    {
        ++count;
        if (count > maxListed)
            return;
        if (!list.empty())
            list += ", ";
        if (name.empty()) {
            list += "(empty)";
            return;
        }
        // Only printable ASCII reaches the console, and at most 24 bytes of it.
        for (char c : name.substr(0, 24))
            list += c >= 0x20 && c < 0x7f ? c : '?';
        if (name.size() > 24)
            list += "...";
    }

    std::string line() const
    {
        if (count == 0)
            return {};
        std::string out = "view link: ignored or repaired " + list;
        if (count > maxListed)
            out += " and " + std::to_string(count - maxListed) + " more";
        return out;
    }
};

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Percent escapes undone (a link pasted through another program may have
// them); false on a broken escape.
bool unescape(std::string_view in, char* out, std::size_t& length)
{
    length = 0;
    for (std::size_t i = 0; i < in.size(); ++i) {
        char c = in[i];
        if (c == '%') {
            if (i + 2 >= in.size())
                return false;
            const int hi = hexDigit(in[i + 1]), lo = hexDigit(in[i + 2]);
            if (hi < 0 || lo < 0)
                return false;
            c = static_cast<char>(hi * 16 + lo);
            i += 2;
        }
        out[length++] = c;
    }
    out[length] = '\0';
    return true;
}

// A plain decimal number, whole token, finite. Hex floats, "inf", "nan",
// spaces and empty text are refused.
bool parseNumber(const char* text, double& value)
{
    if (*text == '\0')
        return false;
    for (const char* p = text; *p; ++p)
        if (!std::strchr("0123456789+-.eE", *p))
            return false;
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end && *end == '\0' && std::isfinite(value);
}

// Up to `count` comma-separated numbers; false unless exactly `count`.
bool parseNumbers(char* text, double* values, int count)
{
    int n = 0;
    char* start = text;
    for (char* p = text;; ++p) {
        if (*p == ',' || *p == '\0') {
            const bool last = *p == '\0';
            *p = '\0';
            if (n == count || !parseNumber(start, values[n]))
                return false;
            ++n;
            if (last)
                break;
            start = p + 1;
        }
    }
    return n == count;
}

// Within [lo, hi], rounded to a whole number; `exact` tells whether it was
// taken as written.
int wholeIn(double value, int lo, int hi, bool& exact)
{
    const double clamped = std::clamp(std::round(value), static_cast<double>(lo), static_cast<double>(hi));
    exact = clamped == value;
    return static_cast<int>(clamped);
}

double length3(const double v[3])
{
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

// Nine finite numbers that make a camera frame: the eye away from the target,
// the up direction of unit length and perpendicular to the line of sight.
bool properCamera(const double v[9])
{
    for (int i = 0; i < 9; ++i)
        if (!(std::fabs(v[i]) <= maxCameraCoordinate))
            return false;
    const double sight[3] = {v[3] - v[0], v[4] - v[1], v[5] - v[2]};
    const double distance = length3(sight);
    const double upLength = length3(v + 6);
    if (!(distance > 1e-4) || std::fabs(upLength - 1) > 1e-3)
        return false;
    const double cosine = (sight[0] * v[6] + sight[1] * v[7] + sight[2] * v[8]) / distance;
    return std::fabs(cosine) <= 1e-3;
}

// "none", or "latitude,N" / "longitude,N" with N whole bands.
bool applyBands(char* text, ViewLink& view)
{
    if (std::strcmp(text, "none") == 0) {
        view.bands = BandKind::None;
        return true;
    }
    char* comma = std::strchr(text, ',');
    if (!comma)
        return false;
    *comma = '\0';
    const std::string_view kind = text;
    if (kind != "latitude" && kind != "longitude")
        return false;
    double n;
    if (!parseNumber(comma + 1, n))
        return false;
    bool exact = true;
    view.bandCount = wholeIn(n, 2, linkMaxBands, exact);
    view.bands = kind == "latitude" ? BandKind::Latitude : BandKind::Longitude;
    return exact;
}

// "LAT,LON;LAT,LON;...", or nothing for no tracks. Taken only when every
// pair is two numbers; each is clamped into its range, and pairs beyond
// linkMaxTracks are dropped.
bool applyTracks(char* text, ViewLink& view)
{
    Origin tracks[linkMaxTracks];
    int count = 0;
    bool exact = true;
    for (char* pair = text; *text != '\0';) {  // an empty text: no tracks
        char* end = std::strchr(pair, ';');
        const bool last = end == nullptr;
        if (!last)
            *end = '\0';
        double v[2];
        if (!parseNumbers(pair, v, 2))
            return false;
        if (count < linkMaxTracks) {
            const Origin origin{std::clamp(v[0], -90.0, 90.0), std::clamp(v[1], -180.0, 180.0)};
            exact = exact && origin.latitude == v[0] && origin.longitude == v[1];
            tracks[count++] = origin;
        } else {
            exact = false;
        }
        if (last)
            break;
        pair = end + 1;
    }
    view.trackCount = count;
    std::copy(tracks, tracks + count, view.tracks);
    return exact;
}

// Applies one field's text to the view; false when it was not taken as written.
bool applyField(const Field& field, char* text, ViewLink& view)
{
    const std::string_view key = field.key;
    if (field.kind == Kind::Camera) {
        double v[9];
        if (!parseNumbers(text, v, 9) || !properCamera(v))
            return false;
        view.hasCamera = true;
        for (int i = 0; i < 3; ++i) {
            view.eye[i] = static_cast<float>(v[i]);
            view.target[i] = static_cast<float>(v[3 + i]);
            view.up[i] = static_cast<float>(v[6 + i]);
        }
        return true;
    }
    if (field.kind == Kind::Colours) {
        const std::string_view word = text;
        if (word == "image")  // kept only where the base view has its picture
            return view.colours == ColourScheme::Image;
        for (int i = 0; i < 3; ++i)
            if (word == schemeNames[i]) {
                view.colours = static_cast<ColourScheme>(i);
                return true;
            }
        return false;
    }
    if (field.kind == Kind::Bands)
        return applyBands(text, view);
    if (field.kind == Kind::Tracks)
        return applyTracks(text, view);
    double value;
    if (!parseNumber(text, value))
        return false;
    bool exact = true;
    switch (field.kind) {
    case Kind::Time: {
        view.t = std::clamp(value, 0.0, 1.0);
        return view.t == value;
    }
    case Kind::Denominator: {
        // The nearest power of two within range.
        const double clamped = std::clamp(value, 1.0, static_cast<double>(linkMaxDenominator));
        const int power = static_cast<int>(std::round(std::log2(clamped)));
        view.timeStepDenominator = 1 << power;
        return view.timeStepDenominator == value;
    }
    case Kind::Count:
        if (key == "strips")
            view.totalStrips = wholeIn(value, 1, linkMaxStrips, exact);
        else if (key == "shown")
            view.stripsShown = wholeIn(value, 1, linkMaxStrips, exact);
        else if (key == "hemispheres")
            view.hemispheres = wholeIn(value, 1, 2, exact);
        else if (key == "lat")
            view.latitudinalPatches = wholeIn(value, 2, linkMaxPatches, exact);
        else
            view.longitudinalPatches = wholeIn(value, 2, linkMaxPatches, exact);
        return exact;
    case Kind::Mode:
        view.displayMode = wholeIn(value, 0, 4, exact);
        return exact;
    case Kind::Bool: {
        if (value != 0 && value != 1)
            return false;
        const bool on = value == 1;
        bool* target = key == "half"       ? &view.halfStrips
                       : key == "ortho"    ? &view.orthographic
                       : key == "smooth"   ? &view.smoothShading
                       : key == "blend"    ? &view.alphaBlending
                       : key == "cull"     ? &view.cullingEnabled
                       : key == "cullback" ? &view.cullBackFaces
                       : key == "axes"     ? &view.showWorldAxes
                       : key == "target"   ? &view.showCameraTarget
                       : key == "text"     ? &view.showText
                                           : &view.stereo;
        *target = on;
        return true;
    }
    case Kind::Alpha:
        view.alpha = static_cast<float>(std::clamp(value, 0.0, 1.0));
        return view.alpha == static_cast<float>(value);
    case Kind::EyeDistance:
        view.stereoDistance = static_cast<float>(std::clamp(value, -maxStereoDistance, maxStereoDistance));
        return view.stereoDistance == static_cast<float>(value);
    case Kind::Graticule: {
        // 0 turns it off; a spacing below a degree is one degree.
        double degrees = std::clamp(value, 0.0, 90.0);
        if (degrees > 0 && degrees < 1)
            degrees = 1;
        view.graticuleDegrees = degrees;
        return degrees == value;
    }
    case Kind::Camera:
    case Kind::Colours:
    case Kind::Bands:
    case Kind::Tracks:
        break;
    }
    return false;
}

void appendNumber(std::string& out, const char* format, double value)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, format, value);
    out += buffer;
}

// The fewest significant digits (15 to 17) that read back as the same double:
// a picked 61.42 stays 61.42 in the link.
void appendShortest(std::string& out, double value)
{
    char buffer[40];
    for (int digits = 15; digits <= 17; ++digits) {
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
        if (std::strtod(buffer, nullptr) == value)
            break;
    }
    out += buffer;
}

}  // namespace

std::string encodeViewLink(const ViewLink& view)
{
    std::string out;
    const auto number = [&](const char* key, const char* format, double value) {
        if (!out.empty())
            out += '&';
        out += key;
        out += '=';
        appendNumber(out, format, value);
    };
    const auto whole = [&](const char* key, int value) { number(key, "%.0f", value); };
    number("t", "%.17g", view.t);
    whole("dt", view.timeStepDenominator);
    whole("strips", view.totalStrips);
    whole("shown", view.stripsShown);
    whole("hemispheres", view.hemispheres);
    whole("half", view.halfStrips);
    whole("lat", view.latitudinalPatches);
    whole("lon", view.longitudinalPatches);
    whole("mode", view.displayMode);
    whole("smooth", view.smoothShading);
    whole("blend", view.alphaBlending);
    number("alpha", "%.9g", view.alpha);
    whole("cull", view.cullingEnabled);
    whole("cullback", view.cullBackFaces);
    whole("axes", view.showWorldAxes);
    whole("target", view.showCameraTarget);
    whole("text", view.showText);
    whole("stereo", view.stereo);
    number("eye", "%.9g", view.stereoDistance);
    out += "&colours=";
    out += schemeNames[static_cast<int>(view.colours)];
    out += "&bands=";
    if (view.bands == BandKind::None) {
        out += "none";
    } else {
        out += view.bands == BandKind::Latitude ? "latitude," : "longitude,";
        appendNumber(out, "%.0f", view.bandCount);
    }
    out += "&graticule=";
    appendShortest(out, view.graticuleDegrees);
    out += "&tracks=";
    for (int i = 0; i < view.trackCount; ++i) {
        if (i > 0)
            out += ';';
        appendShortest(out, view.tracks[i].latitude);
        out += ',';
        appendShortest(out, view.tracks[i].longitude);
    }
    whole("ortho", view.orthographic);
    if (view.hasCamera) {
        out += "&cam=";
        const float* parts[3] = {view.eye, view.target, view.up};
        for (int i = 0; i < 9; ++i) {
            if (i > 0)
                out += ',';
            appendNumber(out, "%.9g", parts[i / 3][i % 3]);
        }
    }
    return out;
}

ViewLink decodeViewLink(std::string_view fragment, const ViewLink& base, std::string& warning)
{
    ViewLink view = base;
    Complaints complaints;
    bool seen[fieldCount] = {};
    if (!fragment.empty() && fragment.front() == '#')
        fragment.remove_prefix(1);
    char value[linkMaxTracksLength + 1];
    while (!fragment.empty()) {
        const std::size_t end = std::min(fragment.find('&'), fragment.size());
        const std::string_view pair = fragment.substr(0, end);
        fragment.remove_prefix(end == fragment.size() ? end : end + 1);
        if (pair.empty())
            continue;
        const std::size_t equals = pair.find('=');
        const std::string_view key = pair.substr(0, equals);
        int index = 0;
        while (index < fieldCount && key != fields[index].key)
            ++index;
        if (index == fieldCount || seen[index] || equals == std::string_view::npos) {
            complaints.add(key);
            continue;
        }
        seen[index] = true;
        const std::string_view text = pair.substr(equals + 1);
        std::size_t length = 0;
        const std::size_t longest = fields[index].kind == Kind::Tracks ? linkMaxTracksLength : linkMaxValueLength;
        if (text.size() > longest || !unescape(text, value, length) ||
            std::memchr(value, '\0', length) || !applyField(fields[index], value, view))
            complaints.add(key);
    }
    // Strips shown beyond the total would draw strips that do not exist.
    if (view.stripsShown > view.totalStrips) {
        view.stripsShown = view.totalStrips;
        complaints.add("shown");
    }
    warning = complaints.line();
    return view;
}
