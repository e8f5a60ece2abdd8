#pragma once
// The built-in font as an OpenGL alpha texture (linear filtering, clamped,
// modulating the current colour), uploaded from the packed bitmap on first
// use and kept for the life of the context. Needs a current OpenGL context;
// a missing bitmap is a failed consistency check.
unsigned int fontTextureId();
