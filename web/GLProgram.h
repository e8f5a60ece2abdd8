#pragma once
// Compiling and linking the renderer's shader programs in the current WebGL 2
// context. A shader that does not compile or link is a build fault of this
// program: its log goes to standard error (the browser console) and the
// returned name is 0, which draws nothing.

// Links `vertex` and `fragment`, each preceded by "#version 300 es" and
// `prelude` (definitions such as the interpolation qualifier).
unsigned int buildProgram(const char* vertex, const char* fragment, const char* prelude);
