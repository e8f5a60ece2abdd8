#pragma once
// Animation, mouse and window-size handling as state transitions, kept apart
// from GLUT so that they can be exercised without a window.
//
// Pixel positions are window pixels with rows counted downward, as GLUT
// reports them.
struct AppState;

// Marks the timer as pending and returns true when a new timer chain must be
// armed (an animation is on and none is pending).
bool timerShouldStart(AppState& state);

// One animation tick. Returns false when both animations are off: the chain
// ends (the pending flag is cleared) and nothing is redrawn. Otherwise the
// caller redraws and arms the next tick.
bool timerTick(AppState& state);

// The time the eversion shows after the animation's next step that moves it
// (past a rest at either end), clamped into [0, 1] as the rebuild does: what
// to prepare ahead while this step is on screen.
double eversionTimeAhead(const AppState& state);

// A button press or release; `modifiers` holds the shift (1), ctrl (2) and
// alt (4) bits, sampled here and kept for the whole drag.
void mouseButton(AppState& state, int button, int isDown, int x, int y, int modifiers);
// Pointer motion with a button held: camera, time, alpha or eye separation.
void mouseDrag(AppState& state, int x, int y);
void mouseHover(AppState& state, int x, int y);

// The window's new size. Returns true when the camera took the new viewport;
// sizes too small for a viewport (under 2 pixels per view either way) leave
// the last valid one in place.
bool reshapeViews(AppState& state, int width, int height);
