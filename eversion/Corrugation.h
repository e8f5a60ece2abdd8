#pragma once
// The corrugation laid over a stage's base surface, and the placement of the
// strip around the z axis.
//
// One strip carries one figure-eight wave across it; one unit of v is one
// strip and turns it by 1 / stripCount turn about z (angles in turns). The
// base point comes in as a vector of row jets on the meridian v = 0 carrying
// its derivative across the strip; the result is the final surface point as a
// vector of column jets, whose du and dv fields are the surface tangents.
// Row jet Jet8 goes with column jet Jet4, which keeps the mixed derivative the
// normals need; Jet5 goes with Jet3 and yields the same value, du and dv bit
// for bit without it.
//
// Defined inline for the same reason as the stage geometry (see
// StageGeometry.h): the stage functions inline their whole call tree.
#include "eversion/MeridianFold.h"
#include "jets/JetVec.h"

// The column jet that goes with a row jet.
template <class Row>
using ColumnJet = decltype(truncate(Row{}));

// How much corrugation is present along the meridian: 0 near the poles (folded
// u up to 0.05 / 1.06), a smoothstep rise, 1 from 1.05 / 1.06 to the equator.
// Symmetric about the equator u = 1.
template <class Row>
inline Row corrugationEnvelope(Row u)
{
    const Row y = foldAboutEquator(u) * 1.06 + (-0.05);
    if (y < 0)
        return Row(0, 0, 0);
    if (y > 1)
        return Row(1, 0, 0);
    return pow(y, 2) * 3 + pow(y, 3) * (-2);
}

// The wave's depth: -0.2 times the folded smoothstep of u, so 0 at the poles
// and -0.2 at the equator. Negative because the frame's normal (below) points
// into the sphere: the wave rises outward.
template <class Row>
inline Row corrugationDepth(Row u)
{
    const Row x = foldAboutEquator(u);
    return (pow(x, 2) * 3 + pow(x, 3) * (-2)) * (-0.2);
}

// The wave's terms at one phase across the strip (v mod 1). They depend on v
// alone, so a grid computes them once per column.
template <class J>
struct WavePhaseOf {
    J across;       // S(2v): the across coordinate of the wave
    J loops;        // the height on the two stacked loops, 0 -> 2.4 -> 0
    J sag;          // loops^2 / 64: how far the bend pulls along the meridian
    J figureEight;  // 2 (1 - C(v)): the height on the single figure eight
};
using WavePhase = WavePhaseOf<Jet4>;

// 1 - C(2v) climbs 0 -> 2 -> 0 over the phase; flipping the middle half about
// 2 makes it 0 -> 2 -> 4 -> 2 -> 0, and the 0.6 makes each of the two stacked
// loops 1.2 tall. The phase is v mod 1 and every term but figureEight's
// derivative vanishes at phase 0, so strip borders stay on the base surface.
template <class J>
inline WavePhaseOf<J> wavePhase(J v)
{
    wrap(v, 1);
    J h = (cosTurns(v * 2) + (-1)) * (-1);
    if (v > 0.25 && v < 0.75)
        h = h * (-1) + 4;
    h = h * 0.6;
    WavePhaseOf<J> w;
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
template <class J>
inline JetVector<J> waveOffset(const JetVector<J>& across, const JetVector<J>& height, const JetVector<J>& bend,
                               J shape, J shapeRest, const WavePhaseOf<J>& w)
{
    const JetVector<J> bentHeight = height + bend * w.sag;
    const J k = (w.figureEight * shapeRest) + w.loops * shape;
    return across * w.across + bentHeight * k;
}

// 1 - shape as lerp forms it.
template <class J>
constexpr J complement(J shape)
{
    return (shape * -1) + 1;
}

template <class J>
inline JetVector<J> corrugationOffset(const JetVector<J>& across, const JetVector<J>& height,
                                      const JetVector<J>& bend, J shape, J v)
{
    return waveOffset(across, height, bend, shape, complement(shape), wavePhase(v));
}

// Everything of a surface point that depends on u alone: the meridian point
// and the frame the wave is laid in, already scaled by the stage's amplitude
// and depth. A grid computes it once per row.
template <class J>
struct StripFrameOf {
    JetVector<J> meridian;  // the base point on the meridian v = 0
    JetVector<J> across;    // across the strip, 1.1 x scaled depth long
    JetVector<J> height;    // along the surface normal, scaled depth long
    JetVector<J> bend;      // meridian tangent x d(scaled depth)/du
    J shape;                // 0 without corrugation, 1 at full amplitude
    J shapeRest;            // 1 - shape
};
using StripFrame = StripFrameOf<Jet4>;

// Everything that depends on v alone: the wave's phase terms and the turn of
// the strip about z by v / stripCount turns. A grid computes it once per
// column.
template <class J>
struct StripColumnOf {
    WavePhaseOf<J> wave;
    J turnSin;
    J turnCos;
};
using StripColumn = StripColumnOf<Jet4>;

// Builds the moving frame of the base point (meridian tangent, normal, across
// direction) and scales it by amplitude x depth. u is the incoming meridian
// parameter; its u-speed divides the bend term.
template <class Row>
inline StripFrameOf<ColumnJet<Row>> corrugationFrame(const JetVector<Row>& base, Row u, Row amplitude, Row depth)
{
    using J = ColumnJet<Row>;
    const Row scaled = amplitude * depth;
    // 2a - a^2 reaches the stacked ellipses at full amplitude with zero slope.
    const Row shape = amplitude * 2 + (amplitude * amplitude) * (-1);

    // The frame must not vary across the strip: all v-dependence of the result
    // comes from the wave's phase and the final turn about z, so the base's
    // own v-derivatives are dropped before the frame is built.
    const JetVector<J> across0 = partialAcrossHeld(base);
    const JetVector<Row> meridian = holdFixed(base, 1);
    const JetVector<J> tangent = normalize(partialAlong(meridian));
    const JetVector<J> normal = normalize(cross(tangent, across0));

    StripFrameOf<J> f;
    f.height = normal * truncate(scaled);
    // The sign of scaled enters the cross product and the factor, so the
    // across direction does not flip with the sign of the depth.
    f.across = normalize(cross(f.height, tangent)) * (truncate(scaled) * 1.1);
    f.bend = (tangent * partialAlong(scaled)) * pow(partialAlong(u), -1);
    f.shape = truncate(shape);
    f.shapeRest = complement(f.shape);
    f.meridian = truncate(meridian);
    return f;
}

template <class J>
inline StripColumnOf<J> stripColumn(J v, int stripCount)
{
    StripColumnOf<J> c;
    c.wave = wavePhase(v);
    const J turn = v * (1.0 / stripCount);
    c.turnSin = sinTurns(turn);
    c.turnCos = cosTurns(turn);
    return c;
}

// The surface point of one row and one column: the wave laid in the row's
// frame, then the strip turned into place.
template <class J>
inline JetVector<J> placeOnStrip(const StripFrameOf<J>& f, const StripColumnOf<J>& c)
{
    const JetVector<J> placed = f.meridian + waveOffset(f.across, f.height, f.bend, f.shape, f.shapeRest, c.wave);
    return rotateZ(placed, c.turnSin, c.turnCos);
}

// The whole corrugation at one point: frame, wave and turn, in the same
// operations a grid performs row by row and column by column.
template <class Row>
inline JetVector<ColumnJet<Row>> applyCorrugation(const JetVector<Row>& base, Row u, ColumnJet<Row> v, Row amplitude,
                                                  Row depth, int stripCount)
{
    return placeOnStrip(corrugationFrame(base, u, amplitude, depth), stripColumn(v, stripCount));
}
