#include "viewer/CommandLine.h"

#include <cstdlib>
#include <cstring>

#include <string>

#include "viewer/AppState.h"
#include "viewer/SurfaceOptions.h"
#include "viewer/Version.h"

const char* const seamFreeUsage =
    "  --seam-free            draw the strips or lunes turned into place in double\n"
    "                         precision, so that their edges meet without pinholes\n";

namespace {
bool is(const char* argument, const char* longName, const char* shortName)
{
    return std::strcmp(argument, longName) == 0 || std::strcmp(argument, shortName) == 0;
}
}

bool parseCommandLine(int argc, char** argv, AppState& state, std::FILE* out, std::FILE* err,
                      bool* badValue)
{
    const char* program = argc > 0 && argv[0] ? argv[0] : "vedoze-vaderuve";
    const auto fault = [&](const std::string& text) {
        std::fprintf(err, "%s: %s\n", program, text.c_str());
        std::fflush(err);
        if (badValue)
            *badValue = true;
    };
    SurfaceOptions surface;
    surface.method = state.mesh.method;
    surface.lobes = state.mesh.lobes;
    surface.doubleCurves = state.doubleCurves;
    bool faulty = false;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (is(argument, "--help", "-h")) {
            std::fprintf(err, "\nUsage: %s [--help] [--root] [--stereo [stereo_distance]]\n\n",
                         argc > 0 && argv[0] ? argv[0] : "vedoze-vaderuve");
            std::fprintf(err, "The eversion:\n%s%s\n", surfaceUsage, seamFreeUsage);
            std::fprintf(err, "Showing where each point of the sphere started:\n%s\n", lookUsage);
            std::fflush(err);
            return false;
        }
        if (std::strcmp(argument, "--version") == 0) {
            std::fprintf(out, "vedoze-vaderuve %s\n", kVersion);
            std::fflush(out);
            return false;
        }
        std::string error;
        int used = parseLookOption(argc, argv, i, state.look, state.orthographic, error);
        if (used == 0)
            used = parseSurfaceOption(argc, argv, i, surface, error);
        if (used < 0) {
            fault(error);
            faulty = true;
            break;
        }
        if (used > 0) {
            i += used - 1;
            continue;
        }
        if (std::strcmp(argument, "--seam-free") == 0)
            state.seamFree = true;
        if (is(argument, "--root", "-r")) {
            state.animateEversion = true;
            state.animateRotation = true;
            state.showText = false;
            state.showWorldAxes = false;
        }
        if (is(argument, "--stereo", "-s")) {
            state.stereo = true;
            // The next word is the distance unless it is another flag; a word
            // that is no number gives what atof gives (0).
            if (i + 1 < argc && !is(argv[i + 1], "--root", "-r") && !is(argv[i + 1], "--help", "-h") &&
                std::strcmp(argv[i + 1], "--version") != 0) {
                state.stereoDistance = static_cast<float>(std::atof(argv[i + 1]));
                ++i;
            }
        }
    }
    // The method is taken only from a line without faults.
    if (!faulty) {
        const std::string mismatch = checkSurfaceOptions(surface);
        if (mismatch.empty())
            applySurfaceOptions(surface, state);
        else
            fault(mismatch);
    }
    if (state.stereo) {
        std::fprintf(out, "Using stereo distance of %f\n", state.stereoDistance);
        std::fflush(out);
    }
    return true;
}
