#include "curves/SheetNewton.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int maximumSteps = 10;
// From this step on, a step must at least quarter the residual: Newton's
// method near a transverse solution does far better, and one that does not
// is near a tangency or no solution at all.
constexpr int patientSteps = 4;
// A step longer than this (radians) is cut back to it: far from the curve the
// linear model is not to be trusted.
constexpr double longestStep = 0.1;

// Solves the symmetric 3 x 3 system m x = r by Cholesky; false if m is
// singular to working precision.
bool solveSymmetric3(const double m[3][3], const double r[3], double x[3])
{
    const double scale = m[0][0] + m[1][1] + m[2][2];
    if (!(scale > 0))
        return false;
    double l[3][3] = {};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j <= i; ++j) {
            double s = m[i][j];
            for (int k = 0; k < j; ++k)
                s -= l[i][k] * l[j][k];
            if (i == j) {
                if (!(s > 1e-24 * scale))
                    return false;
                l[i][i] = std::sqrt(s);
            } else {
                l[i][j] = s / l[j][j];
            }
        }
    double y[3];
    for (int i = 0; i < 3; ++i) {
        double s = r[i];
        for (int k = 0; k < i; ++k)
            s -= l[i][k] * y[k];
        y[i] = s / l[i][i];
    }
    for (int i = 2; i >= 0; --i) {
        double s = y[i];
        for (int k = i + 1; k < 3; ++k)
            s -= l[k][i] * x[k];
        x[i] = s / l[i][i];
    }
    return true;
}

// Gaussian elimination with partial pivoting on an n x n system, n <= 6.
bool solveSquare(int n, double m[6][6], double r[6], double x[6])
{
    for (int c = 0; c < n; ++c) {
        int pivot = c;
        for (int i = c + 1; i < n; ++i)
            if (std::fabs(m[i][c]) > std::fabs(m[pivot][c]))
                pivot = i;
        if (!(std::fabs(m[pivot][c]) > 1e-14))
            return false;
        if (pivot != c) {
            for (int k = 0; k < n; ++k)
                std::swap(m[c][k], m[pivot][k]);
            std::swap(r[c], r[pivot]);
        }
        for (int i = c + 1; i < n; ++i) {
            const double f = m[i][c] / m[c][c];
            for (int k = c; k < n; ++k)
                m[i][k] -= f * m[c][k];
            r[i] -= f * r[c];
        }
    }
    for (int i = n - 1; i >= 0; --i) {
        double s = r[i];
        for (int k = i + 1; k < n; ++k)
            s -= m[i][k] * x[k];
        x[i] = s / m[i][i];
    }
    return true;
}

void limitStep(double* step, int n)
{
    double length = 0;
    for (int i = 0; i < n; ++i)
        length += step[i] * step[i];
    length = std::sqrt(length);
    if (length > longestStep)
        for (int i = 0; i < n; ++i)
            step[i] *= longestStep / length;
}

double component(Vec3 v, int i)
{
    return i == 0 ? v.x : (i == 1 ? v.y : v.z);
}
}

namespace {
bool solveDouble(const ExactSurface& surface, Vec3 a, Vec3 b, DoubleSolution& out, double leastCrossing, int patience)
{
    SheetJet ja = sheetJetAsGiven(surface, a), jb = sheetJetAsGiven(surface, b);
    out.start = ja.position;
    double previous = 1e300;
    for (int step = 0;; ++step) {
        const Vec3 r = ja.position - jb.position;
        const double residual = length(r);
        if (step >= patience && residual > 0.25 * previous)
            return false;
        previous = residual;
        if (residual <= doubleTolerance || step == maximumSteps) {
            out.a = ja;
            out.b = jb;
            out.residual = residual;
            return residual <= doubleTolerance && angleBetween(ja.unit, jb.unit) >= minimumSeparation &&
                   crossingSine(out) >= leastCrossing;
        }
        // Columns of the 3 x 4 Jacobian of f(a) - f(b).
        const Vec3 columns[4] = {ja.alongEast, ja.alongNorth, jb.alongEast * -1, jb.alongNorth * -1};
        // The Jacobian times its transpose, entry by entry.
        const auto entry = [&](double Vec3::*i, double Vec3::*j) {
            return columns[0].*i * columns[0].*j + columns[1].*i * columns[1].*j + columns[2].*i * columns[2].*j +
                   columns[3].*i * columns[3].*j;
        };
        const double xy = entry(&Vec3::x, &Vec3::y), xz = entry(&Vec3::x, &Vec3::z), yz = entry(&Vec3::y, &Vec3::z);
        const double m[3][3] = {{entry(&Vec3::x, &Vec3::x), xy, xz},
                                {xy, entry(&Vec3::y, &Vec3::y), yz},
                                {xz, yz, entry(&Vec3::z, &Vec3::z)}};
        const double rhs[3] = {r.x, r.y, r.z};
        double y[3];
        if (!solveSymmetric3(m, rhs, y))
            return false;
        double move[4];
        for (int k = 0; k < 4; ++k)
            move[k] = -(columns[k].x * y[0] + columns[k].y * y[1] + columns[k].z * y[2]);
        limitStep(move, 4);
        ja = sheetJetAsGiven(surface, stepOnTangentPlane(ja, move[0], move[1]));
        jb = sheetJetAsGiven(surface, stepOnTangentPlane(jb, move[2], move[3]));
    }
}
}

bool solveDoublePoint(const ExactSurface& surface, Vec3 a, Vec3 b, DoubleSolution& out, double leastCrossing)
{
    return solveDouble(surface, a, b, out, leastCrossing, patientSteps);
}

bool probeDoublePoint(const ExactSurface& surface, Vec3 a, Vec3 b, DoubleSolution& out)
{
    return solveDouble(surface, a, b, out, minimumCrossing, 1);
}

TripleNewton startTriplePoint(const ExactSurface& surface, Vec3 a, Vec3 b, Vec3 c)
{
    TripleNewton n;
    n.sheets[0] = sheetJetAsGiven(surface, a);
    n.sheets[1] = sheetJetAsGiven(surface, b);
    n.sheets[2] = sheetJetAsGiven(surface, c);
    return n;
}

TripleProgress advanceTriplePoint(const ExactSurface& surface, TripleNewton& n, int steps, TripleSolution& out)
{
    SheetJet* j = n.sheets;
    for (int taken = 0;; ++n.step, ++taken) {
        const Vec3 r0 = j[0].position - j[1].position, r1 = j[1].position - j[2].position;
        const double residual =
            std::fmax(std::fmax(length(r0), length(r1)), length(j[0].position - j[2].position));
        n.residual = residual;
        if (n.step >= patientSteps && residual > 0.25 * n.previous)
            return TripleProgress::Failed;
        if (residual <= doubleTolerance || n.step == maximumSteps) {
            for (int k = 0; k < 3; ++k)
                out.sheets[k] = j[k];
            out.residual = residual;
            // Three sheets through a point, no two of them tangent and not
            // all three through one line.
            const auto normal = [](const SheetJet& s) { return normalized(cross(s.alongEast, s.alongNorth)); };
            const double volume = std::fabs(dot(normal(j[0]), cross(normal(j[1]), normal(j[2]))));
            const bool solved = residual <= doubleTolerance && angleBetween(j[0].unit, j[1].unit) >= minimumSeparation &&
                                angleBetween(j[1].unit, j[2].unit) >= minimumSeparation &&
                                angleBetween(j[0].unit, j[2].unit) >= minimumSeparation && volume >= minimumCrossing;
            return solved ? TripleProgress::Solved : TripleProgress::Failed;
        }
        // Rows: f(a) - f(b), then f(b) - f(c); columns: the moves of a, b, c.
        double m[6][6] = {};
        double rhs[6] = {-r0.x, -r0.y, -r0.z, -r1.x, -r1.y, -r1.z};
        for (int i = 0; i < 3; ++i) {
            m[i][0] = component(j[0].alongEast, i);
            m[i][1] = component(j[0].alongNorth, i);
            m[i][2] = -component(j[1].alongEast, i);
            m[i][3] = -component(j[1].alongNorth, i);
            m[3 + i][2] = component(j[1].alongEast, i);
            m[3 + i][3] = component(j[1].alongNorth, i);
            m[3 + i][4] = -component(j[2].alongEast, i);
            m[3 + i][5] = -component(j[2].alongNorth, i);
        }
        double* move = n.move;
        if (!solveSquare(6, m, rhs, move))
            return TripleProgress::Failed;
        limitStep(move, 6);
        if (taken == steps)
            return TripleProgress::Going;
        n.previous = residual;
        for (int k = 0; k < 3; ++k)
            j[k] = sheetJetAsGiven(surface, stepOnTangentPlane(j[k], move[2 * k], move[2 * k + 1]));
    }
}

bool solveTriplePoint(const ExactSurface& surface, Vec3 a, Vec3 b, Vec3 c, TripleSolution& out)
{
    TripleNewton n = startTriplePoint(surface, a, b, c);
    return advanceTriplePoint(surface, n, maximumSteps, out) == TripleProgress::Solved;
}

double crossingSine(const DoubleSolution& s)
{
    const Vec3 na = normalized(cross(s.a.alongEast, s.a.alongNorth));
    const Vec3 nb = normalized(cross(s.b.alongEast, s.b.alongNorth));
    return length(cross(na, nb));
}

CurveTangent curveTangent(const DoubleSolution& s)
{
    // The kernel of the 3 x 4 Jacobian [A_e A_n -B_e -B_n]: its k-th entry is
    // (-1)^k times the determinant of the other three columns.
    const Vec3 columns[4] = {s.a.alongEast, s.a.alongNorth, s.b.alongEast * -1, s.b.alongNorth * -1};
    const auto det = [](const Vec3& x, const Vec3& y, const Vec3& z) { return dot(x, cross(y, z)); };
    const double k[4] = {det(columns[1], columns[2], columns[3]), -det(columns[0], columns[2], columns[3]),
                         det(columns[0], columns[1], columns[3]), -det(columns[0], columns[1], columns[2])};
    const Vec3 inSpace = s.a.alongEast * k[0] + s.a.alongNorth * k[1];
    const double speed = length(inSpace);
    CurveTangent t;
    if (!(speed > 0))
        return t;
    t.inSpace = inSpace * (1 / speed);
    t.alongA = (s.a.east * k[0] + s.a.north * k[1]) * (1 / speed);
    t.alongB = (s.b.east * k[2] + s.b.north * k[3]) * (1 / speed);
    return t;
}
