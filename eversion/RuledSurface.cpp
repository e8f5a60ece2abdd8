#include "eversion/RuledSurface.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double finalEta = 2;    // eta_f
constexpr double finalAlpha = 1;  // alpha_f

// The wormhole's closing with eta, xi and alpha.
void setClosing(RuledFrame& f, double eta, double xi, double alpha)
{
    f.unfolding = false;
    f.eta = eta;
    f.xi = xi;
    f.alpha = alpha;
    f.gamma = 2 * std::sqrt(alpha);
    f.closingHeight = std::sqrt(alpha) / (alpha + 1);
}
}

RuledFrame ruledFrame(double time, int lobes)
{
    const double r = 7 * (1 - std::clamp(time, 0.0, 1.0));
    const int step = std::min(7, static_cast<int>(std::floor(r)) + 1);
    const double u = r - (step - 1);
    return ruledStepFrame(step, 3 * u * u - 2 * u * u * u, lobes);
}

RuledFrame ruledStepFrame(int step, double e, int lobes)
{
    RuledFrame f;
    f.lobes = lobes;
    f.kappa = (lobes - 1) / (2.0 * lobes);
    f.scale = std::pow(ruledQ, -1.0 / lobes);
    f.step = step;
    f.fraction = e;

    const double Q = ruledQ, T = ruledT;
    switch (step) {
    case 1:
        f.t = -T;
        f.q = Q;
        f.lambda = e;
        break;
    case 2:
        f.t = -T;
        f.q = Q;
        setClosing(f, 1 + (finalEta - 1) * e, e, finalAlpha * e);
        break;
    case 3:
        f.q = Q * (1 - e);
        f.t = -T;
        f.p = 1 - std::fabs(f.q * f.t);
        setClosing(f, finalEta, 1, finalAlpha);
        break;
    case 4:
        f.t = -T + 2 * T * e;
        f.p = 1;
        setClosing(f, finalEta, 1, finalAlpha);
        break;
    case 5:
        f.q = Q * e;
        f.t = T;
        f.p = 1 - std::fabs(f.q * f.t);
        setClosing(f, finalEta, 1, finalAlpha);
        break;
    case 6:
        f.t = T;
        f.q = Q;
        setClosing(f, 1 + (finalEta - 1) * (1 - e), 1 - e, finalAlpha * (1 - e));
        break;
    default:
        f.t = T;
        f.q = Q;
        f.lambda = 1 - e;
        break;
    }
    return f;
}

double ruledPoleHeight(const RuledFrame& f, bool north)
{
    // Towards a pole h grows without bound. In a closing S grows like
    // h^(2/n) and z' falls like 1 / h, so x'' and y'' vanish and z'' tends to
    // -sqrt(alpha) / (alpha + 1), the same at both poles. In an unfolding R
    // grows like 1 / c^(2n) and only the last term of Z keeps pace with it.
    if (!f.unfolding)
        return -f.closingHeight * f.scale;
    const double side = north ? 1 : -1;
    const double k = (1 - f.lambda) * f.t * std::pow(std::fabs(f.t), 2 * f.kappa);
    const double across = f.t * (1 - f.lambda);
    const double radius = across * across + f.lambda * ruledWidth * f.lambda * ruledWidth;
    return side * k / radius * f.scale;
}
