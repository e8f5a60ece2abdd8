#pragma once
// The shape of one eversion stage: the surface point at parameters (u, v) for
// a stage-local fraction in [0, 1] and a strip count.
//
// u runs from the pole (0) to the equator (1) along the meridian, v across the
// strips (one unit of v is one strip). The sampler seeds u as the Jet8
// (u, du = 1) and v as (v, dv = 1); the returned point carries its first and
// mixed partial derivatives, from which the normal is formed.
#include "jets/JetVec.h"

using StageFunction = Jet4Vec (*)(Jet8 u, Jet8 v, double fraction, int stripCount);
