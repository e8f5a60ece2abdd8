#pragma once
// The command line: --help/-h, --version, --root/-r, --stereo/-s [distance].
// Arguments are whole, case-sensitive words read left to right; anything else
// is ignored without a message.
#include <cstdio>

struct AppState;

// Applies the arguments to `state`. Returns false when the usage text was
// written to `err`, or the name and version ("vedoze-vaderuve 1.0") to `out`,
// and the program should exit with status 0 at once, before any window.
// Writes "Using stereo distance of ..." to `out` when stereo is chosen.
bool parseCommandLine(int argc, char** argv, AppState& state, std::FILE* out, std::FILE* err);
