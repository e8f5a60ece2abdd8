"""The ruled-surface eversion written out again from its published maps, in
plain Python floats, to check the program's curve files against a surface
it did not compute: the wormhole W, its closing C and the unfolding U, the
seven steps over the viewer's time (run backwards, each eased), scaled so
that both ends are the unit sphere. Angles in degrees; away from the poles."""

import math

W_, Q, BETA, ALPHA_F, ETA_F = 2.0, 2.0 / 3.0, 1.0, 1.0, 2.0
T = 1 / Q


def wormhole(n, t, p, q, theta, phi):
    c = math.cos(theta)
    h = W_ * math.sin(theta) / c ** n
    x = t * math.cos(phi) + p * math.sin((n - 1) * phi) - h * math.sin(phi)
    y = t * math.sin(phi) + p * math.cos((n - 1) * phi) + h * math.cos(phi)
    z = h * math.sin(n * phi) - (t / n) * math.cos(n * phi) - q * t * h
    return x, y, z


def closing(n, point, eta, xi, alpha):
    kappa = (n - 1) / (2 * n)
    x, y, z = point
    d = xi + eta * (x * x + y * y)
    x1, y1, z1 = x / d ** kappa, y / d ** kappa, z / d
    s = x1 * x1 + y1 * y1
    gamma = 2 * math.sqrt(alpha * BETA)
    if gamma == 0:
        return x1 / s, y1 / s, -z1
    e = math.exp(gamma * z1)
    return (x1 * e / (alpha + BETA * s), y1 * e / (alpha + BETA * s),
            ((alpha - BETA * s) / (alpha + BETA * s)) * e / gamma - ((alpha - BETA) / (alpha + BETA)) / gamma)


def unfolding(n, t, q, eta, lam, theta, phi):
    kappa = (n - 1) / (2 * n)
    c, s = math.cos(theta), math.sin(theta)
    cn = c ** n
    a = t * (1 - lam + lam * cn)
    big_x = (a * math.cos(phi) - lam * W_ * s * math.sin(phi)) / cn
    big_y = (a * math.sin(phi) + lam * W_ * s * math.cos(phi)) / cn
    big_z = (lam * (W_ * s * (math.sin(n * phi) - q * t) / cn - (t / n) * math.cos(n * phi))
             - (1 - lam) * eta ** (1 + kappa) * t * abs(t) ** (2 * kappa) * s / c ** (2 * n))
    r = big_x ** 2 + big_y ** 2
    return big_x * eta ** kappa / r ** (1 - kappa), big_y * eta ** kappa / r ** (1 - kappa), -big_z / (eta * r)


def point(n, time, latitude, longitude):
    theta, phi = math.radians(latitude), math.radians(longitude)
    r = 7 * (1 - time)
    step = min(7, math.floor(r) + 1)
    u = r - (step - 1)
    f = 3 * u * u - 2 * u ** 3
    if step == 1:
        p = unfolding(n, -T, Q, 1, f, theta, phi)
    elif step == 2:
        p = closing(n, wormhole(n, -T, 0, Q, theta, phi), 1 + (ETA_F - 1) * f, f, ALPHA_F * f)
    elif step == 3:
        q = Q * (1 - f)
        p = closing(n, wormhole(n, -T, 1 - abs(q * T), q, theta, phi), ETA_F, 1, ALPHA_F)
    elif step == 4:
        p = closing(n, wormhole(n, -T + 2 * T * f, 1, 0, theta, phi), ETA_F, 1, ALPHA_F)
    elif step == 5:
        q = Q * f
        p = closing(n, wormhole(n, T, 1 - abs(q * T), q, theta, phi), ETA_F, 1, ALPHA_F)
    elif step == 6:
        p = closing(n, wormhole(n, T, 0, Q, theta, phi), 1 + (ETA_F - 1) * (1 - f), 1 - f, ALPHA_F * (1 - f))
    else:
        p = unfolding(n, T, Q, 1, 1 - f, theta, phi)
    scale = Q ** (-1 / n)
    return tuple(scale * c for c in p)
