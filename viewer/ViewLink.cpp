#include "viewer/ViewLink.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "eversion/RuledSurface.h"

namespace {

// Largest magnitude a camera coordinate may have: far beyond any view the
// drags reach from home (the far plane is 30 units), far inside float range.
constexpr double maxCameraCoordinate = 1e6;
// Eye distances a link may set; the drag has no bound, a link needs one.
constexpr double maxStereoDistance = 100;

enum class Kind { Time, Denominator, Whole, Bool, Alpha, EyeDistance, Camera, Colours, Bands, Graticule, Tracks, Method };

// One field of the link: its key, how its value reads, and for whole numbers
// and switches the member it sets, so that the encoder and the decoder walk
// the same table and a field cannot be written under one key and read under
// another.
struct Field {
    const char* key;
    Kind kind;
    int ViewLink::*whole = nullptr;  // Kind::Whole, within [lo, hi]
    int lo = 0;
    int hi = 0;
    bool ViewLink::*flag = nullptr;  // Kind::Bool, written 0 or 1
};

constexpr Field wholeField(const char* key, int ViewLink::*member, int lo, int hi)
{
    return {key, Kind::Whole, member, lo, hi, nullptr};
}

constexpr Field flagField(const char* key, bool ViewLink::*member)
{
    return {key, Kind::Bool, nullptr, 0, 0, member};
}

// In the order the encoder writes them.
constexpr Field fields[] = {
    {"t", Kind::Time},
    {"dt", Kind::Denominator},
    wholeField("strips", &ViewLink::totalStrips, 1, linkMaxStrips),
    wholeField("shown", &ViewLink::stripsShown, 1, linkMaxStrips),
    wholeField("hemispheres", &ViewLink::hemispheres, 1, 2),
    flagField("half", &ViewLink::halfStrips),
    wholeField("lat", &ViewLink::latitudinalPatches, 2, linkMaxPatches),
    wholeField("lon", &ViewLink::longitudinalPatches, 2, linkMaxPatches),
    wholeField("mode", &ViewLink::displayMode, 0, 4),
    flagField("smooth", &ViewLink::smoothShading),
    flagField("blend", &ViewLink::alphaBlending),
    {"alpha", Kind::Alpha},
    flagField("cull", &ViewLink::cullingEnabled),
    flagField("cullback", &ViewLink::cullBackFaces),
    flagField("axes", &ViewLink::showWorldAxes),
    flagField("target", &ViewLink::showCameraTarget),
    flagField("text", &ViewLink::showText),
    flagField("stereo", &ViewLink::stereo),
    {"eye", Kind::EyeDistance},
    {"colours", Kind::Colours},
    {"bands", Kind::Bands},
    {"graticule", Kind::Graticule},
    {"tracks", Kind::Tracks},
    flagField("ortho", &ViewLink::orthographic),
    {"method", Kind::Method},
    wholeField("lobes", &ViewLink::lobes, minLobes, maxLobes),
    wholeField("lunes", &ViewLink::lunesShown, 1, maxLobes),
    flagField("curves", &ViewLink::doubleCurves),
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
    if (field.kind == Kind::Method)
        return methodFromName(text, view.method);
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
    case Kind::Whole:
        view.*field.whole = wholeIn(value, field.lo, field.hi, exact);
        return exact;
    case Kind::Bool:
        if (value != 0 && value != 1)
            return false;
        view.*field.flag = value == 1;
        return true;
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
    case Kind::Method:
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
    for (const Field& field : fields) {
        if (field.kind == Kind::Camera && !view.hasCamera)
            continue;
        if (!out.empty())
            out += '&';
        out += field.key;
        out += '=';
        switch (field.kind) {
        case Kind::Time:
            appendNumber(out, "%.17g", view.t);
            break;
        case Kind::Denominator:
            appendNumber(out, "%.0f", view.timeStepDenominator);
            break;
        case Kind::Whole:
            appendNumber(out, "%.0f", view.*field.whole);
            break;
        case Kind::Bool:
            out += view.*field.flag ? '1' : '0';
            break;
        case Kind::Alpha:
            appendNumber(out, "%.9g", view.alpha);
            break;
        case Kind::EyeDistance:
            appendNumber(out, "%.9g", view.stereoDistance);
            break;
        case Kind::Colours:
            out += schemeNames[static_cast<int>(view.colours)];
            break;
        case Kind::Method:
            out += methodName(view.method);
            break;
        case Kind::Bands:
            if (view.bands == BandKind::None) {
                out += "none";
            } else {
                out += view.bands == BandKind::Latitude ? "latitude," : "longitude,";
                appendNumber(out, "%.0f", view.bandCount);
            }
            break;
        case Kind::Graticule:
            appendShortest(out, view.graticuleDegrees);
            break;
        case Kind::Tracks:
            for (int i = 0; i < view.trackCount; ++i) {
                if (i > 0)
                    out += ';';
                appendShortest(out, view.tracks[i].latitude);
                out += ',';
                appendShortest(out, view.tracks[i].longitude);
            }
            break;
        case Kind::Camera: {
            const float* parts[3] = {view.eye, view.target, view.up};
            for (int i = 0; i < 9; ++i) {
                if (i > 0)
                    out += ',';
                appendNumber(out, "%.9g", parts[i / 3][i % 3]);
            }
            break;
        }
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
    if (view.lunesShown > view.lobes) {
        view.lunesShown = view.lobes;
        complaints.add("lunes");
    }
    warning = complaints.line();
    return view;
}
