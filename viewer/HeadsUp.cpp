#include "viewer/HeadsUp.h"

#include <cmath>
#include <cstdio>

#include "viewer/AppState.h"

void formatTimeLine(const AppState& state, char* buffer, int size)
{
    // deltaT is a power of two, so 1 / deltaT is a whole number.
    const int steps = static_cast<int>(std::lround(1.0 / state.deltaT));
    std::snprintf(buffer, static_cast<size_t>(size), "t = %.4f, delta_t = 1/%d", state.mesh.t, steps);
}

void formatAlphaLine(const AppState& state, char* buffer, int size)
{
    std::snprintf(buffer, static_cast<size_t>(size), "alpha = %.3f", state.alpha);
}

void formatStereoLine(const AppState& state, char* buffer, int size)
{
    std::snprintf(buffer, static_cast<size_t>(size), "stereo distance = %.3f", state.stereoDistance);
}

void formatCurvesLine(int curves, int triplePoints, char* buffer, int size)
{
    std::snprintf(buffer, static_cast<size_t>(size), "double curves: %d, triple points: %d", curves, triplePoints);
}
