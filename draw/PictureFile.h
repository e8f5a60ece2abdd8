#pragma once
// Reads the picture of the `image` colour scheme from a PNG file (any PNG
// colour type, converted to 8-bit RGBA, the top row first). Not OpenGL: it
// lives with the drawing code because both desktop front ends read it.
#include <string>

#include "viewer/OriginLook.h"

// Loads look.imagePath when the look asks for an image and has none yet.
// Returns false with one line in `error` (no program name, no newline) when
// the file is missing, unreadable, not a PNG or not equirectangular; the
// look is then left as it was.
bool loadLookPicture(OriginLook& look, std::string& error);
