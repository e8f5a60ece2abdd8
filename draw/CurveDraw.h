#pragma once
// The double curves in fixed-function OpenGL, in the style of CurveStyle.h:
// thin grey lines through every sheet for the parts the surface hides, thick
// white lines edged in black for the parts in sight (depth-tested against the
// surface, pushed back as for the graticule, unless blending shows every
// sheet), and the triple points over everything. Needs a current context;
// one thread.
struct AppState;
struct CurveDisplay;
struct CurvePrefetch;

// Finds the curves again first when the surface changed, taking them from
// `prefetch` if they were found ahead.
void drawDoubleCurves(const AppState& state, CurveDisplay& curves, CurvePrefetch& prefetch);
