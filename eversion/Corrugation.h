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

// The wave's terms at one phase across the strip (v mod 1). They depend on v
// alone, so a grid computes them once per column.
struct WavePhase {
    Jet4 across;       // S(2v): the across coordinate of the wave
    Jet4 loops;        // the height on the two stacked loops, 0 -> 2.4 -> 0
    Jet4 sag;          // loops^2 / 64: how far the bend pulls along the meridian
    Jet4 figureEight;  // 2 (1 - C(v)): the height on the single figure eight
};

// 1 - C(2v) climbs 0 -> 2 -> 0 over the phase; flipping the middle half about
// 2 makes it 0 -> 2 -> 4 -> 2 -> 0, and the 0.6 makes each of the two stacked
// loops 1.2 tall. The phase is v mod 1 and every term but figureEight's
// derivative vanishes at phase 0, so strip borders stay on the base surface.
inline WavePhase wavePhase(Jet4 v)
{
    wrap(v, 1);
    Jet4 h = (cosTurns(v * 2) + (-1)) * (-1);
    if (v > 0.25 && v < 0.75)
        h = h * (-1) + 4;
    h = h * 0.6;
    WavePhase w;
    w.loops = h;
    w.sag = (h * h) * 0.015625;
    w.figureEight = (cosTurns(v) + (-1)) * (-2);
    w.across = sinTurns(v * 2);
    return w;
}

// The wave across one strip in the frame (across, height), with bend adding
// a sag along the meridian tangent that grows with the square of the height.
// shape 1 traces two stacked ellipses, shape 0 a single figure eight; the
// height between them is lerp(figureEight, loops, shape), spelled out so that
// a grid forms shapeRest = 1 - shape once per row.
inline Jet4Vec waveOffset(const Jet4Vec& across, const Jet4Vec& height, const Jet4Vec& bend, Jet4 shape,
                          Jet4 shapeRest, const WavePhase& w)
{
    const Jet4Vec bentHeight = height + bend * w.sag;
    const Jet4 k = (w.figureEight * shapeRest) + w.loops * shape;
    return across * w.across + bentHeight * k;
}

// 1 - shape as lerp forms it.
constexpr Jet4 complement(Jet4 shape)
{
    return (shape * -1) + 1;
}

inline Jet4Vec corrugationOffset(const Jet4Vec& across, const Jet4Vec& height,
                                 const Jet4Vec& bend, Jet4 shape, Jet4 v)
{
    return waveOffset(across, height, bend, shape, complement(shape), wavePhase(v));
}

// Everything of a surface point that depends on u alone: the meridian point
// and the frame the wave is laid in, already scaled by the stage's amplitude
// and depth. A grid computes it once per row.
struct StripFrame {
    Jet4Vec meridian;  // the base point on the meridian v = 0
    Jet4Vec across;    // across the strip, 1.1 x scaled depth long
    Jet4Vec height;    // along the surface normal, scaled depth long
    Jet4Vec bend;      // meridian tangent x d(scaled depth)/du
    Jet4 shape;        // 0 without corrugation, 1 at full amplitude
    Jet4 shapeRest;    // 1 - shape
};

// Everything that depends on v alone: the wave's phase terms and the turn of
// the strip about z by v / stripCount turns. A grid computes it once per
// column.
struct StripColumn {
    WavePhase wave;
    Jet4 turnSin;
    Jet4 turnCos;
};

// Builds the moving frame of the base point (meridian tangent, normal, across
// direction) and scales it by amplitude x depth. u is the incoming meridian
// parameter; its u-speed divides the bend term.
inline StripFrame corrugationFrame(const Jet8Vec& base, Jet8 u, Jet8 amplitude, Jet8 depth)
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

    StripFrame f;
    f.height = normal * toJet4(scaled);
    // The sign of scaled enters the cross product and the factor, so the
    // across direction does not flip with the sign of the depth.
    f.across = normalize(cross(f.height, tangent)) * (toJet4(scaled) * 1.1);
    f.bend = (tangent * partial(scaled, 0)) * pow(partial(u, 0), -1);
    f.shape = toJet4(shape);
    f.shapeRest = complement(f.shape);
    f.meridian = toJet4Vec(meridian);
    return f;
}

inline StripColumn stripColumn(Jet4 v, int stripCount)
{
    StripColumn c;
    c.wave = wavePhase(v);
    const Jet4 turn = v * (1.0 / stripCount);
    c.turnSin = sinTurns(turn);
    c.turnCos = cosTurns(turn);
    return c;
}

// The surface point of one row and one column: the wave laid in the row's
// frame, then the strip turned into place.
inline Jet4Vec placeOnStrip(const StripFrame& f, const StripColumn& c)
{
    const Jet4Vec placed = f.meridian + waveOffset(f.across, f.height, f.bend, f.shape, f.shapeRest, c.wave);
    return rotateZ(placed, c.turnSin, c.turnCos);
}

// The whole corrugation at one point: frame, wave and turn, in the same
// operations a grid performs row by row and column by column.
inline Jet4Vec applyCorrugation(const Jet8Vec& base, Jet8 u, Jet4 v, Jet8 amplitude, Jet8 depth,
                                int stripCount)
{
    return placeOnStrip(corrugationFrame(base, u, amplitude, depth), stripColumn(v, stripCount));
}
