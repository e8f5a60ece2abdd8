"""Interaction with the real binary: every key and special key of the action
table, a sample of menu entries, mouse drags with each modifier combination
and the stereo toggle, each checked by what the user sees (the decoded
heads-up text and the frame) and by the console messages."""

import re
import time
import unittest

import harness
import hud
from harness import Viewer

# A lit pixel of either side of the surface; the background is black.
LIT = dict(r=(21, 255))


def front(p):
    """The yellow-orange front side (diffuse (1, 0.9, 0)): blue well below red."""
    r, g, b = p
    return r > 20 and b < 0.5 * r


def back(p):
    """The blue-violet back side (diffuse (0.6, 0.05, 0.95)): green lowest."""
    r, g, b = p
    return b > 20 and b > g and r > g


# The unit sphere seen from the home view: the disc of radius 117 pixels in
# the middle of a 512 x 512 view (the text lies above it).
DISC = (130, 130, 384, 384)
# freeglut reports a lone Shift, Ctrl, Alt (or Meta, as Shift+Alt is mapped)
# press as a special key from 112 up; the program reports it like any
# unbound special key. Drags with modifiers produce these lines.
MODIFIER_LINE = re.compile(r"untrapped special key 11[2-9]\n")


def messages(viewer):
    """Standard output without the reports of modifier presses."""
    return MODIFIER_LINE.sub("", viewer.stdout())


def hud_line(line, view=0, views=1):
    return lambda shot: hud.read_line(shot, line, view, views)


class Keys(unittest.TestCase):
    def setUp(self):
        self.v = Viewer().__enter__()
        self.addCleanup(self.v.__exit__, None, None, None)
        self.v.wait_window()
        self.start = self.v.screenshot()

    def press(self, *keys, until=None, what=None, timeout=5):
        """Presses the keys and returns the frame drawn after them; with
        `until`, waits for that frame condition first."""
        if until is None:
            self.v.key(*keys)
            return self.v.screenshot()
        self.v.key(*keys, delay=0)
        return self.v.wait_for(until, timeout, what or f"effect of {keys}")

    def back_to_start(self, *keys):
        self.press(*keys, until=lambda s: s.data == self.start.data, what=f"start frame after {keys}")

    def time_line(self):
        return hud.read_line(self.v.screenshot(), 1)

    def test_unbound_keys_are_reported_and_change_nothing(self):
        v = self.v
        # Turn the camera first, so that a reset would show.
        v.drag((200, 300), (260, 300), modifiers=("alt",), delay=0)
        turned = v.wait_still()
        self.assertNotEqual(turned.data, self.start.data)
        # Upper-case R is not r; 1..8 only redraw; F8, F10, F12, Insert have
        # no binding; Delete and x are unbound ordinary keys.
        shot = self.press("R", "F8", *"12345678", "F10", "F12", "Insert", "x", "Delete")
        self.assertEqual(shot.data, turned.data)
        self.assertEqual(messages(v), "untrapped key 82\n"
                                      "untrapped special key 8\n"
                                      "untrapped special key 10\n"
                                      "untrapped special key 12\n"
                                      "untrapped special key 108\n"
                                      "untrapped key 120\n"
                                      "untrapped key 127\n")
        self.back_to_start("r")
        v.key("Escape", delay=0)
        self.assertEqual(v.wait_exit(5), 0)

    def test_time_and_time_step_keys(self):
        steps = [
            ("plus", "t = 0.0039, delta_t = 1/256"),
            ("Right", "t = 0.0078, delta_t = 1/256"),
            ("minus", "t = 0.0039, delta_t = 1/256"),
            ("Left", "t = 0.0000, delta_t = 1/256"),
            ("Left", "t = 0.0000, delta_t = 1/256"),  # t = 0 blocks decrements
            # Eight doublings reach 1; a ninth stays there.
            (("asterisk",) * 8, "t = 0.0000, delta_t = 1/1"),
            ("asterisk", "t = 0.0000, delta_t = 1/1"),
            ("plus", "t = 1.0000, delta_t = 1/1"),
            # Thirteen halvings reach 1/8192; a fourteenth stays there.
            (("slash",) * 13, "t = 1.0000, delta_t = 1/8192"),
            ("slash", "t = 1.0000, delta_t = 1/8192"),
            ("minus", "t = 0.9999, delta_t = 1/8192"),
        ]
        for keys, expected in steps:
            keys = keys if isinstance(keys, tuple) else (keys,)
            if self.time_line() == expected:  # a limit: nothing may change
                self.press(*keys)
                self.assertEqual(self.time_line(), expected, keys)
            else:
                self.press(*keys, until=lambda s, e=expected: hud.read_line(s, 1) == e, what=expected)
        # Steps that carry t past 1 land on 1 (the rebuild clamps it), and
        # t = 1 then blocks further increments.
        self.press("asterisk", "asterisk", until=lambda s: hud.read_line(s, 1).endswith("1/2048"))
        self.press("Left", until=lambda s: hud.read_line(s, 1).startswith("t = 0.9994"))
        self.press(*["plus"] * 3, until=lambda s: hud.read_line(s, 1).startswith("t = 1.0000"))
        at_end = self.v.screenshot()
        self.assertEqual(self.press("plus", "Right").data, at_end.data)
        self.assertEqual(self.time_line(), "t = 1.0000, delta_t = 1/2048")
        self.assertEqual(messages(self.v), "")

    def test_display_toggles_return_to_the_start_frame(self):
        # Each key changes the frame, and pressing it again (space: five
        # presses in all, once round the five modes) gives back the start
        # frame exactly.
        for keys, again in ((("space",), 4), (("s",), 1), (("a",), 1), (("w",), 1)):
            with self.subTest(keys=keys):
                self.press(*keys, until=lambda s: s.data != self.start.data)
                self.back_to_start(*(keys * again))
        # b alone culls back faces, which hide behind the front ones anyway;
        # with f the front faces go and the inside shows.
        self.assertEqual(self.press("b").data, self.start.data)
        inside = self.press("f", until=lambda s: s.count(back, DISC) > 30000)
        self.assertEqual(inside.count(front, DISC), 0)
        self.back_to_start("b")
        self.press("f")
        # t shows the target cross, hidden at the centre of the sphere until
        # the surface is drawn as points.
        self.assertEqual(self.press("t").data, self.start.data)
        self.press("space", "space", "space",
                   until=lambda s: s.count_rgb(None, r=(0, 0), g=(255, 255), b=(255, 255)) > 50)
        self.back_to_start("t", "space", "space")
        # F9 hides every line of text; alpha's line disappears with it.
        self.press("a", until=hud_line(2))
        hidden = self.press("F9", until=lambda s: hud.ink_count(s, 1) == 0)
        self.assertEqual(hud.ink_count(hidden, 2), 0)
        self.press("F9", until=lambda s: hud.read_hud(s).lines == ("t = 0.0000, delta_t = 1/256", "alpha = 0.300", ""))
        self.back_to_start("a")
        self.assertEqual(messages(self.v), "")

    def test_strip_and_hemisphere_keys(self):
        disc = self.start.count_rgb(DISC, **LIT)
        # The pole faces the viewer, so each strip of the front hemisphere is
        # a 45-degree wedge; the back hemisphere's matching wedge is gone too,
        # so the gap is black.
        one_less = self.press("Down", until=lambda s: s.data != self.start.data)
        self.assertAlmostEqual(disc - one_less.count_rgb(DISC, **LIT), disc / 8, delta=disc / 100)
        # Page up adds a strip and shows it: 8 of 9 strips leave a 40-degree
        # gap; page down takes it away again (7 of 8).
        ninths = self.press("Prior", until=lambda s: s.data != one_less.data)
        self.assertAlmostEqual(disc - ninths.count_rgb(DISC, **LIT), disc / 9, delta=disc / 100)
        self.press("Next", until=lambda s: s.data == one_less.data, what="7 of 8 strips again")
        single = self.press(*["Down"] * 6)
        self.assertAlmostEqual(single.count_rgb(DISC, **LIT), disc / 8, delta=disc / 50)
        self.assertEqual(self.press("Down").data, single.data)  # one strip stays
        self.back_to_start(*["Up"] * 7)
        self.assertEqual(self.press("Up").data, self.start.data)  # all are shown already

        # Half-strips: half of every wedge is gone, and through the gaps the
        # inside of the back hemisphere shows ...
        half = self.press("Home", until=lambda s: s.count(back, DISC) > disc / 4)
        self.assertAlmostEqual(half.count(front, DISC), disc / 2, delta=disc / 20)
        # ... until the back hemisphere is not drawn.
        front_only = self.press("End", until=lambda s: s.count(back, DISC) == 0)
        self.assertAlmostEqual(front_only.count_rgb(DISC, **LIT), disc / 2, delta=disc / 20)
        self.press("End", until=lambda s: s.data == half.data)
        self.back_to_start("Home")

        # Page down: seven strips around instead of eight (a different
        # tessellation); page up restores the eight.
        self.press("Next", until=lambda s: s.data != self.start.data)
        self.back_to_start("Prior")
        # Down to a single strip; one more page down does nothing.
        lone = self.press(*["Next"] * 7)
        self.assertEqual(self.press("Next").data, lone.data)
        self.back_to_start(*["Prior"] * 7)
        self.assertEqual(messages(self.v), "")

    def test_patch_keys_keep_at_least_two_patches(self):
        for more, fewer in (("F1", "F2"), ("F3", "F4")):
            with self.subTest(keys=(more, fewer)):
                self.press(more, until=lambda s: s.data != self.start.data)
                self.back_to_start(fewer)
                # Ten fewer leave 2 patches; two more presses would go to 0,
                # but the next frame raises the count back to 2.
                two = self.press(*[fewer] * 10)
                self.assertNotEqual(two.data, self.start.data)
                self.assertEqual(self.press(fewer, fewer).data, two.data)
                self.back_to_start(*[more] * 10)
        self.assertEqual(messages(self.v), "")

    def test_animation_keys_and_what_pauses_them(self):
        v = self.v
        # F5: the eversion plays, about 1/256 per 100 ms tick.
        began = time.time()
        shot = self.press("F5", until=lambda s: (hud.read_hud(s).t or 0) >= 0.02, what="t advancing")
        self.assertLessEqual(hud.read_hud(shot).t, ((time.time() - began) / 0.1 + 1) / 256)
        # A plain left button held down is a time scrub: the eversion waits.
        v.move_to(300, 450)
        v.xdotool("mousedown", 1)
        v.sync()
        held = self.time_line()
        # Five ticks' worth of time, then whatever they did is on the screen.
        v.settle(0.5)
        v.sync()
        self.assertEqual(self.time_line(), held)
        v.xdotool("mouseup", 1)
        v.wait_for(lambda s: hud.read_line(s, 1) != held, what="the eversion to resume")
        # F5 again: t stops.
        stopped = hud.read_line(self.press("F5"), 1)
        v.settle(0.4)
        v.sync()
        self.assertEqual(self.time_line(), stopped)

        # F6: the camera turns while the time stands still ...
        before = v.screenshot()
        self.press("F6", until=lambda s: s.differs(before) > 1000, what="rotation")
        self.assertEqual(self.time_line(), stopped)
        # ... except during an orbit drag (Alt + left button).
        v.xdotool("keydown", "alt")
        v.xdotool("mousedown", 1)
        v.sync()
        held = v.wait_still(quiet=0.5)
        v.xdotool("mouseup", 1)
        v.xdotool("keyup", "alt")
        v.wait_for(lambda s: s.differs(held) > 1000, what="the rotation to resume")
        # F6 again: the frame holds still.
        self.press("F6")
        v.wait_still(quiet=0.5)
        self.assertEqual(messages(v), "")


class StereoToggle(unittest.TestCase):
    def test_f7_splits_the_window_into_two_half_width_views_and_back(self):
        with Viewer() as v:
            v.wait_window()
            start = v.screenshot()
            v.key("F7", delay=0)
            # Text beyond a view's edge is clipped: 23 cells fit from x = 20.
            text = ("t = 0.0000, delta_t = 1", "", "stereo distance = 0.100")
            shot = v.wait_for(lambda s: all(hud.read_hud(s, i, 2).lines == text for i in (0, 1)), what="two views")
            self.assertEqual(v.geometry()[2:], (512, 512))
            # Each 256 x 512 view shows the sphere in its middle, a little
            # towards the other view (the eyes converge on the target), at
            # half the mono size: the 30-degree field spans the 256 pixels.
            offset = harness.stereo_offset_px(0.1, 128)
            for view, sign in ((0, 1), (1, -1)):
                cx, cy, n = shot.centroid((256 * view, 100, 256 * view + 256, 512), **LIT)
                self.assertAlmostEqual(cx, 256 * view + 127.5 + sign * offset, delta=harness.CENTROID_TOLERANCE)
                self.assertAlmostEqual(cy, 255.5, delta=harness.CENTROID_TOLERANCE)
                self.assertAlmostEqual(n, start.count_rgb(DISC, **LIT) / 4, delta=0.05 * n)
            v.key("F7", delay=0)
            v.wait_for(lambda s: s.data == start.data, what="one view again")
            self.assertEqual(v.stdout(), "")


class Menu(unittest.TestCase):
    def test_menu_entries(self):
        with Viewer() as v:
            v.wait_window()
            start = v.screenshot()
            picks = [
                (10, "Double Time Step", lambda s: hud.read_line(s, 1) == "t = 0.0000, delta_t = 1/128"),
                (8, "Increment Time t", lambda s: hud.read_line(s, 1) == "t = 0.0078, delta_t = 1/128"),
                (9, "Decrement Time t", lambda s: hud.read_line(s, 1) == "t = 0.0000, delta_t = 1/128"),
                (2, "Toggle Alpha Blending", lambda s: hud.read_line(s, 2) == "alpha = 0.300"),
                (7, "Toggle Display of Text", lambda s: hud.ink_count(s, 1) == hud.ink_count(s, 2) == 0),
                (7, "Toggle Display of Text", lambda s: hud.read_line(s, 2) == "alpha = 0.300"),
                (2, "Toggle Alpha Blending", lambda s: hud.read_line(s, 2) == ""),
                (24, "Toggle Stereo Display", lambda s: hud.read_line(s, 3, 1, 2) == "stereo distance = 0.100"),
                (24, "Toggle Stereo Display", lambda s: hud.read_line(s, 3) == ""),
                (11, "Halve Time Step", lambda s: s.data == start.data),
            ]
            for index, label, condition in picks:
                with self.subTest(index=index, label=label):
                    v.menu(index, delay=0)
                    v.wait_for(condition, what=label)
            v.menu(26, delay=0)  # Quit (Esc)
            self.assertEqual(v.wait_exit(5), 0)
            self.assertEqual(v.stdout(), "")


class Drags(unittest.TestCase):
    def test_drags_scrub_time_tune_alpha_and_move_the_camera(self):
        with Viewer() as v:
            v.wait_window()
            # Plain left drag: delta_t per pixel, right forwards, left back;
            # a vertical drag leaves t alone.
            v.drag((100, 300), (164, 300), delay=0)
            v.wait_for(lambda s: hud.read_line(s, 1) == "t = 0.2500, delta_t = 1/256", what="t = 0.25")
            v.drag((200, 300), (168, 300), delay=0)
            v.wait_for(lambda s: hud.read_line(s, 1) == "t = 0.1250, delta_t = 1/256", what="t = 0.125")
            v.drag((200, 300), (200, 200), delay=0.3)
            self.assertEqual(hud.read_line(v.screenshot(), 1), "t = 0.1250, delta_t = 1/256")
            v.drag((100, 300), (132, 300), delay=0)
            base = v.wait_for(lambda s: hud.read_line(s, 1) == "t = 0.2500, delta_t = 1/256", what="t = 0.25")

            # Ctrl + left: alpha by 0.005 per pixel, kept within [0, 1].
            v.key("a", delay=0)
            v.wait_for(hud_line(2), what="alpha line")
            for x0, x1, shown in ((150, 250, "alpha = 0.800"), (150, 250, "alpha = 1.000"),
                                  (450, 150, "alpha = 0.000")):
                v.drag((x0, 300), (x1, 300), modifiers=("ctrl",), delay=0)
                v.wait_for(lambda s, e=shown: hud.read_line(s, 2) == e, what=shown)
            v.key("a", delay=0)
            v.wait_for(lambda s: s.data == base.data, what="opaque frame")

            # Camera drags at t = 0.25, where the surface is not round.
            def lit_centroid(shot):
                return shot.centroid((0, 100, 512, 512), **LIT)

            area = lit_centroid(base)[2]
            frames = {}
            cases = [
                ("orbit", dict(modifiers=("alt",)), (200, 300), (240, 300)),
                ("pan", dict(modifiers=("shift",)), (200, 300), (240, 300)),
                ("middle pan", dict(modifiers=("alt",), button=2), (200, 300), (240, 300)),
                ("dolly out", dict(modifiers=("shift", "alt")), (200, 300), (240, 300)),
                ("dolly in", dict(modifiers=("alt",), button=(1, 2)), (200, 300), (240, 300)),
                ("reverse dolly in", dict(modifiers=("alt",), button=(1, 2)), (240, 300), (200, 300)),
            ]
            for name, kwargs, start, end in cases:
                with self.subTest(name):
                    v.drag(start, end, delay=0, **kwargs)
                    frames[name] = v.wait_still()
                    self.assertNotEqual(frames[name].data, base.data)
                    self.assertEqual(hud.read_line(frames[name], 1), "t = 0.2500, delta_t = 1/256")
                    v.key("r", delay=0)
                    v.wait_for(lambda s: s.data == base.data, what="home view after r")
            # Panning 40 pixels right moves the scene with the cursor; Alt +
            # middle pans exactly like Shift + left.
            self.assertAlmostEqual(lit_centroid(frames["pan"])[0] - lit_centroid(base)[0], 40, delta=4)
            self.assertEqual(frames["middle pan"].data, frames["pan"].data)
            # Dolly: Shift + Alt moves away by 3 units per pixel of (dx + dy),
            # Alt + left + middle moves closer by as much, so the two with
            # opposite drags give the same view.
            self.assertLess(lit_centroid(frames["dolly out"])[2], 0.9 * area)
            self.assertGreater(lit_centroid(frames["dolly in"])[2], 1.1 * area)
            self.assertEqual(frames["reverse dolly in"].data, frames["dolly out"].data)
            self.assertEqual(messages(v), "")

    def test_shift_ctrl_drag_sets_the_stereo_distance(self):
        with Viewer("-s") as v:
            v.wait_window()
            self.assertEqual(v.stdout(), "Using stereo distance of 0.100000\n")

            def both(text):
                return lambda s: all(hud.read_line(s, 3, i, 2) == text for i in (0, 1))

            # 0.002 per pixel, no bounds: 50 pixels right, then 150 left.
            v.drag((300, 300), (350, 300), modifiers=("shift", "ctrl"), delay=0)
            v.wait_for(both("stereo distance = 0.200"), what="0.200")
            v.drag((300, 300), (150, 300), modifiers=("shift", "ctrl"), delay=0)
            shot = v.wait_for(both("stereo distance = -0.100"), what="-0.100")
            # A negative separation swaps the eyes: each view's sphere now
            # leans away from the other view instead of towards it.
            left = shot.centroid((0, 100, 512, 512), **LIT)[0]
            right = shot.centroid((512, 100, 1024, 512), **LIT)[0]
            self.assertLess(left, 255.5 - 3)
            self.assertGreater(right, 512 + 255.5 + 3)
            self.assertEqual(messages(v), "Using stereo distance of 0.100000\n")


if __name__ == "__main__":
    harness.main()
