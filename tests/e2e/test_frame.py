"""Frame rendering of the real binary as a user sees it: what the start-up
frame shows, stereo views, blending, display modes, culling and decorations,
read from screenshots."""

import math
import unittest

import harness
import hud
from harness import Viewer

# Colour classes as inclusive channel ranges. Anything drawn differs from
# the black background; three disjoint tests (by the first channel that is
# not 0) cover every such pixel. Axes and the target cross are drawn unlit in
# pure colours.
NON_BLACK = [dict(r=(1, 255)), dict(r=(0, 0), g=(1, 255)), dict(r=(0, 0), g=(0, 0), b=(1, 255))]
RED = dict(r=(255, 255), g=(0, 0), b=(0, 0))
GREEN = dict(r=(0, 0), g=(255, 255), b=(0, 0))
BLUE = dict(r=(0, 0), g=(0, 0), b=(255, 255))
CYAN = dict(r=(0, 0), g=(255, 255), b=(255, 255))


def non_black(shot, box=None):
    return sum(shot.count_rgb(box, **c) for c in NON_BLACK)


def disc_centroid(shot, box):
    """(x, y, n): centre and pixel count of everything drawn in `box`."""
    parts = [p for p in (shot.centroid(box, **c) for c in NON_BLACK) if p]
    n = sum(p[2] for p in parts)
    return sum(p[0] * p[2] for p in parts) / n, sum(p[1] * p[2] for p in parts) / n, n


def lit_pixels(shot, box):
    return [p for _, _, p in shot.region(*box) if sum(p) > 0]


def disc_box(cx, cy, radius):
    r = int(radius) + 3
    return (int(cx) - r, int(cy) - r, int(cx) + r + 2, int(cy) + r + 2)


class StartupFrame(unittest.TestCase):
    def test_mono_start_shows_the_lit_front_side_and_the_time_line(self):
        with Viewer() as v:
            v.wait_window()
            shot = v.screenshot()
            self.assertEqual(hud.read_hud(shot).lines, ("t = 0.0000, delta_t = 1/256", "", ""))
            # The first line's cells cover rows 21..38 from x = 20, texel for
            # texel: every cell matches its glyph exactly there and the line
            # does not read one pixel off; no other text ink is at the top.
            text = "t = 0.0000, delta_t = 1/256"
            self.assertEqual([hud.read_cell(shot, 20 + 10 * i, 38) for i in range(len(text))],
                             [(c, 0) for c in text])
            for dx, dy in ((0, -1), (0, 1), (-1, 0), (1, 0)):
                self.assertNotEqual("".join(hud.read_cell(shot, 20 + dx + 10 * i, 38 + dy)[0]
                                            for i in range(len(text))), text, (dx, dy))
            white = dict(r=(hud.INK_MIN, 255), g=(hud.INK_MIN, 255), b=(hud.INK_MIN, 255))
            self.assertEqual(shot.count_rgb((0, 0, 512, 21), **white), 0)
            self.assertEqual(shot.count_rgb((0, 39, 512, 110), **white), 0)
            self.assertEqual(shot.count_rgb((0, 21, 20, 39), **white), 0)

            # The sphere: centred, of the computed size.
            radius = harness.sphere_radius_px(256)
            cx, cy, n = disc_centroid(shot, (0, 110, 512, 512))
            self.assertAlmostEqual(cx, 255.5, delta=harness.CENTROID_TOLERANCE)
            self.assertAlmostEqual(cy, 255.5, delta=harness.CENTROID_TOLERANCE)
            self.assertAlmostEqual(n / (math.pi * radius ** 2), 1, delta=harness.AREA_TOLERANCE)

            # Only the front colour is seen from outside: green is 0.9 of red
            # wherever the highlight does not whiten the pixel, and no pixel
            # leans to the blue-violet of the back.
            pixels = lit_pixels(shot, disc_box(cx, cy, radius))
            diffuse = sorted(g / r for r, g, b in pixels if r > 60 and b < 20)
            self.assertGreater(len(diffuse), 0.8 * len(pixels))
            self.assertAlmostEqual(diffuse[len(diffuse) // 2], 0.9, delta=0.02)
            self.assertEqual(sum(1 for r, g, b in pixels if b > g), 0)
            self.assertEqual(v.stdout(), "")

    def test_stereo_start_shows_two_views_with_their_own_text(self):
        with Viewer("-s") as v:
            v.wait_window()
            shot = v.screenshot()
            self.assertEqual((shot.width, shot.height), (1024, 512))
            offset = harness.stereo_offset_px(0.1, 256)
            area = math.pi * harness.sphere_radius_px(256) ** 2
            for view, centre in ((0, 255.5 + offset), (1, 512 + 255.5 - offset)):
                with self.subTest(view=view):
                    self.assertEqual(hud.read_hud(shot, view, 2).lines,
                                     ("t = 0.0000, delta_t = 1/256", "", "stereo distance = 0.100"))
                    # The alpha line keeps its place empty without blending.
                    self.assertEqual(hud.ink_count(shot, 2, view, 2), 0)
                    cx, cy, n = disc_centroid(shot, (512 * view, 110, 512 * view + 512, 512))
                    self.assertAlmostEqual(cx, centre, delta=harness.CENTROID_TOLERANCE)
                    self.assertAlmostEqual(cy, 255.5, delta=harness.CENTROID_TOLERANCE)
                    self.assertAlmostEqual(n / area, 1, delta=harness.AREA_TOLERANCE)

            # With blending every view shows all three lines.
            v.key("a", delay=0)
            shot = v.wait_for(lambda s: hud.read_line(s, 2, 1, 2) == "alpha = 0.300", what="alpha line")
            lines = ("t = 0.0000, delta_t = 1/256", "alpha = 0.300", "stereo distance = 0.100")
            for view in (0, 1):
                self.assertEqual(hud.read_hud(shot, view, 2).lines, lines)

            # An odd window width: each view is 511 pixels wide (truncated),
            # so the right view and its text start at x = 511.
            v.resize(1023, 512, delay=0)
            shot = v.wait_for(lambda s: s.width == 1023 and hud.read_hud(s, 1, 2).lines == lines,
                              what="the right view's text at x = 531")
            self.assertEqual(hud.read_hud(shot, 0, 2).lines, lines)


class Options(unittest.TestCase):
    """One session: each option is switched on, checked, and switched off
    again, which must give back the start-up frame exactly."""

    def test_blending_modes_culling_and_decorations(self):
        with Viewer() as v:
            v.wait_window()
            start = v.screenshot()
            box = disc_box(255.5, 255.5, harness.sphere_radius_px(256))

            def back_to_start(*keys):
                v.key(*keys, delay=0)
                v.wait_for(lambda s: s.data == start.data, what=f"the start frame after {keys}")

            with self.subTest("blending"):
                v.key("a", delay=0)
                shot = v.wait_for(lambda s: hud.read_line(s, 2) == "alpha = 0.300", what="alpha line")
                self.assertEqual(hud.read_line(shot, 1), "t = 0.0000, delta_t = 1/256")
                # Away from the highlight every layer is scaled by alpha, so
                # the front is darker than opaque; without depth test the
                # inside of the far half adds its blue through it.
                flank = (140, 250, 200, 262)
                opaque = [p for _, _, p in start.region(*flank)]
                blended = [p for _, _, p in shot.region(*flank)]
                self.assertLess(sum(p[0] for p in blended), 0.75 * sum(p[0] for p in opaque))
                self.assertGreater(sum(p[2] for p in blended), 2 * sum(p[2] for p in opaque))
                back_to_start("a")

            with self.subTest("display modes"):
                # space: 2 -> 3 -> 4 -> 0 -> 1 -> 2.
                area = non_black(start, box)
                v.key("space", delay=0)
                checker = v.wait_for(lambda s: s.data != start.data, what="checkerboard")
                v.key("space", delay=0)
                rows = v.wait_for(lambda s: s.data != checker.data, what="alternate rows")
                for shot in (checker, rows):
                    # Holes in the front half show the inside of the far half.
                    pixels = lit_pixels(shot, box)
                    front = sum(1 for r, g, b in pixels if b < 0.5 * r)
                    back = sum(1 for r, g, b in pixels if b > g and r > g)
                    self.assertGreater(front, 0.3 * area)
                    self.assertGreater(back, 0.1 * area)
                    self.assertLess(len(pixels), 0.9 * area)
                self.assertGreater(checker.differs(rows, box), 0.2 * area)
                v.key("space", delay=0)
                points = v.wait_for(lambda s: s.data != rows.data, what="points")
                v.key("space", delay=0)
                wires = v.wait_for(lambda s: s.data != points.data, what="wireframe")
                for shot, low, high in ((points, 0.01, 0.1), (wires, 0.3, 0.9)):
                    pixels = lit_pixels(shot, box)
                    self.assertTrue(low * area < len(pixels) < high * area, len(pixels))
                    # Unlit and white: every drawn pixel is a grey.
                    self.assertTrue(all(r == g == b for r, g, b in pixels))
                back_to_start("space")

            with self.subTest("flat shading"):
                v.key("s", delay=0)
                flat = v.wait_for(lambda s: s.data != start.data, what="flat shading")
                self.assertGreater(flat.differs(start, box), 0.5 * non_black(start, box))
                back_to_start("s")

            with self.subTest("culling"):
                # Back faces culled: the outside of a closed surface is all
                # front faces, so nothing visible changes.
                v.key("b")
                self.assertEqual(v.screenshot().data, start.data)
                # Front faces culled: the inside of the far half shows.
                v.key("f", delay=0)
                inside = v.wait_for(lambda s: s.data != start.data, what="front faces culled")
                pixels = lit_pixels(inside, box)
                self.assertGreater(sum(1 for r, g, b in pixels if b > g and r > g), 0.95 * len(pixels))
                # Culling off: cullBackFaces no longer matters.
                back_to_start("b")
                v.key("f")
                self.assertEqual(v.screenshot().data, start.data)

            with self.subTest("world axes"):
                v.key("w", delay=0)
                axes = v.wait_for(lambda s: s.count_rgb(None, **RED) > 0, what="axes")
                # From (-1, -1, -1): all three run below left of the centre,
                # the x axis (red) to the right of the y axis (green).
                found = {name: axes.centroid(None, **c) for name, c in (("x", RED), ("y", GREEN), ("z", BLUE))}
                for name, c in found.items():
                    self.assertIsNotNone(c, name)
                    self.assertGreater(c[2], 10, name)
                    self.assertLess(c[0], 255, name)
                    self.assertGreater(c[1], 256, name)
                self.assertGreater(found["x"][0], found["y"][0])
                back_to_start("w")

            with self.subTest("target cross"):
                # The target is the centre of the sphere: hidden by it.
                v.key("t")
                self.assertEqual(v.screenshot().count_rgb(None, **CYAN), 0)
                # Among points it shows: a cyan cross at the centre whose arms
                # span 5 % of the view each way (51.2 pixels across).
                v.key("space", "space", "space", delay=0)
                cross = v.wait_for(lambda s: s.count_rgb(None, **CYAN) > 50, what="target cross")
                cx, cy, _ = cross.centroid(None, **CYAN)
                self.assertAlmostEqual(cx, 255.5, delta=harness.CENTROID_TOLERANCE)
                self.assertAlmostEqual(cy, 255.5, delta=harness.CENTROID_TOLERANCE)
                row = [x for x in range(512) if cross.pixel(x, 256) == (0, 255, 255)]
                self.assertAlmostEqual(len(row), 0.1 * 512, delta=2)
                back_to_start("t", "space", "space")
            self.assertEqual(v.stdout(), "")


# The order and arguments of every frame's OpenGL calls, read from a trace of
# the real program, are checked in test_acceptance.py.


if __name__ == "__main__":
    harness.main()
