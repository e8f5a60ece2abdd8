#include "eversion/Corrugation.h"

#include "eversion/Inlining.h"
#include "eversion/MeridianFold.h"

EVERSION_FLATTEN Jet8 corrugationEnvelope(Jet8 u)
{
    const Jet8 y = foldAboutEquator(u) * 1.06 + (-0.05);
    if (y < 0)
        return Jet8(0, 0, 0);
    if (y > 1)
        return Jet8(1, 0, 0);
    return pow(y, 2) * 3 + pow(y, 3) * (-2);
}

EVERSION_FLATTEN Jet8 corrugationDepth(Jet8 u)
{
    const Jet8 x = foldAboutEquator(u);
    return (pow(x, 2) * 3 + pow(x, 3) * (-2)) * (-0.2);
}

EVERSION_FLATTEN Jet4Vec corrugationOffset(const Jet4Vec& across, const Jet4Vec& height,
                                           const Jet4Vec& bend, Jet4 shape, Jet4 v)
{
    wrap(v, 1);
    // 1 - C(2v) climbs 0 -> 2 -> 0 over the phase; flipping the middle half
    // about 2 turns it into 0 -> 2 -> 4 -> 2 -> 0, twice as high, and the 0.6
    // makes each of the two stacked loops 1.2 tall.
    Jet4 h = (cosTurns(v * 2) + (-1)) * (-1);
    if (v > 0.25 && v < 0.75)
        h = h * (-1) + 4;
    h = h * 0.6;
    // 0.015625 = 1/64: the sag grows with the square of the height.
    const Jet4Vec bentHeight = height + bend * ((h * h) * 0.015625);
    const Jet4 k = lerp((cosTurns(v) + (-1)) * (-2), h, shape);
    return across * sinTurns(v * 2) + bentHeight * k;
}

EVERSION_FLATTEN Jet4Vec applyCorrugation(const Jet8Vec& base, Jet8 u, Jet4 v, Jet8 amplitude,
                                          Jet8 depth, int stripCount)
{
    const Jet8 scaled = amplitude * depth;
    // 2a - a^2: the wave's shape reaches the stacked ellipses exactly when the
    // amplitude is full, with zero slope there.
    const Jet8 shape = amplitude * 2 + (amplitude * amplitude) * (-1);

    // The frame must not vary across the strip: all v-dependence of the result
    // comes from the wave's phase and the final turn about z, so the base's
    // own v-derivatives are dropped before the frame is built.
    const Jet4Vec across0 = holdFixed(partial(base, 1), 1);
    const Jet8Vec meridian = holdFixed(base, 1);
    const Jet4Vec tangent = normalize(partial(meridian, 0));
    const Jet4Vec normal = normalize(cross(tangent, across0));

    const Jet4 scaledJet = toJet4(scaled);
    const Jet4Vec height = normal * scaledJet;
    // The sign of scaled enters both the cross product and the factor, so the
    // across direction does not flip with the sign of the depth.
    const Jet4Vec across = normalize(cross(height, tangent)) * (scaledJet * 1.1);
    const Jet4Vec bend = (tangent * partial(scaled, 0)) * pow(partial(u, 0), -1);

    const Jet4Vec offset = corrugationOffset(across, height, bend, toJet4(shape), v);
    const Jet4Vec placed = toJet4Vec(meridian) + offset;
    return rotateZ(placed, v * (1.0 / stripCount));
}
