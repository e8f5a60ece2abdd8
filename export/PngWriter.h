#pragma once
// Writes 8-bit RGB pictures as PNG through libpng. The rows are tightly
// packed, top row first. Returns false with a one-line reason on any fault
// of libpng or the stream; the caller owns the stream and closes it.
#include <cstdio>
#include <string>

bool writePng(std::FILE* file, int width, int height, const unsigned char* rgb, std::string& error);
