"""Start-up of the real binary: command line, window, console output, and
surviving window sizes too small for a view."""

import harness
from harness import Viewer, run_quick
import unittest

USAGE = "\nUsage: {} [--help] [--root] [--stereo [stereo_distance]]\n\n" + harness.OPTIONS_USAGE


def is_surface(p):
    # Lit front side: yellow-orange up to the white of the highlight; never
    # the blue-violet of the back side or the black background.
    r, g, b = p
    return r > 60 and g > 30 and b <= max(r, g) and r >= g


class CommandLine(unittest.TestCase):
    def test_help_prints_usage_and_exits_without_a_window(self):
        # An unusable display proves that no window is attempted.
        for args in (["-h"], ["--help"], ["-r", "-h"], ["-s", "0.3", "--help", "-s"]):
            result = run_quick(*args, display=":4242")
            self.assertEqual(result.returncode, 0, args)
            self.assertEqual(result.stderr.decode(), USAGE.format(harness.BINARY), args)
            self.assertEqual(result.stdout.decode(), "", args)


class Window(unittest.TestCase):
    def test_no_arguments_open_a_quiet_mono_window(self):
        with Viewer() as v:
            v.wait_window()
            _, _, w, h = v.geometry()
            self.assertEqual((w, h), (512, 512))
            self.assertTrue(v.alive())
            self.assertEqual(v.stdout(), "")
            self.assertEqual(v.stderr(), "")

    def test_stereo_variants_print_their_distance_and_open_a_wide_window(self):
        cases = [(["-s"], "0.100000"), (["--stereo", "0.25"], "0.250000"), (["-s", "foo"], "0.000000"),
                 (["-s", "-r"], "0.100000")]
        for args, shown in cases:
            with self.subTest(args=args), Viewer(*args) as v:
                v.wait_window()
                _, _, w, h = v.geometry()
                self.assertEqual((w, h), (1024, 512))
                self.assertEqual(v.stdout(), f"Using stereo distance of {shown}\n")

    def test_tiny_window_sizes_do_not_end_the_program(self):
        for args in ([], ["-s"]):
            with self.subTest(args=args), Viewer(*args) as v:
                v.wait_window()
                _, _, w0, h0 = v.geometry()
                for w, h in ((1, 1), (3, 200), (200, 1), (2, 2)):
                    v.resize(w, h, delay=0.4)
                    self.assertTrue(v.alive(), f"died at {w}x{h}: {v.stderr()}")
                v.resize(w0, h0, delay=0.8)
                self.assertTrue(v.alive())
                self.assertEqual(v.stderr(), "")
                # The view recovers: the surface fills the middle again.
                shot = v.screenshot()
                cx = shot.width // 4 if args else shot.width // 2
                self.assertGreater(shot.count(is_surface, (cx - 40, 216, cx + 40, 296)), 6000)


if __name__ == "__main__":
    harness.main()
