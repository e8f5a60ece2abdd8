#pragma once
// How every front end draws the double curves: the parts the surface hides
// as thin grey lines seen through every sheet, the parts in sight as thick
// white lines edged in black, which read on both sides of the surface and on
// every colour scheme, and the triple points as black rings round a white
// dot, over everything. Widths and sizes in pixels of the window (the page
// scales them to device pixels); greys from 0 (black) to 1 (white).
#include <array>

// One pass over the curves' lines, in the order drawn.
struct CurvePass {
    float width;
    float grey;
    bool depthTested;  // against the surface; never while blending shows every sheet
};

inline std::array<CurvePass, 3> curvePasses(bool blending)
{
    return {{{1.5f, 0.7f, false}, {5.0f, 0.0f, !blending}, {2.0f, 1.0f, !blending}}};
}

constexpr float triplePointRing = 12.0f;
constexpr float triplePointDot = 6.0f;
