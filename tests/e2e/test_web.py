"""The viewer in a web page, in real headless Chromium: its frames against the
desktop viewer's after the same input under Xvfb, the HTML menu, keys that a
browser would otherwise take (F5 reloads a page), console messages, and Esc.
Any error in the browser console fails the test that saw it."""

import csv
import os
import re
import subprocess
import sys
import tempfile
import unittest

# selenium is Debian's package, importable by Debian's own Python: another
# python3 first on the path hands the test over to it.
try:
    import selenium  # noqa: F401
except ImportError:
    if sys.executable != "/usr/bin/python3" and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3", *sys.argv])
    raise

import browser
import harness
import hud
from harness import Viewer
from selenium.webdriver.common.keys import Keys

# Two rasterisers (Mesa's llvmpipe, SwiftShader) light the same vertices and
# cover the same triangles but may differ on edge pixels and in the last bits
# of interpolated colour.
LEVELS = 12
MATCHING_SHARE = 0.97
AXES_LABEL = "Toggle Display of World Space Axes (w)"


def typed(page, keys, time_line):
    """Types the keys and waits until the page shows their time."""
    page.keys(*keys)
    page.wait_for(lambda: hud.read_hud(page.canvas_image()).lines[0].startswith(time_line), what=time_line)


def desktop_labels():
    """The menu labels as the shared command table spells them (the 27, not
    the origin look's entries appended after them on the desktop)."""
    with open(os.path.join(browser.SOURCE_DIR, "viewer", "Commands.cpp"), encoding="utf-8") as f:
        table = f.read().split("menuEntries[menuEntryCount] = {", 1)[1].split("};", 1)[0]
        return [label.encode().decode("unicode_escape") for label in re.findall(r'\{\d+, "((?:[^"\\]|\\.)*)"\}', table)]


def exported_curves_line(*options):
    """The heads-up line of the double curves the exporter finds with `options`."""
    with tempfile.TemporaryDirectory() as folder:
        curves, triple = os.path.join(folder, "c.csv"), os.path.join(folder, "t.csv")
        subprocess.run([harness.EXPORT, "curves", *options, "-o", curves, "--triple-points", triple],
                       check=True, capture_output=True, timeout=harness.scaled(300))
        with open(curves, newline="") as f:
            count = len({row[0] for row in list(csv.reader(f))[1:]})
        with open(triple, newline="") as f:
            points = len(list(csv.reader(f))) - 1
    return f"double curves: {count}, triple points: {points}"


@unittest.skipUnless(browser.site_built(), f"no web build in {browser.SITE_DIR}: run scripts/web.sh")
class WebViewer(unittest.TestCase):
    def assertNoConsoleErrors(self, page):
        self.assertEqual(page.errors(), [])

    def frames(self, steps, *args):
        """Runs the (state, web input, desktop input, time line) steps one
        after another in the page and in the desktop viewer, both started
        with `args`; checks each pair of frames and returns them."""
        web, desk = {}, {}
        with browser.Page("?" + "&".join(args) if args else "") as page:
            for name, act, _, _ in steps:
                act(page)
                web[name] = page.canvas_image()
            self.assertNoConsoleErrors(page)
        with Viewer(*args) as viewer:
            viewer.wait_window()
            for name, _, act, _ in steps:
                act(viewer)
                desk[name] = viewer.wait_still()
        for name, _, _, time_line in steps:
            with self.subTest(state=name):
                self.assertTrue(hud.read_hud(web[name]).lines[0].startswith(time_line), hud.read_hud(web[name]).lines)
                share = browser.close_enough(web[name], desk[name], LEVELS)
                print(f"{name}: {100 * share:.2f} % of pixels within {LEVELS} levels", flush=True)
                if share < MATCHING_SHARE:
                    web[name].save(f"/tmp/vv-web-{name.replace(' ', '_')}.png")
                    desk[name].save(f"/tmp/vv-desktop-{name.replace(' ', '_')}.png")
                self.assertGreaterEqual(share, MATCHING_SHARE)
        return web, desk

    def test_frames_match_the_desktop_after_the_same_input(self):
        web, desk = self.frames([
            ("start-up", lambda p: None, lambda v: None, "t = 0.0000"),
            ("axes on", lambda p: p.pick(AXES_LABEL), lambda v: v.key("w"), "t = 0.0000"),
            ("scrubbed time", lambda p: (p.keys("w"), p.drag((100, 300), (140, 300))),
             lambda v: (v.key("w"), v.drag((100, 300), (140, 300))), "t = 0.1562"),
            ("t = 0.375", lambda p: p.keys(*"+" * 56), lambda v: v.key(*["plus"] * 56), "t = 0.3750"),
            # Outlined triangles obey culling on the desktop; the page's lines
            # must drop the same edges (without culling only 95 % match).
            ("wireframe, back faces culled", lambda p: p.keys(*"    b"), lambda v: v.key(*["space"] * 4, "b"),
             "t = 0.3750"),
        ])
        # The measure tells states apart: the sphere is no everted surface.
        self.assertLess(browser.close_enough(web["start-up"], desk["t = 0.375"], LEVELS), MATCHING_SHARE)

    def test_stereo_start_and_blending_match_the_desktop(self):
        # Both open 1024 x 512: two shifted eyes, each with its own text; then
        # additive blending with flat shading.
        self.frames([
            ("stereo start-up", lambda p: None, lambda v: None, "t = 0.0000"),
            ("blending, flat", lambda p: p.keys("a", "s"), lambda v: v.key("a", "s"), "t = 0.0000"),
        ], "--stereo")

    def test_origin_look_from_the_query_string_matches_the_desktop(self):
        # The same words on both command lines: colours, bands, graticule,
        # a track and the parallel view, at the start and in the twist.
        self.frames([
            ("latitude colours, orthographic", lambda p: None, lambda v: None, "t = 0.0000"),
            ("bands, lines and a track at t = 0.375", lambda p: typed(p, "+" * 96, "t = 0.3750"),
             lambda v: v.key(*["plus"] * 96), "t = 0.3750"),
        ], "--colours", "latitude", "--graticule", "30", "--track", "20,40", "--orthographic")
        self.frames([
            ("longitude colours, latitude bands", lambda p: None, lambda v: None, "t = 0.0000"),
            ("the same at t = 0.1562", lambda p: typed(p, "+" * 40, "t = 0.1562"), lambda v: v.key(*["plus"] * 40),
             "t = 0.1562"),
        ], "--colours", "longitude", "--bands", "latitude", "6")

    def test_ruled_method_from_the_query_string_and_its_controls(self):
        # The same words on both command lines; the halfway model by
        # doubling the time step seven times and stepping once.
        self.frames([
            ("ruled, 3 lobes", lambda p: None, lambda v: None, "t = 0.0000"),
            ("halfway model", lambda p: typed(p, "*******+", "t = 0.5000"),
             lambda v: v.key(*["asterisk"] * 7, "plus"), "t = 0.5000"),
        ], "--method", "ruled", "--lobes", "3")
        # The method control and the strip counter on lobes, in the link.
        with browser.Page() as page:
            page.choose("method", "ruled")
            page.wait_link_field("method", "ruled")
            page.click_id("value-strips")  # focus only; the counter's text is the lobes
            page.driver.find_element("css selector", "button[data-command='41']").click()
            page.wait_link_field("lobes", "3")
            self.assertEqual(page.js("return document.getElementById('value-strips').textContent"), "3")
            page.choose("method", "corrugations")
            page.wait_link_field("method", "corrugations")
            self.assertEqual(page.link_field("strips"), "8")
            self.assertNoConsoleErrors(page)

    def test_double_curves_from_the_query_string_and_the_control(self):
        # The page's worker finds them, so they come a moment after their
        # surface: their line is waited for, and then counts what the
        # exporter finds for the same method and time.
        cases = [("?--double-curves&--method&ruled", "*******+", "t = 0.5000", ("--method", "ruled", "--time", "0.5")),
                 ("?--double-curves", "******+++", "t = 0.7500", ("--time", "0.75"))]
        for query, keys, time_line, options in cases:
            with self.subTest(query=query):
                expected = exported_curves_line(*options)
                with browser.Page(query) as page:
                    typed(page, keys, time_line)
                    page.wait_link_field("curves", "1")
                    page.wait_for(lambda: hud.read_line(page.canvas_image(), 4) == expected,
                                  timeout=harness.scaled(30), what=expected)
                    page.click_id("doubleCurves")
                    page.wait_link_field("curves", "0")
                    page.wait_for(lambda: hud.read_line(page.canvas_image(), 4) == "", what="the counts to go")
                    self.assertEqual(
                        page.js("return document.getElementById('doubleCurves').getAttribute('aria-pressed')"), "false")
                    self.assertNoConsoleErrors(page)

    def test_curve_worker_refuses_a_malformed_request_and_answers_the_next(self):
        # The worker program as the page calls it, sent a request cut short,
        # then a whole one: the corrugations' at t = 0.5 on the 12 x 12 grid.
        with browser.Page() as page:
            answers = page.driver.execute_async_script("""
                const done = arguments[arguments.length - 1], answers = [];
                const request = new DataView(new ArrayBuffer(28));
                [0x51525656, 0, 8, 12, 12].forEach((v, i) => request.setInt32(4 * i, v, true));
                request.setFloat64(20, 0.5, true);
                const worker = new Worker("vedoze-vaderuve-curves.js");
                worker.onmessage = (m) => {
                    answers.push(m.data.data ? m.data.data.length : 0);
                    if (answers.length == 2) { worker.terminate(); done(answers); }
                };
                for (const bytes of [new Uint8Array(request.buffer, 0, 27), new Uint8Array(request.buffer)])
                    worker.postMessage({ funcName: "vvFindCurves", callbackId: 0, data: bytes.slice() });""")
            self.assertEqual(answers[0], 0)
            self.assertGreater(answers[1], 0)
            page.wait_for(lambda: any("malformed request" in w for w in page.warnings()), what="the worker's warning")
            self.assertNoConsoleErrors(page)

    def test_page_keeps_drawing_while_the_curves_are_played(self):
        # The corrugations from t = 0.7, where a set takes longest to find,
        # played with the curves shown: the page's frames keep coming while
        # the worker finds the next step's set, the animation goes on, and
        # the curves of the time it stops at are the exporter's.
        with browser.Page("?--double-curves") as page:
            page.js("Module._vvSetTime(0.7)")
            page.wait_for(lambda: page.js("return Module._vvCurvesShown()") == 1, timeout=harness.scaled(30),
                          what="the curves at t = 0.7")
            page.keys(Keys.F5)
            frames = page.driver.execute_async_script("""
                const done = arguments[arguments.length - 1], frames = [];
                const end = performance.now() + 3000;
                function frame(now) {
                    frames.push([now, Module._vvCurvesPending()]);
                    if (now < end) requestAnimationFrame(frame); else done(frames);
                }
                requestAnimationFrame(frame);""")
            page.keys(Keys.F5)
            gaps = sorted(b[0] - a[0] for a, b in zip(frames, frames[1:]))
            busy = sum(pending for _, pending in frames)
            print(f"{len(frames)} animation frames in 3 s, {busy} of them while a set was being found; "
                  f"gaps: median {gaps[len(gaps) // 2]:.0f} ms, longest {gaps[-1]:.0f} ms", flush=True)
            self.assertGreaterEqual(busy, 3)
            t = float(page.link_field("t"))
            self.assertGreater(t, 0.7)
            expected = exported_curves_line("--time", repr(t))
            page.wait_for(lambda: hud.read_line(page.canvas_image(), 4) == expected, timeout=harness.scaled(30),
                          what=expected)
            self.assertNoConsoleErrors(page)

    def test_menu_keys_and_console_messages(self):
        with browser.Page() as page:
            page.open_menu()
            self.assertEqual(page.menu_labels(), desktop_labels())
            self.assertEqual(len(page.menu_labels()), 27)
            page.keys(Keys.ESCAPE)  # closes the menu only
            self.assertIn("Running", page.status())

            # Keys the desktop does not bind are reported as it reports them;
            # a lone modifier is a special key, as under freeglut.
            cases = [("R", "untrapped key 82"), (Keys.F8, "untrapped special key 8"),
                     (Keys.INSERT, "untrapped special key 108"), (Keys.SHIFT, "untrapped special key 112")]
            for key, line in cases:
                with self.subTest(key=line):
                    page.keys(key)
                    self.assertEqual(page.messages()[-1], line)

            # F5 starts the eversion instead of reloading the page.
            page.driver.execute_script("window.stillTheSamePage = true")
            before = hud.read_hud(page.canvas_image()).lines[0]
            page.keys(Keys.F5)
            self.assertTrue(page.driver.execute_script("return window.stillTheSamePage === true"))
            page.wait_for(lambda: hud.read_hud(page.canvas_image()).lines[0] != before, what="the eversion to play")

            # Esc stops the viewer: the page says so and input goes nowhere.
            page.keys(Keys.ESCAPE)
            self.assertIn("Stopped", page.status())
            count = len(page.messages())
            frame = page.canvas_image()
            page.keys("R")
            self.assertEqual(len(page.messages()), count)
            self.assertEqual(page.canvas_image().data, frame.data)
            self.assertNoConsoleErrors(page)


if __name__ == "__main__":
    harness.main()
