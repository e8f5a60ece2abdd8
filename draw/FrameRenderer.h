#pragma once
// Draws one frame of the viewer into the current OpenGL context: one view in
// mono, two side-by-side views in stereo (left eye in the left half), each
// with the optional decorations, the lit surface and the heads-up text. The
// caller swaps the buffers.
struct AppState;

void renderFrame(AppState& state);
