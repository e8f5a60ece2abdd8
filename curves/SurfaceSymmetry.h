#pragma once
// The turns that map the eversion onto itself at every time, acting alike on
// origins (as unit vectors of the t = 0 sphere) and on world space:
// f(g p) = g f(p) for the surface f and every element g.
//
// Both methods turn by 1 / n of a turn about z (n strips or lobes): a
// longitude 360 / n degrees further east is the same point turned that much
// counter-clockwise. The corrugation method also has its hemisphere half turn,
// half a turn about y (latitude -> -latitude, longitude -> 180 - longitude),
// so its group is dihedral of order 2n; the ruled method's is cyclic of
// order n.
//
// An element is Rz(k / n turn) after Fy^flip, numbered k + n flip. Pure.
#include <cmath>
#include <numbers>
#include <vector>

#include "curves/Vec3.h"
#include "eversion/EversionMethod.h"
#include "viewer/Origin.h"

struct SurfaceSymmetry {
    int around = 1;       // n
    bool flips = false;   // the hemisphere half turn belongs to the group
    std::vector<double> cosines, sines;  // of k / n turn, k = 0 .. n - 1

    int order() const { return flips ? 2 * around : around; }
    int turnOf(int element) const { return element % around; }
    bool flipOf(int element) const { return element >= around; }
    int element(int turn, bool flip) const
    {
        const int k = ((turn % around) + around) % around;
        return k + (flip ? around : 0);
    }
    // g h: h first, then g.
    int compose(int g, int h) const
    {
        const int k = turnOf(g) + (flipOf(g) ? -turnOf(h) : turnOf(h));
        return element(k, flipOf(g) != flipOf(h));
    }
    int inverse(int g) const { return flipOf(g) ? g : element(-turnOf(g), false); }
};

SurfaceSymmetry surfaceSymmetry(EversionMethod method, int around);
// The group of the identity alone, for searching a surface as if it had no
// symmetry.
SurfaceSymmetry trivialSymmetry();

// g applied to a point or direction, in double.
inline Vec3 applySymmetry(const SurfaceSymmetry& s, int element, Vec3 p)
{
    if (s.flipOf(element))
        p = {-p.x, p.y, -p.z};
    const int k = s.turnOf(element);
    if (k == 0)
        return p;
    const double c = s.cosines[k], n = s.sines[k];
    return {p.x * c - p.y * n, p.x * n + p.y * c, p.z};
}
// g applied to an origin, in degrees (Origin.h).
Origin applySymmetry(const SurfaceSymmetry& symmetry, int element, const Origin& origin);

// Whether an origin (a unit vector) is within `margin` (about, in radians) of
// the group's fundamental domain on the t = 0 sphere: the sector of
// longitudes [0, 360 / n) degrees and, with the hemisphere half turn in the
// group, the northern hemisphere. Every orbit has a point there.
inline bool nearFundamentalDomain(const SurfaceSymmetry& s, const Vec3& p, double margin)
{
    if ((s.flips && p.z < -margin) || p.y < -margin)
        return false;
    if (s.around <= 2)
        return true;
    return p.x * s.sines[1] - p.y * s.cosines[1] >= -margin;
}

// Calls visit(g) for the elements g that may bring p within `margin` of the
// fundamental domain (above), a superset of those that do. With
// three turns or more, away from the axis, those are the turn that brings
// p's longitude into the domain's sector and the two beside it (the margin
// reaches less than half a sector past its edges), with each flip the
// domain's hemisphere allows.
template <class Visit>
void forElementsTowardDomain(const SurfaceSymmetry& s, const Vec3& p, double margin, Visit&& visit)
{
    const double sector = 2 * std::numbers::pi / s.around;
    const double across = std::sqrt(p.x * p.x + p.y * p.y);
    if (s.around <= 2 || !(margin < across * std::sin(sector / 2))) {
        for (int g = 0; g < s.order(); ++g)
            visit(g);
        return;
    }
    for (const bool flip : {false, true}) {
        if (flip ? !s.flips || p.z > margin : s.flips && p.z < -margin)
            continue;
        const double longitude = flip ? std::atan2(p.y, -p.x) : std::atan2(p.y, p.x);
        const int turn = static_cast<int>(std::ceil(-longitude / sector));
        for (const int k : {turn - 1, turn, turn + 1})
            visit(s.element(k, flip));
    }
}
