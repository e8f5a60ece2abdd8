"""The exporter's picture against the desktop viewer's own frames, pixel for
pixel: both draw with the same frame code on Mesa's llvmpipe, the viewer in
a GLX window under Xvfb, the exporter in an EGL pbuffer with no display at
all. The exporter draws the copies seam-free, as the viewer does with
--seam-free; without it the viewer's copies, each under its own turn, may
leave pinholes along their seams, which the seam-free picture never has."""

import unittest

import harness


def differing(a, b):
    return sum(1 for i in range(0, len(a.data), 3) if a.data[i:i + 3] != b.data[i:i + 3])


def pinholes(shot):
    """Pixels of the inner (violet) side with the outer (yellow) side all
    round them: the far sheet seen through a gap in the near one."""
    def yellow(p):
        return p[0] > 2 * p[2] + 20 and p[1] > 2 * p[2]

    def violet(p):
        return p[2] > p[0] + 20 and p[2] > 2 * p[1] + 20

    count = 0
    for y in range(1, shot.height - 1):
        for x in range(1, shot.width - 1):
            if violet(shot.pixel(x, y)) and all(yellow(shot.pixel(x + dx, y + dy))
                                                for dx in (-1, 0, 1) for dy in (-1, 0, 1) if dx or dy):
                count += 1
    return count


class StartUpFrame(unittest.TestCase):
    def test_defaults_equal_the_viewers_seam_free_start_up_frame(self):
        for viewer_args, export_args in (([], []), (["-s"], ["--stereo"])):
            with self.subTest(viewer=viewer_args):
                with harness.Viewer("--seam-free", *viewer_args) as viewer:
                    viewer.wait_window()
                    # The first frame is drawn at 300 x 300 before the resize.
                    shot = viewer.wait_still(quiet=0.5, timeout=15)
                picture = harness.export_image(*export_args)
                self.assertEqual((picture.width, picture.height), (shot.width, shot.height))
                self.assertEqual(differing(shot, picture), 0)
                # Not trivially equal: the lit sphere and the text are there.
                self.assertGreater(len(set(picture.data[i:i + 3] for i in range(0, len(picture.data), 3))), 100)


class SeamFree(unittest.TestCase):
    def test_no_pinholes_to_the_background(self):
        # The surface is closed, so no fold of it can show the black
        # background inside its outline: a black pixel with surface all
        # round it is a crack between facets.
        def cracks(shot):
            black = (0, 0, 0)
            return sum(1 for y in range(1, shot.height - 1) for x in range(1, shot.width - 1)
                       if shot.pixel(x, y) == black and all(shot.pixel(x + dx, y + dy) != black
                                                            for dx in (-1, 0, 1) for dy in (-1, 0, 1) if dx or dy))
        for method in ("corrugations", "ruled"):
            for t in ("0.05", "0.2", "0.375", "0.5", "0.7", "0.9"):
                with self.subTest(method=method, t=t):
                    self.assertEqual(cracks(harness.export_image("--method", method, "--time", t, "--no-text")), 0)

    def test_no_pixel_of_the_inner_side_shows_through_the_outer(self):
        # At 12 x 12 patches the twist at t = 0.375 shows eight specks of the
        # inner side, with turned copies and seam-free ones alike: facets of
        # the coarse grid seen edge on, folded the other way (a ray cast
        # through them meets the back of a facet first). These finer grids
        # have none.
        for patches in ("13", "16"):
            with self.subTest(patches=patches):
                self.assertEqual(pinholes(harness.export_image("--time", "0.375", "--patches", patches)), 0)

    def test_seam_free_copies_differ_from_turned_ones_in_rounding_only(self):
        # t = 0.375 by doubling the time step to 1/8 and stepping three times.
        keys = ["asterisk"] * 5 + ["plus"] * 3
        picture = harness.export_image("--time", "0.375")
        shots = {}
        for args in ((), ("--seam-free",)):
            with harness.Viewer(*args) as viewer:
                viewer.wait_window()
                viewer.key(*keys)
                shots[args] = viewer.wait_still()
        # The text differs (the time step), so compare below it.
        top = 60 * 3 * picture.width
        self.assertEqual(shots[("--seam-free",)].data[top:], picture.data[top:])
        self.assertEqual(pinholes(shots[()]), pinholes(picture))
        self.assertLess(differing(shots[()], picture), 200)


if __name__ == "__main__":
    harness.main()
