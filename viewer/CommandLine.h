#pragma once
// The command line: --help/-h, --version, --root/-r, --stereo/-s [distance],
// --seam-free,
// the eversion's method and lobes (SurfaceOptions.h) and the origin look's
// options (see parseLookOption in OriginLook.h).
// Arguments are whole, case-sensitive words read left to right; unknown words
// are ignored without a message.
#include <cstdio>

struct AppState;

// Applies the arguments to `state`. Returns false when the usage text was
// written to `err`, or the name and version ("vedoze-vaderuve 1.0") to `out`,
// and the program should exit with status 0 at once, before any window.
// Writes "Using stereo distance of ..." to `out` when stereo is chosen. A bad
// value of a method or origin-look option, or lobes without the ruled method,
// writes one line to `err` and sets *badValue (when given); a bad value also
// stops the reading. The desktop then exits with status 2.
bool parseCommandLine(int argc, char** argv, AppState& state, std::FILE* out, std::FILE* err,
                      bool* badValue = nullptr);

// The usage line of --seam-free, which only the desktop offers (the other
// front ends always draw that way).
extern const char* const seamFreeUsage;
