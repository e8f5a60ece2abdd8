#pragma once
// The corrugation laid over a stage's base surface, and the placement of the
// strip around the z axis.
//
// One strip carries one figure-eight wave across it; one unit of v is one
// strip and turns the strip by 1 / stripCount turn about z (angles in turns).
// The base point comes in as a Jet8Vec on the meridian v = 0 carrying its
// derivative across the strip; the result is the final surface point as a
// Jet4Vec, whose du and dv fields are the surface tangents.
#include "jets/JetVec.h"

// How much corrugation is present along the meridian: 0 near the poles (folded
// u up to about 0.047), a smoothstep rise, 1 from about 0.99 to the equator.
// Symmetric about the equator u = 1.
Jet8 corrugationEnvelope(Jet8 u);
// The wave's depth scale: -0.2 times the folded smoothstep of u, so 0 at the
// poles and -0.2 at the equator. Negative: the wave rises against the normal.
Jet8 corrugationDepth(Jet8 u);

// The wave across one strip, in the frame (across, height) with bend adding
// a sideways sag along the meridian tangent. shape 1 traces two stacked
// ellipses, shape 0 a single figure eight; the phase is v mod 1 and the
// offset vanishes at phase 0, so strip borders stay on the base surface.
Jet4Vec corrugationOffset(const Jet4Vec& across, const Jet4Vec& height, const Jet4Vec& bend,
                          Jet4 shape, Jet4 v);

// Builds the moving frame of the base point (meridian tangent, normal, across
// direction), lays the wave scaled by amplitude x depth in it, and turns the
// result by v / stripCount turns about z. u is the incoming meridian
// parameter; its u-speed divides the bend term.
Jet4Vec applyCorrugation(const Jet8Vec& base, Jet8 u, Jet4 v, Jet8 amplitude, Jet8 depth,
                         int stripCount);
