"""Root mode (-r / --root) of the real binary: both animations run from the
start, with neither text nor axes; the keys still stop and show them."""

import time
import unittest

import harness
import hud
from harness import Viewer

AXIS_COLOURS = (dict(r=(255, 255), g=(0, 0), b=(0, 0)), dict(r=(0, 0), g=(255, 255), b=(0, 0)),
                dict(r=(0, 0), g=(0, 0), b=(255, 255)))
# Pixels that must change between two frames for the view to count as
# moved: far above the few pixels of a single rounding difference.
MOVED = 1000
# Eversion ticks come every 100 ms, each adding delta_t = 1/256.
TICK_SECONDS, STEP = 0.1, 1 / 256


class RootMode(unittest.TestCase):
    def test_both_animations_run_from_the_start_without_text_or_axes(self):
        for flag in ("-r", "--root"):
            with self.subTest(flag=flag), Viewer(flag) as v:
                launched = time.time()
                v.wait_window()
                first = v.screenshot()
                for line in (1, 2, 3):
                    self.assertEqual(hud.ink_count(first, line), 0, f"text line {line}")
                for colour in AXIS_COLOURS:
                    self.assertEqual(first.count_rgb(None, **colour), 0)
                v.wait_for(lambda s: s.differs(first) > MOVED, what="the animation to move the frame")

                # F9 shows the text: t has advanced, at no more than one step
                # per tick since launch.
                v.key("F9", delay=0)
                shot = v.wait_for(lambda s: hud.read_hud(s).t is not None, what="the time line")
                t = hud.read_hud(shot).t
                self.assertGreater(t, 0)
                self.assertLessEqual(t, ((time.time() - launched) / TICK_SECONDS + 1) * STEP)
                self.assertEqual(hud.read_hud(shot).steps, 256)
                v.wait_for(lambda s: (hud.read_hud(s).t or 0) > t, what="t to keep rising")

                # F5 stops the eversion; the camera keeps turning meanwhile.
                v.key("F5", delay=0.3)
                stopped = v.screenshot()
                line = hud.read_line(stopped, 1)
                turned = v.wait_for(lambda s: s.differs(stopped) > MOVED, what="the camera to turn")
                self.assertEqual(hud.read_line(turned, 1), line)

                # F6 stops the rotation: the frame holds still, and it is not
                # the home view, which r restores.
                v.key("F6", delay=0)
                still = v.wait_still(quiet=0.5)
                self.assertEqual(hud.read_line(still, 1), line)
                v.key("r", delay=0)
                home = v.wait_for(lambda s: s.differs(still) > MOVED, what="the home view")
                self.assertEqual(hud.read_line(home, 1), line)
                time.sleep(0.3)
                self.assertEqual(v.screenshot().data, home.data)
                self.assertEqual(v.stdout(), "")
                self.assertTrue(v.alive())


if __name__ == "__main__":
    harness.main()
