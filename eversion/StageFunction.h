#pragma once
// The shape of one eversion stage: the surface point at parameters (u, v) for
// a stage-local fraction in [0, 1] and a strip count.
//
// u runs from the pole (0) to the equator (1) along the meridian, v across the
// strips (one unit of v is one strip). The sampler seeds u as the Jet8
// (u, du = 1) and v as (v, dv = 1); the returned point carries its first and
// mixed partial derivatives, from which the normal is formed.
#include "eversion/Corrugation.h"
#include "jets/JetVec.h"

using StageFunction = Jet4Vec (*)(Jet8 u, Jet8 v, double fraction, int stripCount);

// The part of a stage that depends on u alone: the stage function at (u, v)
// is placeOnStrip(row(u, fraction), stripColumn(toJet4(v), stripCount)), bit
// for bit, so a grid evaluates it once per row.
using StageRowFunction = StripFrame (*)(Jet8 u, double fraction);

// A stage function on the reduced jets (Jet5 in, Jet3Vec out): the point's
// value, du and dv exactly as the StageFunction of the same stage gives them,
// without the mixed derivative and at a fraction of the cost.
using StageFirstOrderFunction = Jet3Vec (*)(Jet5 u, Jet5 v, double fraction, int stripCount);
