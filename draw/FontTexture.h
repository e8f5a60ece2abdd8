#pragma once
// The built-in font as an OpenGL alpha texture (linear filtering, clamped,
// modulating the current colour), uploaded from the packed bitmap on first
// use and kept for the life of the context. Needs a current OpenGL context;
// a missing bitmap is a failed consistency check.
unsigned int fontTextureId();

// The context that held the texture is gone: the next fontTextureId uploads
// the font into whichever context is current then. Call it when destroying
// a context in a process that may draw text in another one later.
void forgetFontTexture();
