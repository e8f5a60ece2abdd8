#pragma once
// Draws one frame of the viewer into the current OpenGL context: one view in
// mono, two side-by-side views in stereo (left eye in the left half), each
// with the optional decorations, the lit surface and the heads-up text. The
// caller swaps the buffers.
struct AppState;

void renderFrame(AppState& state);
// Once the frame is shown: starts finding what the animation's next step
// will show (the double curves, on a thread of their own), so that the
// frame then finds it ready. Nothing while the eversion does not animate.
// NOTE: started within the frame, the search took the cores from the
// software rasteriser: the frame after a step at t = 0.75 took 17 ms
// rather than 6 (Xvfb, 2 cores).
void prepareAhead(const AppState& state);
