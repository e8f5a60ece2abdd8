"""The eversion's method in both programs. Bad values, in one table run
against the desktop viewer and the exporter: one line naming the fault,
status 2, no window and no file. The ruled method, chosen by option or by
the menu entry appended after the 27, draws in the desktop window (seam-free,
as the exporter draws) what the exporter draws; its meshes are closed and carry each vertex's origin."""

import math
import os
import subprocess
import tempfile
import unittest

import harness
from mesh_readers import read_ply, topology

EXPORT = harness.EXPORT

CASES = [
    (["--lobes", "1", "--method", "ruled"], "--lobes needs a whole number of lobes from 2 to 5, not '1'"),
    (["--method", "ruled", "--lobes", "6"], "--lobes needs a whole number of lobes from 2 to 5, not '6'"),
    (["--method", "ruled", "--lobes", "x"], "--lobes needs a whole number of lobes from 2 to 5, not 'x'"),
    (["--method", "ruled", "--lobes"], "--lobes needs a whole number of lobes from 2 to 5, not ''"),
    (["--method", "spiral"], "--method is corrugations or ruled, not 'spiral'"),
    (["--lobes", "3"], "--lobes is only for --method ruled"),
    (["--lobes", "3", "--method", "corrugations"], "--lobes is only for --method ruled"),
]


class BadValues(unittest.TestCase):
    def test_each_bad_value_is_one_line_and_status_2_in_both_programs(self):
        with tempfile.TemporaryDirectory() as folder:
            for args, text in CASES:
                with self.subTest(args=args):
                    run = harness.run_quick(*args, display=":4243")
                    lines = run.stderr.decode().split("\n")
                    self.assertEqual((run.returncode, run.stdout, len(lines), lines[1]), (2, b"", 2, ""), lines)
                    self.assertEqual(lines[0], harness.BINARY + ": " + text)
                    for kind, name in (("image", "out.png"), ("mesh", "out.ply"), ("movie", "out.webm")):
                        result = subprocess.run([EXPORT, kind, "-o", os.path.join(folder, name), *args],
                                                capture_output=True, text=True, timeout=60)
                        self.assertEqual((result.returncode, result.stdout), (2, ""), result.stderr)
                        self.assertEqual(result.stderr, f"vedoze-vaderuve-export: {text} (see --help)\n")
                    self.assertEqual(os.listdir(folder), [])


class DesktopAgreesWithTheExporter(unittest.TestCase):
    def test_option_and_menu_entry_draw_the_exporters_frames(self):
        # t = 1/2 by doubling the time step to 1/2 and stepping once; the
        # text (which shows the step) is switched off with F9.
        to_the_middle = ["asterisk"] * 7 + ["plus", "F9"]
        with harness.Viewer("--seam-free", "--method", "ruled", "--lobes", "3") as viewer:
            viewer.wait_window()
            viewer.key(*to_the_middle)
            want = harness.export_image("--method", "ruled", "--lobes", "3", "--time", "0.5", "--no-text")
            viewer.wait_for(lambda shot: shot.data == want.data, timeout=20, what="the exporter's halfway model")
            # The strip keys change the lobes: page down to 2.
            viewer.key("Next")
            want = harness.export_image("--method", "ruled", "--time", "0.5", "--no-text")
            viewer.wait_for(lambda shot: shot.data == want.data, timeout=20, what="two lobes")

        with harness.Viewer("--seam-free") as viewer:
            viewer.wait_window()
            viewer.key(*to_the_middle)
            viewer.menu(31)
            want = harness.export_image("--method", "ruled", "--time", "0.5", "--no-text")
            viewer.wait_for(lambda shot: shot.data == want.data, timeout=20, what="menu entry 31")


class Meshes(unittest.TestCase):
    def test_closed_with_origins_and_the_sphere_at_the_ends(self):
        with tempfile.TemporaryDirectory() as folder:
            for lobes, t in (("2", "0"), ("3", "0.5"), ("5", "1")):
                with self.subTest(lobes=lobes, t=t):
                    path = os.path.join(folder, f"m{lobes}.ply")
                    result = subprocess.run([EXPORT, "mesh", "--method", "ruled", "--lobes", lobes, "--time", t,
                                             "--patches", "9x7", "-o", path], capture_output=True, text=True,
                                            timeout=60)
                    self.assertEqual((result.returncode, result.stderr), (0, ""))
                    positions, _, triangles, origins = read_ply(path, with_origins=True)
                    v, e, f, bad, twice = topology(triangles)
                    self.assertEqual((bad, twice, v - e + f), (0, 0, 2))
                    # Across a lune as many patches as eight strips have around it.
                    across = -(-8 * 7 // int(lobes))
                    self.assertEqual(v, 2 + int(lobes) * across * (2 * 9 - 1))
                    side = {"0": 1, "1": -1}.get(t)
                    for p, (lat, lon) in zip(positions, origins):
                        self.assertLess(math.hypot(*p), 10)
                        if side:
                            lat, lon = math.radians(lat), math.radians(lon)
                            sphere = (math.cos(lat) * math.cos(lon), math.cos(lat) * math.sin(lon), math.sin(lat))
                            self.assertLess(math.dist(p, [side * c for c in sphere]), 1e-5)


if __name__ == "__main__":
    harness.main()
