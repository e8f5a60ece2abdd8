#pragma once
// The options every front end takes for what surface is shown, with the same
// names and meanings: --method corrugations|ruled, --lobes N (2 to 5, the
// ruled method's only) and --double-curves (where the surface passes through
// itself). Read left to right like the look's options (see
// parseLookOption); a fault of the whole line, such as lobes given for the
// corrugation method, is found by checkSurfaceOptions once every word is
// read. Messages are one line, without the program name or a newline.
#include <string>

#include "eversion/EversionMethod.h"

struct AppState;

struct SurfaceOptions {
    EversionMethod method = EversionMethod::Corrugations;
    int lobes = 2;
    bool lobesGiven = false;
    bool doubleCurves = false;
};

// Reads the option at argv[i]: how many words it used (0 when it is none of
// these), or -1 with `error` set for a bad value.
int parseSurfaceOption(int argc, const char* const* argv, int i, SurfaceOptions& options, std::string& error);
// Empty when the options go together, else the reason.
std::string checkSurfaceOptions(const SurfaceOptions& options);
// The method and lobes onto the mesh (all lunes shown), and the curves.
void applySurfaceOptions(const SurfaceOptions& options, AppState& state);

// The lines of usage text for these options.
extern const char* const surfaceUsage;
