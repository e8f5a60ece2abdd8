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
// Started after the frame rather than in it, the search does not take the
// cores from a software rasteriser while it draws.
// NOTE: app_frame_bench renderCurveSteps (Xvfb, 2 cores, 12 x 12): the
// frame that shows a step at t = 0.5 and 0.75 took 22 and 17 ms with its
// curves found ahead, 42 and 39 ms with them found in it, and 19 and 24 ms
// drawn again with no step.
void prepareAhead(const AppState& state);
