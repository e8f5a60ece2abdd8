#pragma once
// The command line: --help/-h, --root/-r, --stereo/-s [distance]. Arguments
// are whole, case-sensitive words read left to right; anything else is
// ignored without a message.
#include <cstdio>

struct AppState;

// Applies the arguments to `state`. Returns false when the usage text was
// written to `err` and the program should exit with status 0 at once.
// Writes "Using stereo distance of ..." to `out` when stereo is chosen.
bool parseCommandLine(int argc, char** argv, AppState& state, std::FILE* out, std::FILE* err);
