#pragma once
// The project's version, as the build system's project version gives it
// (for example "1.0"): the same string in the desktop viewer, the exporter,
// the web page and the package.
#ifndef VV_VERSION
#error "VV_VERSION comes from the build system"
#endif

inline constexpr const char* kVersion = VV_VERSION;
