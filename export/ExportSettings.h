#pragma once
// The exporter's command line as a value: which kind of export, the surface,
// the picture and the movie, with the viewer's names and defaults so that what
// is seen in the viewer can be exported. Parsing is pure (no GL, no files):
// it checks every number and name and reports the first fault as one line.
#include <string>

#include "viewer/OriginLook.h"
#include "viewer/SurfaceOptions.h"

enum class ExportKind { Image, Movie, Mesh, Curves };

// What the output path names, from its extension (or a trailing '/').
enum class OutputFormat { Png, Mp4, Webm, Gif, PngSequence, Ply, Obj, Stl, Glb, Gltf, Csv };

struct ExportSettings {
    ExportKind kind = ExportKind::Image;
    std::string output;
    OutputFormat format = OutputFormat::Png;

    // Surface.
    SurfaceOptions surface;  // the method and its lobes
    double time = 0;
    int strips = 8;
    bool stripsGiven = false;
    int stripsShown = -1;  // -1: all strips (or lunes)
    int hemispheres = 2;
    bool halfStrips = false;
    int latitudinalPatches = 12;
    int longitudinalPatches = 12;

    // Picture. A zero size means the viewer's window: 512 x 512, twice as
    // wide in stereo.
    int width = 0;
    int height = 0;
    int displayMode = 2;  // 0 points, 1 wireframe, 2 strips, 3 checkerboard, 4 rows
    bool flat = false;
    bool alphaBlending = false;
    float alpha = 0.3f;
    int cull = 0;  // 0 none, 1 back faces, 2 front faces
    bool axes = false;
    bool target = false;
    bool text = true;
    bool stereo = false;
    float stereoDistance = 0.1f;
    float orbitX = 0;  // an Alt + left drag from the home view, in pixels
    float orbitY = 0;
    int samples = 0;   // multisampling; 0 draws straight into single samples
    // Colours, bands, graticule and tracks by origin, and the parallel
    // projection: the viewer's own options. The picture of the image scheme
    // is read by the export, not by the parser.
    OriginLook look;
    bool orthographic = false;

    // Curves: the triple points' file, when asked (CSV).
    std::string triplePoints;

    // Movie.
    double from = 0;
    double to = 1;
    int frames = 101;
    double fps = 25;
    bool rotate = false;
};

// Largest patch count either way: the grid alone is then 400 MB.
constexpr int maxPatches = 4096;
constexpr int minImageSide = 16;

struct ParseOutcome {
    bool ok = false;
    bool help = false;   // --help: print usageText and succeed
    bool version = false;  // --version: print the name and version and succeed
    std::string error;   // one line, without the program name or newline
    ExportSettings settings;
};

ParseOutcome parseExportArguments(int argc, const char* const* argv);

// The usage text printed by --help.
const char* usageText();
