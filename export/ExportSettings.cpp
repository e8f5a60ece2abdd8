#include "export/ExportSettings.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {
// Which commands an option belongs to.
constexpr unsigned forImage = 1, forMovie = 2, forMesh = 4, forCurves = 8;
constexpr unsigned forPictures = forImage | forMovie;
// What is drawn of the surface: the curves are those of the whole surface.
constexpr unsigned forShown = forImage | forMovie | forMesh;

struct Fault {
    std::string text;
};

bool parseDouble(std::string_view word, double& out)
{
    const std::string s(word);
    if (s.empty() || std::isspace(static_cast<unsigned char>(s[0])))
        return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtod(s.c_str(), &end);
    return end == s.c_str() + s.size() && errno == 0 && std::isfinite(out);
}

bool parseInt(std::string_view word, long& out)
{
    const std::string s(word);
    if (s.empty() || !(std::isdigit(static_cast<unsigned char>(s[0])) || s[0] == '-' || s[0] == '+'))
        return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtol(s.c_str(), &end, 10);
    return end == s.c_str() + s.size() && errno == 0;
}

double numberIn(const char* option, std::string_view word, double lo, double hi)
{
    double value = 0;
    if (!parseDouble(word, value))
        throw Fault{std::string(option) + " needs a number, not '" + std::string(word) + "'"};
    if (!(value >= lo && value <= hi)) {
        char range[96];
        std::snprintf(range, sizeof range, " must be within [%g, %g], not ", lo, hi);
        throw Fault{std::string(option) + range + std::string(word)};
    }
    return value;
}

int countIn(const char* option, std::string_view word, long lo, long hi)
{
    long value = 0;
    if (!parseInt(word, value))
        throw Fault{std::string(option) + " needs a whole number, not '" + std::string(word) + "'"};
    if (value < lo || value > hi)
        throw Fault{std::string(option) + " must be from " + std::to_string(lo) + " to " + std::to_string(hi) +
                    ", not " + std::string(word)};
    return static_cast<int>(value);
}

// "AxB" (or "A" alone when `single` allows it, meaning AxA).
void pairOf(const char* option, std::string_view word, char separator, bool single, long lo, long hi, int& a,
            int& b)
{
    const size_t at = word.find(separator);
    if (at == std::string_view::npos) {
        if (!single)
            throw Fault{std::string(option) + " needs two numbers as W" + separator + "H, not '" +
                        std::string(word) + "'"};
        a = b = countIn(option, word, lo, hi);
        return;
    }
    a = countIn(option, word.substr(0, at), lo, hi);
    b = countIn(option, word.substr(at + 1), lo, hi);
}

std::string lowerExtension(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

OutputFormat formatFor(ExportKind kind, const std::string& path)
{
    const std::string ext = lowerExtension(path);
    const size_t slash = path.find_last_of('/');
    const bool namesFile = slash == std::string::npos || slash + 1 < path.size();
    switch (kind) {
    case ExportKind::Image:
        if (ext == "png" && namesFile)
            return OutputFormat::Png;
        throw Fault{"an image is written as FILE.png, not '" + path + "'"};
    case ExportKind::Movie:
        if (!namesFile)
            return OutputFormat::PngSequence;
        if (ext == "mp4")
            return OutputFormat::Mp4;
        if (ext == "webm")
            return OutputFormat::Webm;
        if (ext == "gif")
            return OutputFormat::Gif;
        throw Fault{"a movie is written as FILE.mp4, FILE.webm, FILE.gif or DIR/, not '" + path + "'"};
    case ExportKind::Mesh:
        if (namesFile) {
            if (ext == "ply")
                return OutputFormat::Ply;
            if (ext == "obj")
                return OutputFormat::Obj;
            if (ext == "stl")
                return OutputFormat::Stl;
            if (ext == "glb")
                return OutputFormat::Glb;
            if (ext == "gltf")
                return OutputFormat::Gltf;
        }
        throw Fault{"a mesh is written as FILE.ply, FILE.obj, FILE.stl, FILE.glb or FILE.gltf, not '" + path + "'"};
    case ExportKind::Curves:
        if (namesFile && ext == "csv")
            return OutputFormat::Csv;
        if (namesFile && ext == "obj")
            return OutputFormat::Obj;
        throw Fault{"curves are written as FILE.csv or FILE.obj, not '" + path + "'"};
    }
    throw Fault{"unknown export kind"};
}

struct Parser {
    int argc;
    const char* const* argv;
    int i = 2;
    unsigned kindBit = 0;
    const char* kindName = "";

    const char* value(const char* option)
    {
        if (i + 1 >= argc)
            throw Fault{std::string(option) + " needs a value"};
        return argv[++i];
    }

    void applies(const char* option, unsigned kinds) const
    {
        if (!(kinds & kindBit))
            throw Fault{std::string(option) + " does not apply to " + kindName};
    }
};
}

ParseOutcome parseExportArguments(int argc, const char* const* argv)
{
    ParseOutcome outcome;
    ExportSettings& s = outcome.settings;
    try {
        if (argc < 2)
            throw Fault{"no command: use image, movie, mesh or curves (or --help)"};
        const std::string_view command = argv[1];
        // The first of --help and --version wins, wherever it stands.
        for (int k = 1; k < argc; ++k) {
            if (std::strcmp(argv[k], "--help") == 0 || std::strcmp(argv[k], "-h") == 0) {
                outcome.ok = outcome.help = true;
                return outcome;
            }
            if (std::strcmp(argv[k], "--version") == 0) {
                outcome.ok = outcome.version = true;
                return outcome;
            }
        }
        Parser p{argc, argv};
        if (command == "image") {
            s.kind = ExportKind::Image;
            p.kindBit = forImage;
            p.kindName = "images";
        } else if (command == "movie") {
            s.kind = ExportKind::Movie;
            p.kindBit = forMovie;
            p.kindName = "movies";
        } else if (command == "mesh") {
            s.kind = ExportKind::Mesh;
            p.kindBit = forMesh;
            p.kindName = "meshes";
        } else if (command == "curves") {
            s.kind = ExportKind::Curves;
            p.kindBit = forCurves;
            p.kindName = "curves";
        } else {
            throw Fault{"unknown command '" + std::string(command) + "': use image, movie, mesh or curves"};
        }

        bool haveOutput = false;
        for (; p.i < argc; ++p.i) {
            const std::string_view o = argv[p.i];
            const char* name = argv[p.i];
            if (o == "-o" || o == "--output") {
                s.output = p.value(name);
                haveOutput = true;
            } else if (o == "--time") {
                p.applies(name, forImage | forMesh | forCurves);
                s.time = numberIn(name, p.value(name), 0, 1);
            } else if (o == "--strips") {
                s.strips = countIn(name, p.value(name), 1, maxPatches);
                s.stripsGiven = true;
            } else if (o == "--strips-shown") {
                p.applies(name, forShown);
                s.stripsShown = countIn(name, p.value(name), 1, maxPatches);
            } else if (o == "--hemispheres") {
                p.applies(name, forShown);
                s.hemispheres = countIn(name, p.value(name), 1, 2);
            } else if (o == "--half-strips") {
                p.applies(name, forShown);
                s.halfStrips = true;
            } else if (o == "--triple-points") {
                p.applies(name, forCurves);
                s.triplePoints = p.value(name);
                if (lowerExtension(s.triplePoints) != "csv" || s.triplePoints.back() == '/')
                    throw Fault{"--triple-points is written as FILE.csv, not '" + s.triplePoints + "'"};
            } else if (o == "--patches") {
                pairOf(name, p.value(name), 'x', true, 2, maxPatches, s.latitudinalPatches, s.longitudinalPatches);
            } else if (o == "--size") {
                p.applies(name, forPictures);
                // The renderer's own upper limit is checked once a context exists.
                pairOf(name, p.value(name), 'x', false, minImageSide, 1 << 20, s.width, s.height);
            } else if (o == "--mode") {
                p.applies(name, forPictures);
                static const char* const modes[] = {"points", "wireframe", "strips", "checkerboard", "rows"};
                const std::string_view m = p.value(name);
                s.displayMode = -1;
                for (int k = 0; k < 5; ++k)
                    if (m == modes[k])
                        s.displayMode = k;
                if (s.displayMode < 0)
                    throw Fault{"--mode is points, wireframe, strips, checkerboard or rows, not '" +
                                std::string(m) + "'"};
            } else if (o == "--flat") {
                p.applies(name, forPictures);
                s.flat = true;
            } else if (o == "--alpha") {
                p.applies(name, forPictures);
                s.alphaBlending = true;
                s.alpha = static_cast<float>(numberIn(name, p.value(name), 0, 1));
            } else if (o == "--cull") {
                p.applies(name, forPictures);
                const std::string_view c = p.value(name);
                if (c == "none")
                    s.cull = 0;
                else if (c == "back")
                    s.cull = 1;
                else if (c == "front")
                    s.cull = 2;
                else
                    throw Fault{"--cull is none, back or front, not '" + std::string(c) + "'"};
            } else if (o == "--axes") {
                p.applies(name, forPictures);
                s.axes = true;
            } else if (o == "--target") {
                p.applies(name, forPictures);
                s.target = true;
            } else if (o == "--no-text") {
                p.applies(name, forPictures);
                s.text = false;
            } else if (o == "--stereo") {
                p.applies(name, forPictures);
                s.stereo = true;
                // The distance is optional: the next word is it when it is a number.
                double d = 0;
                if (p.i + 1 < argc && parseDouble(argv[p.i + 1], d)) {
                    s.stereoDistance = static_cast<float>(numberIn(name, argv[p.i + 1], -100, 100));
                    ++p.i;
                }
            } else if (o == "--orbit") {
                p.applies(name, forPictures);
                const std::string_view v = p.value(name);
                const size_t comma = v.find(',');
                if (comma == std::string_view::npos)
                    throw Fault{"--orbit needs two numbers as DX,DY, not '" + std::string(v) + "'"};
                s.orbitX = static_cast<float>(numberIn(name, v.substr(0, comma), -1e6, 1e6));
                s.orbitY = static_cast<float>(numberIn(name, v.substr(comma + 1), -1e6, 1e6));
            } else if (o == "--samples") {
                p.applies(name, forPictures);
                s.samples = countIn(name, p.value(name), 0, 64);
            } else if (o == "--from") {
                p.applies(name, forMovie);
                s.from = numberIn(name, p.value(name), 0, 1);
            } else if (o == "--to") {
                p.applies(name, forMovie);
                s.to = numberIn(name, p.value(name), 0, 1);
            } else if (o == "--frames") {
                p.applies(name, forMovie);
                s.frames = countIn(name, p.value(name), 1, 1000000);
            } else if (o == "--fps") {
                p.applies(name, forMovie);
                s.fps = numberIn(name, p.value(name), 0.1, 1000);
            } else if (o == "--rotate") {
                p.applies(name, forMovie);
                s.rotate = true;
            } else {
                std::string fault;
                const int surfaceWords = parseSurfaceOption(argc, argv, p.i, s.surface, fault);
                if (surfaceWords < 0)
                    throw Fault{fault};
                if (o == "--double-curves")
                    p.applies(name, forPictures);
                if (surfaceWords > 0) {
                    p.i += surfaceWords - 1;
                    continue;
                }
                const int used = parseLookOption(argc, argv, p.i, s.look, s.orthographic, fault);
                if (used == 0)
                    throw Fault{"unknown option '" + std::string(o) + "'"};
                p.applies(name, forPictures);
                if (used < 0)
                    throw Fault{fault};
                p.i += used - 1;
            }
        }
        if (!haveOutput)
            throw Fault{"no output: give -o FILE"};
        s.format = formatFor(s.kind, s.output);
        if (!s.triplePoints.empty() && s.triplePoints == s.output)
            throw Fault{"--triple-points names the same file as -o"};
        if (const std::string mismatch = checkSurfaceOptions(s.surface); !mismatch.empty())
            throw Fault{mismatch};
        const bool ruled = s.surface.method == EversionMethod::Ruled;
        if (ruled && s.stripsGiven)
            throw Fault{"--strips is for the corrugation method; the ruled method has --lobes"};
        // Strips shown, or lunes shown with the ruled method.
        const int around = ruled ? s.surface.lobes : s.strips;
        if (s.stripsShown > around)
            throw Fault{"--strips-shown " + std::to_string(s.stripsShown) + " is more than the " +
                        std::to_string(around) + (ruled ? " lobes" : " strips")};
        if (s.stripsShown < 0)
            s.stripsShown = around;
        if (s.width == 0) {
            s.width = s.stereo ? 1024 : 512;
            s.height = 512;
        }
        // Each stereo eye gets half the width, and a view needs 2 pixels.
        if (s.stereo && s.width / 2 < 2)
            throw Fault{"--size is too narrow for two stereo views"};
        if (s.format == OutputFormat::Mp4 && (s.width % 2 || s.height % 2))
            throw Fault{"an MP4 movie (H.264, 4:2:0) needs an even width and height, not " + std::to_string(s.width) +
                        "x" + std::to_string(s.height)};
        outcome.ok = true;
    } catch (const Fault& fault) {
        outcome.ok = false;
        outcome.error = fault.text;
    }
    return outcome;
}

const char* usageText()
{
    static const std::string text = std::string("Usage:\n"
           "  vedoze-vaderuve-export image [options] -o FILE.png\n"
           "  vedoze-vaderuve-export movie [options] -o FILE.mp4 | FILE.webm | FILE.gif | DIR/\n"
           "  vedoze-vaderuve-export mesh  [options] -o FILE.ply | FILE.obj | FILE.stl | FILE.glb | FILE.gltf\n"
           "  vedoze-vaderuve-export curves [options] -o FILE.csv | FILE.obj [--triple-points FILE.csv]\n"
           "  vedoze-vaderuve-export --help | --version\n"
           "\n"
           "Surface:\n") + surfaceUsage + std::string(
           "  --time T               moment of the eversion, 0..1 (0; not for movies)\n"
           "  --strips N             number of strips (8; the corrugation method's)\n"
           "  --strips-shown N       strips, or the ruled method's lunes, drawn (all; not for curves)\n"
           "  --hemispheres 1|2      hemispheres drawn (2; not for curves)\n"
           "  --half-strips          draw each strip or lune half wide (not for curves)\n"
           "  --patches LAT[xLON]    patches per strip (12x12), 2..4096; across a lune,\n"
           "                         LON x 8 / lobes\n"
           "Picture (image and movie):\n"
           "  --size WxH             pixels (512x512; 1024x512 in stereo)\n"
           "  --mode MODE            points, wireframe, strips, checkerboard or rows (strips)\n"
           "  --flat                 flat shading\n"
           "  --alpha A              additive blending at intensity A, 0..1\n"
           "  --cull none|back|front face culling (none)\n"
           "  --axes                 world axes\n"
           "  --target               camera target cross\n"
           "  --no-text              no heads-up text\n"
           "  --stereo [D]           side-by-side stereo, eye distance D (0.1)\n"
           "  --orbit DX,DY          camera after an Alt + left drag of DX, DY pixels\n"
           "  --samples N            multisample anti-aliasing with N samples (off)\n"
           "Where each point started (image and movie):\n") +
                                    lookUsage +
                                    "Curves:\n"
           "  --triple-points FILE.csv\n"
           "                         also write the points where three sheets meet\n"
           "Movie:\n"
           "  --from T0 --to T1      time span (0 to 1)\n"
           "  --frames N             frame count (101)\n"
           "  --fps F                frames per second (25)\n"
           "  --rotate               turn the camera a step per frame\n";
    return text.c_str();
}
