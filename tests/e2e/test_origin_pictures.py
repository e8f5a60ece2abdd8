"""Colours, bands, lines and tracks by origin in the exporter's pictures,
checked against the geometry of the sphere in the orthographic view: at
t = 0 the surface is the unit sphere with every point at its origin, at
t = 1 the same sphere with every point at its antipode. The home camera
looks along -z, so pixel (column, row) of a 512 x 512 picture sees the sphere
point (x, y, z) with x = (column + 0.5 - 256) / R, y = (256 - row - 0.5) / R,
z = sqrt(1 - x^2 - y^2), R the predicted radius below."""

import math
import os
import tempfile
import unittest

import harness


# The orthographic window at the target has the perspective frustum's size
# there: half the smaller side spans HOME_DISTANCE * tan(15 degrees) = 2.2
# world units.
RADIUS = 256 / (harness.HOME_DISTANCE * harness.TAN_HALF_FOV)

# The latitude map, south pole to north pole at equal steps.
LATITUDE_STOPS = [(0.267, 0.005, 0.329), (0.283, 0.141, 0.458), (0.230, 0.322, 0.546), (0.173, 0.449, 0.558),
                  (0.128, 0.567, 0.551), (0.158, 0.684, 0.502), (0.369, 0.789, 0.383), (0.678, 0.864, 0.190),
                  (0.993, 0.906, 0.144)]


def latitude_colour(latitude):
    x = min(1, max(0, (latitude + 90) / 180)) * 8
    k = min(7, int(x))
    f = x - k
    return [a + (b - a) * f for a, b in zip(LATITUDE_STOPS[k], LATITUDE_STOPS[k + 1])]


def longitude_colour(longitude):
    a = math.radians(longitude)
    return [0.55 + 0.35 * math.cos(a - c * 2 * math.pi / 3) for c in range(3)]


def export(*options):
    return harness.export_image("--no-text", *options)


def sphere_point(column, row):
    x = (column + 0.5 - 256) / RADIUS
    y = (256 - row - 0.5) / RADIUS
    r2 = x * x + y * y
    return (x, y, math.sqrt(1 - r2)) if r2 < 1 else None


def latitude_of(p):
    return math.degrees(math.atan2(p[2], math.hypot(p[0], p[1])))


def longitude_of(p):
    return math.degrees(math.atan2(p[1], p[0]))


def fit(pixel, colour):
    """The brightness k that best scales `colour` to `pixel` (lighting only
    scales the texture's colour) and the largest channel miss, in 0..255."""
    k = sum(p * c for p, c in zip(pixel, colour)) / (255 * sum(c * c for c in colour))
    return k, max(abs(p - 255 * k * c) for p, c in zip(pixel, colour))


def sample_pixels(step=9, inside=0.93):
    for row in range(0, 512, step):
        for column in range(0, 512, step):
            p = sphere_point(column, row)
            if p and math.hypot(p[0], p[1]) < inside:
                yield column, row, p




class OriginPictures(unittest.TestCase):
    def setUp(self):
        self.folder_object = tempfile.TemporaryDirectory()
        self.folder = self.folder_object.name

    def tearDown(self):
        self.folder_object.cleanup()

    def test_orthographic_outline_is_a_circle_of_the_predicted_radius(self):
        shot = export("--orthographic")
        lit = [(x, y) for y in range(512) for x in range(512) if shot.pixel(x, y) != (0, 0, 0)]
        self.assertAlmostEqual(math.sqrt(len(lit) / math.pi), RADIUS, delta=RADIUS * harness.AREA_TOLERANCE / 2)
        for x, y in lit:
            self.assertLess(math.hypot(x + 0.5 - 256, y + 0.5 - 256), RADIUS + 1)
        # Every pixel well inside the outline is drawn.
        inside = [(x, y) for x, y, _ in sample_pixels(step=5, inside=(RADIUS - 1.5) / RADIUS)]
        self.assertTrue(all(shot.pixel(x, y) != (0, 0, 0) for x, y in inside))

    def test_colour_under_a_pixel_is_the_colour_of_its_origin(self):
        # (scheme, time, origin of the sphere point p under the pixel, map)
        cases = [
            ("latitude", "0", lambda p: p, lambda o: latitude_colour(latitude_of(o))),
            ("latitude", "1", lambda p: [-c for c in p], lambda o: latitude_colour(latitude_of(o))),
            ("longitude", "0", lambda p: p, lambda o: longitude_colour(longitude_of(o))),
            ("longitude", "1", lambda p: [-c for c in p], lambda o: longitude_colour(longitude_of(o))),
        ]
        brightness = {}
        for scheme, time, origin, colour in cases:
            with self.subTest(scheme=scheme, time=time):
                shot = export("--orthographic", "--colours", scheme, "--time", time, "--patches", "64")
                worst = 0
                for column, row, p in sample_pixels():
                    k, miss = fit(shot.pixel(column, row), colour(origin(p)))
                    brightness[(scheme, time, column, row)] = k
                    worst = max(worst, miss)
                self.assertLess(worst, 6, "channel miss in 0..255")
        # At t = 1 the inside faces the viewer: it is drawn at half the
        # brightness of the outside seen at t = 0 under the same light.
        ratios = sorted(brightness[("latitude", "1", c, r)] / brightness[("latitude", "0", c, r)]
                        for (s, t, c, r) in brightness if s == "latitude" and t == "0")
        self.assertTrue(0.4 < ratios[len(ratios) // 2] < 0.65, ratios[len(ratios) // 2])

    def test_image_scheme_shows_the_four_quadrants_of_a_picture(self):
        # West (longitude < 0) on the left, north on the top.
        quadrants = {("north", "west"): (255, 0, 0), ("north", "east"): (0, 255, 0),
                     ("south", "west"): (0, 0, 255), ("south", "east"): (255, 255, 0)}
        picture = os.path.join(self.folder, "quadrants.png")
        harness.write_png(picture, 64, 32, lambda x, y: quadrants[("north" if y < 16 else "south", "west" if x < 32 else "east")])
        for time in ("0", "1"):
            shot = export("--orthographic", "--colours", "image", picture, "--time", time, "--patches", "48")
            checked = 0
            for column, row, p in sample_pixels(step=13):
                o = p if time == "0" else [-c for c in p]
                # Clear of the quadrant borders: the equator and lon 0 / 180.
                if abs(latitude_of(o)) < 4 or min(abs(longitude_of(o)), 180 - abs(longitude_of(o))) < 4:
                    continue
                want = quadrants[("north" if o[2] > 0 else "south", "west" if longitude_of(o) < 0 else "east")]
                k, miss = fit(shot.pixel(column, row), [c / 255 for c in want])
                self.assertLess(miss, 8, (time, column, row, shot.pixel(column, row), want))
                self.assertGreater(k, 0.1)
                checked += 1
            self.assertGreater(checked, 150)

    def test_longitude_bands_leave_half_of_the_disc_open(self):
        # Seen from above the pole, a band of longitude in front covers the
        # same band behind it, so the gaps show the black background.
        shot = export("--orthographic", "--bands", "longitude", "8")
        disc = [(x, y) for x, y, _ in sample_pixels(step=2, inside=0.97)]
        drawn = sum(1 for x, y in disc if shot.pixel(x, y) != (0, 0, 0))
        self.assertAlmostEqual(drawn / len(disc), 0.5, delta=0.03)

    def test_graticule_and_track_marker_sit_where_the_sphere_puts_them(self):
        shot = export("--orthographic", "--colours", "latitude", "--graticule", "30", "--track", "40,30",
                      "--patches", "48")
        # The parallel of latitude 60 is the circle of radius cos 60: white
        # against the latitude colours, which are never brighter than 0.95 in
        # blue.
        on_line = 0
        for k in range(72):
            a = 2 * math.pi * (k + 0.5) / 72
            ring = [shot.pixel(int(256 + r * math.cos(a)), int(256 - r * math.sin(a)))
                    for r in (RADIUS * 0.5 - 1, RADIUS * 0.5, RADIUS * 0.5 + 1)]
            on_line += any(min(p) > 200 for p in ring)
        self.assertGreater(on_line, 60)
        # The marker (a white dot in a red ring) at the origin's sphere point.
        lat, lon = math.radians(40), math.radians(30)
        x, y = math.cos(lat) * math.cos(lon), math.cos(lat) * math.sin(lon)
        column, row = int(256 + x * RADIUS), int(256 - y * RADIUS)
        self.assertEqual(shot.pixel(column, row), (255, 255, 255))
        self.assertEqual(shot.pixel(column + 4, row), (255, 0, 0))


if __name__ == "__main__":
    harness.main()
