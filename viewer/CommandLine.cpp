#include "viewer/CommandLine.h"

#include <cstdlib>
#include <cstring>

#include <string>

#include "viewer/AppState.h"
#include "viewer/Version.h"

namespace {
bool is(const char* argument, const char* longName, const char* shortName)
{
    return std::strcmp(argument, longName) == 0 || std::strcmp(argument, shortName) == 0;
}
}

bool parseCommandLine(int argc, char** argv, AppState& state, std::FILE* out, std::FILE* err,
                      bool* badValue)
{
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (is(argument, "--help", "-h")) {
            std::fprintf(err, "\nUsage: %s [--help] [--root] [--stereo [stereo_distance]]\n\n",
                         argc > 0 && argv[0] ? argv[0] : "vedoze-vaderuve");
            std::fprintf(err, "Showing where each point of the sphere started:\n%s\n", lookUsage);
            std::fflush(err);
            return false;
        }
        if (std::strcmp(argument, "--version") == 0) {
            std::fprintf(out, "vedoze-vaderuve %s\n", kVersion);
            std::fflush(out);
            return false;
        }
        std::string fault;
        const int used = parseLookOption(argc, argv, i, state.look, state.orthographic, fault);
        if (used < 0) {
            std::fprintf(err, "%s: %s\n", argv[0] ? argv[0] : "vedoze-vaderuve", fault.c_str());
            std::fflush(err);
            if (badValue)
                *badValue = true;
            break;
        }
        if (used > 0) {
            i += used - 1;
            continue;
        }
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
    if (state.stereo) {
        std::fprintf(out, "Using stereo distance of %f\n", state.stereoDistance);
        std::fflush(out);
    }
    return true;
}
