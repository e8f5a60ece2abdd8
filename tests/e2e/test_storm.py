"""An input storm against the real binary: thousands of random keys (every
bound one and many unbound), special keys, menu picks, drags under every
combination of modifiers and buttons, wheel clicks, pointer moves and window
resizes down to a single pixel, with the animations and stereo toggled on the
way. Esc and the Quit entry are never sent.

The storm is sent in batches, one xdotool invocation each. Every so often the
program is made to catch up (a marker key it reports as unbound), and the
heads-up text is read back: t must lie in [0, 1] and delta_t must be 1/N with
N a power of two from 1 to 8192. The program must never end and must write
nothing to standard error: no consistency check, no sanitizer report, and no
OpenGL error (GLUT's -gldebug option reports those after every frame).

On a failure the whole event log is written next to the build (or to the
temporary directory) so that the sequence can be replayed."""

import os
import random
import re
import sys
import tempfile
import time
import unittest

import harness
import hud
from harness import Viewer

SEED = int(os.environ.get("VV_STORM_SEED", "424242"))
EVENTS = int(os.environ.get("VV_STORM_EVENTS", "6000"))
CHECK_EVERY = 250
BATCH = 24

# Reserved: the storm never sends it, so its "untrapped key 126" lines count
# the synchronisation points the program has reached.
MARKER = "asciitilde"
MARKER_LINE = "untrapped key 126\n"

BOUND_KEYS = ["space", "s", "a", "b", "f", "w", "t", "plus", "minus", "asterisk", "slash", "r",
              "1", "2", "3", "4", "5", "6", "7", "8"]
# Unbound keys, including bytes above 127 and the controls that have keys of
# their own. Never Escape (it quits) and never anything while ctrl is held
# (ctrl with [ or 3 is Escape too): drags release their modifiers at once.
UNBOUND_KEYS = (["R", "S", "A", "Q", "Z", "c", "d", "e", "q", "x", "0", "9", "comma", "period", "semicolon",
                 "Tab", "Return", "BackSpace", "Delete", "exclam", "at", "numbersign", "eacute", "ydiaeresis",
                 "questiondown", "bracketleft", "backslash", "quotedbl", "underscore"])
SPECIAL_KEYS = ["F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12",
                "Left", "Up", "Right", "Down", "Prior", "Next", "Home", "End", "Insert"]
MODIFIERS = ["shift", "ctrl", "alt"]
BUTTON_SETS = [[1], [1], [2], [1, 2], [2, 1]]
# Sizes at the edges: slivers and single pixels (too small for a view),
# odd widths (halved in stereo), the whole screen, and zero extents, which X
# does not have (xdotool keeps the current extent instead).
ODD_SIZES = [(1, 1), (2, 2), (3, 3), (1, 400), (400, 1), (2, 700), (1023, 1), (1280, 1024), (511, 512),
             (513, 3), (0, 300), (300, 0)]
# The last menu entry is Quit; the one before it (Reset Camera) is the last
# that may be picked. Entries are 25 pixels apart below a 2-pixel border.
LAST_SAFE_MENU_ENTRY = 25
STEPS_SHOWN = {2 ** k for k in range(14)}

MESSAGE = re.compile(r"untrapped (special )?key \d+")


class Storm:
    """Builds random batches of xdotool commands and keeps the log."""

    def __init__(self, viewer, rng):
        self.v, self.rng = viewer, rng
        self.width, self.height = 512, 512
        self.sent = 0
        self.markers = 0
        self.log = []
        self.counts = {}

    def count(self, kind):
        self.counts[kind] = self.counts.get(kind, 0) + 1
        self.sent += 1

    def point(self, margin=40):
        # Anywhere in the window and a little beyond its right and lower
        # edges (xdotool cannot express negative window coordinates).
        return (self.rng.randint(0, self.width + margin), self.rng.randint(0, self.height + margin))

    def keys(self, n):
        names = []
        for _ in range(n):
            r = self.rng.random()
            if r < 0.45:
                names.append(self.rng.choice(BOUND_KEYS))
                self.count("bound key")
            elif r < 0.6:
                names.append(self.rng.choice(UNBOUND_KEYS))
                self.count("unbound key")
            else:
                names.append(self.rng.choice(SPECIAL_KEYS))
                self.count("special key")
        return ["key", "--window", self.v.window, "--delay", "1", *names]

    def drag(self):
        mods = [m for m in MODIFIERS if self.rng.random() < 0.5]
        buttons = self.rng.choice(BUTTON_SETS)
        x, y = self.point()
        cmd = ["mousemove", "--window", self.v.window, x, y]
        if mods:
            cmd += ["keydown", *mods]
        for b in buttons:
            cmd += ["mousedown", b]
        for _ in range(self.rng.randint(1, 8)):
            reach = self.rng.choice([3, 20, 120, 600])
            x = max(0, x + self.rng.randint(-reach, reach))
            y = max(0, y + self.rng.randint(-reach, reach))
            cmd += ["mousemove", "--window", self.v.window, x, y]
        for b in reversed(buttons):
            cmd += ["mouseup", b]
        if mods:
            cmd += ["keyup", *reversed(mods)]
        self.count("drag " + "+".join(mods or ["plain"]) + " " + "+".join(map(str, buttons)))
        return cmd

    def wheel_or_hover(self):
        x, y = self.point()
        cmd = ["mousemove", "--window", self.v.window, x, y]
        if self.rng.random() < 0.5:
            cmd += ["click", self.rng.choice([4, 5, 6, 7])]
            self.count("wheel")
        else:
            self.count("hover")
        return cmd

    def resize(self):
        if self.rng.random() < 0.5:
            w, h = self.rng.choice(ODD_SIZES)
        else:
            w, h = self.rng.randint(1, 1280), self.rng.randint(1, 1024)
        # X has no empty windows: xdotool keeps the current extent for a 0.
        self.width, self.height = w or self.width, h or self.height
        self.count("resize")
        return ["windowsize", self.v.window, w, h]

    def menu(self):
        """A menu pick as its own invocation, or None when the window is too
        small to open the menu safely inside it."""
        if self.width < 40 or self.height < 40:
            return None
        # Pressed near the top left of the screen, the whole menu (31 entries,
        # 779 pixels tall) fits below and to the right of the pointer on the
        # 1024-pixel screen, so no entry moves and Quit stays out of reach.
        x = self.rng.randint(5, min(self.width, 400) - 5)
        y = self.rng.randint(5, min(self.height, 240) - 5)
        entry = self.rng.randint(0, LAST_SAFE_MENU_ENTRY)
        self.count("menu")
        return ["mousemove", "--window", self.v.window, x, y, "mousedown", 3, "sleep", 0.3,
                "mousemove", "--window", self.v.window, x + 30, y + 2 + 25 * entry + 12, "sleep", 0.15,
                "mouseup", 3, "sleep", 0.1]

    def batch(self):
        """One xdotool command line of about BATCH events."""
        cmd, target = [], self.sent + BATCH
        while self.sent < target:
            r = self.rng.random()
            if r < 0.02:
                m = self.menu()
                if m:
                    cmd += m
                    continue
            if r < 0.3:
                cmd += self.drag()
            elif r < 0.36:
                cmd += self.wheel_or_hover()
            elif r < 0.41:
                cmd += self.resize()
            else:
                cmd += self.keys(self.rng.randint(1, 6))
        return cmd

    def send(self, cmd):
        self.log.append(" ".join(map(str, cmd)))
        self.v.xdotool(*cmd)


class InputStorm(unittest.TestCase):
    def test_storm_never_ends_the_program_and_keeps_the_time_line_valid(self):
        print(f"storm seed {SEED}, {EVENTS} events", file=sys.stderr)
        rng = random.Random(SEED)
        start = time.time()
        # -gldebug is GLUT's own option: after every frame it reports any
        # OpenGL error on standard error, which must stay empty.
        with Viewer("-gldebug") as v:
            v.wait_window()
            storm = Storm(v, rng)
            checkpoints, reads = 0, []
            try:
                while storm.sent < EVENTS:
                    storm.send(storm.batch())
                    if storm.sent // CHECK_EVERY > checkpoints or storm.sent >= EVENTS:
                        checkpoints += 1
                        reads.append(self.checkpoint(v, storm, checkpoints))
            except Exception as error:
                self.save_log(storm, v)
                # Sending to a window that is gone fails first; the reason is the program's end.
                if not v.alive():
                    raise AssertionError(f"the program ended with status {v.proc.returncode} within the "
                                         f"{storm.sent} events sent: {v.stderr()[-2000:]}") from error
                raise
            elapsed = time.time() - start
        print(f"survived {storm.sent} events in {elapsed:.0f} s, {checkpoints} checkpoints; heads-up readings "
              f"(t, N, stereo): {reads}", file=sys.stderr)
        print("events by kind: " + ", ".join(f"{k} {n}" for k, n in sorted(storm.counts.items())), file=sys.stderr)
        # Every combination of modifiers with every set of buttons was exercised.
        for mods in ("plain", "shift", "ctrl", "alt", "shift+ctrl", "shift+alt", "ctrl+alt", "shift+ctrl+alt"):
            for buttons in ("1", "2", "1+2", "2+1"):
                self.assertIn(f"drag {mods} {buttons}", storm.counts)

    def test_backing_away_without_end_then_orbiting(self):
        # Dragging right and up with shift and alt moves the eye back by a
        # fraction of its distance per pixel; in a small view the fraction is
        # large. Dozens of such drags once took the eye to infinity and the
        # next orbit had no axis to turn about.
        for size in ((512, 512), (3, 3)):
            with self.subTest(size=size), Viewer() as v:
                v.wait_window()
                v.resize(*size, delay=0.3)
                w, h = size
                back = []
                for _ in range(60):
                    back += ["mousemove", "--window", v.window, 0, h - 1, "keydown", "shift", "alt", "mousedown", 1,
                             "mousemove", "--window", v.window, 1270, 0, "mouseup", 1, "keyup", "alt", "shift"]
                v.xdotool(*back)
                v.resize(512, 512, delay=0.3)
                try:
                    v.drag((100, 100), (160, 130), modifiers=("alt",))
                    v.key("r", delay=0.5)
                except RuntimeError:
                    pass  # the window is gone when the program ended; reported below
                self.assertTrue(v.alive(), f"status {v.proc.returncode}: {v.stderr()}")
                self.assertEqual(v.stderr(), "")
                # The home view is back: the time line reads as at the start.
                self.assertEqual(hud.read_hud(v.screenshot()).lines[0], "t = 0.0000, delta_t = 1/256")

    def checkpoint(self, v, storm, number):
        self.sync(v, storm, number)
        # A known size in which a mono or stereo view has room for the text.
        storm.send(["windowsize", v.window, 1024, 512])
        storm.width, storm.height = 1024, 512
        self.sync(v, storm, number)
        v.sync()
        reading = self.read_time_line(v, storm, number)
        self.assertIsNotNone(reading, f"checkpoint {number}: the heads-up text cannot be read")
        t, steps, stereo = reading
        self.assertTrue(0.0 <= t <= 1.0, f"checkpoint {number}: t = {t}")
        self.assertIn(steps, STEPS_SHOWN, f"checkpoint {number}: delta_t = 1/{steps}")
        return reading

    def sync(self, v, storm, number):
        """Sends the marker key and waits until the program has reported it:
        every event before it has then been handled."""
        storm.send(["key", "--window", v.window, MARKER])
        storm.markers += 1
        deadline = time.time() + 120
        while v.stdout().count(MARKER_LINE) < storm.markers:
            self.assert_healthy(v, storm, number)
            self.assertLess(time.time(), deadline, f"checkpoint {number}: the program stopped answering")
            time.sleep(0.05)
        self.assert_healthy(v, storm, number)

    def assert_healthy(self, v, storm, number):
        err = v.stderr()
        for mark in ("Assertion error", "ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error",
                     "GL error"):
            self.assertNotIn(mark, err, f"before checkpoint {number}, after {storm.sent} events")
        self.assertTrue(v.alive(), f"ended with status {v.proc.returncode} before checkpoint {number}, "
                                   f"after {storm.sent} events: {err[-2000:]}")
        self.assertEqual(err, "", f"before checkpoint {number}")
        # Standard output holds nothing but the messages for unbound input.
        unexpected = [line for line in v.stdout().splitlines() if not MESSAGE.fullmatch(line)]
        self.assertEqual(unexpected[:3], [], f"checkpoint {number}")

    def read_time_line(self, v, storm, number):
        """(t, N, stereo) from the heads-up text, turning the text on and
        resetting the camera first when the text is hidden or covered."""
        for _ in range(4):
            shot = v.screenshot()
            for views in (2, 1):
                h = hud.read_hud(shot, 0, views)
                # In stereo each half shows the stereo line; in mono the
                # first line of the whole window is read.
                if h.t is not None and (views == 1 or h.stereo_distance is not None):
                    return h.t, h.steps, views == 2
            if hud.ink_count(shot, 1) == 0 and hud.ink_count(shot, 1, 0, 2) == 0:
                fix = "F9"   # the text is switched off
            else:
                fix = "r"    # the surface covers the text: back to the home view
            storm.send(["key", "--window", v.window, fix])
            self.sync(v, storm, number)
            v.sync()
        self.save_screenshot(shot, number)
        return None

    @staticmethod
    def save_screenshot(shot, number):
        path = os.path.join(os.environ.get("VV_BUILD_DIR", tempfile.gettempdir()), f"storm_checkpoint_{number}.png")
        try:
            shot.save(path)
            print(f"unreadable heads-up text saved as {path}; lines {hud.read_hud(shot).lines}", file=sys.stderr)
        except Exception as error:  # the report matters more than the picture
            print(f"could not save {path}: {error}", file=sys.stderr)

    @staticmethod
    def save_log(storm, v):
        path = os.path.join(os.environ.get("VV_BUILD_DIR", tempfile.gettempdir()), "storm_events.log")
        with open(path, "w") as f:
            f.write(f"seed {SEED}; window {v.window}; one xdotool invocation per line\n")
            f.write("\n".join(storm.log) + "\n")
        print(f"storm log ({len(storm.log)} invocations, {storm.sent} events) written to {path}; last batches:",
              file=sys.stderr)
        for line in storm.log[-3:]:
            print("  xdotool " + line, file=sys.stderr)
        print("standard error of the program:\n" + v.stderr()[-3000:], file=sys.stderr)


if __name__ == "__main__":
    harness.main()
