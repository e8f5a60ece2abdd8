#pragma once
// Runs one export from parsed settings: checks everything it can before any
// work (output folder writable, ffmpeg present, an EGL display, the size
// within the renderer's limits), then renders or samples and writes through
// a pending file. Messages go to `err` as one line each.
//
// Returns the exit status: 0 done, 2 bad input or an unusable environment
// (nothing written), 1 a failure while writing (nothing left behind).
#include <cstdio>

#include "export/ExportSettings.h"

constexpr int exitBadInput = 2;
constexpr int exitFailed = 1;

int runExport(const ExportSettings& settings, std::FILE* err);
