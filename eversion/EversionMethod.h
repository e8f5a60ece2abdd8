#pragma once
// The two ways the viewer turns the sphere inside out: the five-stage
// corrugation eversion (Eversion.h) and the seven-step ruled-surface
// eversion (RuledSurface.h). Both run from the sphere at t = 0 to the sphere
// with every point at its antipode at t = 1, and both give every point its
// origin on the sphere in the same way (Origin.h), so everything drawn by
// origin works on either.
enum class EversionMethod { Corrugations, Ruled };
