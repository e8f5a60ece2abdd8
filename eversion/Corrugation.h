#pragma once
// The corrugation laid over a stage's base surface, and the placement of the
// strip around the z axis.
//
// One strip carries one figure-eight wave across it; one unit of v is one
// strip and turns it by 1 / stripCount turn about z (angles in turns). The
// base point comes in as a Jet8Vec on the meridian v = 0 carrying its
// derivative across the strip; the result is the final surface point as a
// Jet4Vec, whose du and dv fields are the surface tangents.
//
// Defined inline for the same reason as the stage geometry (see
// StageGeometry.h): the stage functions inline their whole call tree.
#include "eversion/MeridianFold.h"
#include "jets/JetVec.h"

// How much corrugation is present along the meridian: 0 near the poles (folded
// u up to 0.05 / 1.06), a smoothstep rise, 1 from 1.05 / 1.06 to the equator.
// Symmetric about the equator u = 1.
inline Jet8 corrugationEnvelope(Jet8 u)
{
    const Jet8 y = foldAboutEquator(u) * 1.06 + (-0.05);
    if (y < 0)
        return Jet8(0, 0, 0);
    if (y > 1)
        return Jet8(1, 0, 0);
    return pow(y, 2) * 3 + pow(y, 3) * (-2);
}

// The wave's depth: -0.2 times the folded smoothstep of u, so 0 at the poles
// and -0.2 at the equator. Negative because the frame's normal (below) points
// into the sphere: the wave rises outward.
inline Jet8 corrugationDepth(Jet8 u)
{
    const Jet8 x = foldAboutEquator(u);
    return (pow(x, 2) * 3 + pow(x, 3) * (-2)) * (-0.2);
}

// The wave across one strip in the frame (across, height), with bend adding
// a sag along the meridian tangent that grows with the square of the height.
// shape 1 traces two stacked ellipses, shape 0 a single figure eight. The
// phase is v mod 1 and the offset vanishes at phase 0, so strip borders stay
// on the base surface.
inline Jet4Vec corrugationOffset(const Jet4Vec& across, const Jet4Vec& height,
                                 const Jet4Vec& bend, Jet4 shape, Jet4 v)
{
    wrap(v, 1);
    // 1 - C(2v) climbs 0 -> 2 -> 0 over the phase; flipping the middle half
    // about 2 makes it 0 -> 2 -> 4 -> 2 -> 0, and the 0.6 makes each of the
    // two stacked loops 1.2 tall.
    Jet4 h = (cosTurns(v * 2) + (-1)) * (-1);
    if (v > 0.25 && v < 0.75)
        h = h * (-1) + 4;
    h = h * 0.6;
    const Jet4Vec bentHeight = height + bend * ((h * h) * 0.015625);
    const Jet4 k = lerp((cosTurns(v) + (-1)) * (-2), h, shape);
    return across * sinTurns(v * 2) + bentHeight * k;
}

// Builds the moving frame of the base point (meridian tangent, normal, across
// direction), lays the wave scaled by amplitude x depth in it, and turns the
// result by v / stripCount turns about z. u is the incoming meridian
// parameter; its u-speed divides the bend term.
inline Jet4Vec applyCorrugation(const Jet8Vec& base, Jet8 u, Jet4 v, Jet8 amplitude, Jet8 depth,
                                int stripCount)
{
    const Jet8 scaled = amplitude * depth;
    // 2a - a^2 reaches the stacked ellipses at full amplitude with zero slope.
    const Jet8 shape = amplitude * 2 + (amplitude * amplitude) * (-1);

    // The frame must not vary across the strip: all v-dependence of the result
    // comes from the wave's phase and the final turn about z, so the base's
    // own v-derivatives are dropped before the frame is built.
    const Jet4Vec across0 = holdFixed(partial(base, 1), 1);
    const Jet8Vec meridian = holdFixed(base, 1);
    const Jet4Vec tangent = normalize(partial(meridian, 0));
    const Jet4Vec normal = normalize(cross(tangent, across0));

    const Jet4Vec height = normal * toJet4(scaled);
    // The sign of scaled enters the cross product and the factor, so the
    // across direction does not flip with the sign of the depth.
    const Jet4Vec across = normalize(cross(height, tangent)) * (toJet4(scaled) * 1.1);
    const Jet4Vec bend = (tangent * partial(scaled, 0)) * pow(partial(u, 0), -1);

    const Jet4Vec offset = corrugationOffset(across, height, bend, toJet4(shape), v);
    const Jet4Vec placed = toJet4Vec(meridian) + offset;
    return rotateZ(placed, v * (1.0 / stripCount));
}
