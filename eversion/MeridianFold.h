#pragma once
// Folding of the meridian parameter u onto one hemisphere.
//
// u has period 2 (pole, equator at 1, other pole at 2). Folding maps it onto
// [0, 1] so that a function of the folded value is symmetric about the
// equator. Only the value is wrapped; the fold itself is jet arithmetic and so
// reverses the sign of the derivatives in the second hemisphere. Written for
// any jet (Jet8 or its reduction Jet5).
#include "jets/Jet5.h"
#include "jets/Jet8.h"

template <class J>
inline J foldAboutEquator(J x)
{
    wrap(x, 2);
    if (x > 1)
        x = x * (-1) + 2;
    return x;
}
