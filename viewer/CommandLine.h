#pragma once
// The command line: --help/-h, --version, --root/-r, --stereo/-s [distance],
// and the origin look's options (see parseLookOption in OriginLook.h).
// Arguments are whole, case-sensitive words read left to right; unknown words
// are ignored without a message.
#include <cstdio>

struct AppState;

// Applies the arguments to `state`. Returns false when the usage text was
// written to `err`, or the name and version ("vedoze-vaderuve 1.0") to `out`,
// and the program should exit with status 0 at once, before any window.
// Writes "Using stereo distance of ..." to `out` when stereo is chosen. A bad
// value of an origin-look option writes one line to `err`, sets *badValue
// (when given) and stops reading; the desktop then exits with status 2.
bool parseCommandLine(int argc, char** argv, AppState& state, std::FILE* out, std::FILE* err,
                      bool* badValue = nullptr);
