"""The double curves as files and pictures, from the real exporter and the
desktop viewer. Files are read back with the standard library; the ruled
eversion's points are checked against the surface written out again in
Python (ruled_reference.py): both origins of every point land on it."""

import csv
import math
import os
import subprocess
import tempfile
import unittest

import harness
import hud
import ruled_reference

EXPORT = harness.EXPORT
# The program puts both origins on one point to 1e-9; the reference, in
# other arithmetic, agrees with the program's surface to about 1e-14.
ON_THE_SURFACE = 2e-9


def export(*args):
    result = subprocess.run([EXPORT, *args], capture_output=True, text=True, timeout=harness.scaled(300))
    assert (result.returncode, result.stderr) == (0, ""), result.stderr
    return result


def read_csv(path):
    with open(path, newline="") as f:
        return list(csv.reader(f))


def curves_of(rows):
    """{curve number: [(x, y, z, lat1, lon1, lat2, lon2), ...]} from the CSV's rows."""
    curves = {}
    for row in rows[1:]:
        curves.setdefault(int(row[0]), []).append(tuple(float(v) for v in row[1:]))
    return curves


def differing(a, b):
    return sum(1 for i in range(0, len(a.data), 3) if a.data[i:i + 3] != b.data[i:i + 3])


def sphere(lat, lon):
    lat, lon = math.radians(lat), math.radians(lon)
    return math.cos(lat) * math.cos(lon), math.cos(lat) * math.sin(lon), math.sin(lat)


class BadValues(unittest.TestCase):
    def test_each_is_one_line_and_status_2_with_no_file(self):
        cases = [(["curves", "--hemispheres", "1", "-o", "c.csv"], "--hemispheres does not apply to curves"),
                 (["curves", "-o", "c.ply"], "curves are written as FILE.csv or FILE.obj, not 'c.ply'"),
                 (["curves", "-o", "c.csv", "--triple-points", "t.txt"],
                  "--triple-points is written as FILE.csv, not 't.txt'"),
                 (["curves", "-o", "c.csv", "--triple-points", "c.csv"], "--triple-points names the same file as -o"),
                 (["mesh", "--double-curves", "-o", "m.ply"], "--double-curves does not apply to meshes"),
                 (["image", "--triple-points", "t.csv", "-o", "i.png"], "--triple-points does not apply to images")]
        with tempfile.TemporaryDirectory() as folder:
            for args, text in cases:
                with self.subTest(args=args):
                    result = subprocess.run([EXPORT, *args], capture_output=True, text=True, cwd=folder, timeout=60)
                    self.assertEqual((result.returncode, result.stdout), (2, ""))
                    self.assertEqual(result.stderr, f"vedoze-vaderuve-export: {text} (see --help)\n")
                    self.assertEqual(os.listdir(folder), [])


class Files(unittest.TestCase):
    def test_none_at_the_ends_headers_always(self):
        with tempfile.TemporaryDirectory() as folder:
            for method in ("corrugations", "ruled"):
                for t in ("0", "1"):
                    with self.subTest(method=method, t=t):
                        c, p = os.path.join(folder, "c.csv"), os.path.join(folder, "t.csv")
                        export("curves", "--method", method, "--time", t, "-o", c, "--triple-points", p)
                        self.assertEqual(read_csv(c), [["curve", "x", "y", "z", "latitude1", "longitude1",
                                                        "latitude2", "longitude2"]])
                        self.assertEqual(len(read_csv(p)), 1)

    def test_ruled_points_lie_on_both_sheets_and_the_obj_holds_the_same_curves(self):
        with tempfile.TemporaryDirectory() as folder:
            for lobes, t in (("2", "0.3"), ("3", "0.62")):
                with self.subTest(lobes=lobes, t=t):
                    c, o, p = (os.path.join(folder, name) for name in ("c.csv", "c.obj", "t.csv"))
                    common = ["--method", "ruled", "--lobes", lobes, "--time", t]
                    export("curves", *common, "-o", c, "--triple-points", p)
                    export("curves", *common, "-o", o)
                    curves = curves_of(read_csv(c))
                    self.assertGreater(len(curves), 0, "no curve at a time that has some")
                    self.assertEqual(sorted(curves), list(range(len(curves))))
                    for points in curves.values():
                        for x, y, z, lat1, lon1, lat2, lon2 in points:
                            for lat, lon in ((lat1, lon1), (lat2, lon2)):
                                self.assertLess(math.dist(ruled_reference.point(int(lobes), float(t), lat, lon),
                                                          (x, y, z)), ON_THE_SURFACE)
                            # Two sheets: the origins are far apart on the sphere.
                            self.assertGreater(math.dist(sphere(lat1, lon1), sphere(lat2, lon2)), 1e-3)
                    # OBJ: the same points in the same order, one polyline a
                    # curve; a closed curve ends on its first point in both.
                    vertices, polylines = [], []
                    with open(o) as f:
                        for line in f:
                            words = line.split()
                            if words and words[0] == "v":
                                vertices.append(tuple(float(w) for w in words[1:]))
                            elif words and words[0] == "l":
                                polylines.append([vertices[int(w) - 1] for w in words[1:]])
                    self.assertEqual(len(polylines), len(curves))
                    for k, line in enumerate(polylines):
                        self.assertEqual([tuple(q[:3]) for q in curves[k]], line)
                    for row in read_csv(p)[1:]:
                        self.assertEqual(len(row), 9)
                        for i in (3, 5, 7):
                            position = ruled_reference.point(int(lobes), float(t), float(row[i]), float(row[i + 1]))
                            self.assertLess(math.dist(position, [float(v) for v in row[:3]]), ON_THE_SURFACE)


class Pictures(unittest.TestCase):
    def test_drawn_with_their_counts_as_the_desktop_draws_them(self):
        rows = None
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "c.csv")
            export("curves", "--time", "0.375", "-o", path, "--triple-points", os.path.join(folder, "t.csv"))
            rows = read_csv(path)
            triple = len(read_csv(os.path.join(folder, "t.csv"))) - 1
        count = len(curves_of(rows))
        self.assertGreater(count, 0)
        plain = harness.export_image("--time", "0.375")
        shown = harness.export_image("--time", "0.375", "--double-curves")
        self.assertNotEqual(plain.data, shown.data)
        # A tall picture keeps the surface and its curves away from the text.
        tall = harness.export_image("--time", "0.375", "--double-curves", "--size", "512x900")
        self.assertEqual(hud.read_line(tall, 4), f"double curves: {count}, triple points: {triple}")
        self.assertEqual(hud.read_line(harness.export_image("--time", "0.375", "--size", "512x900"), 4), "")
        # The desktop, seam-free as the exporter draws, with its appended
        # menu entry: t = 0.375 by a time step of 1/8 taken three times.
        with harness.Viewer("--seam-free") as viewer:
            viewer.wait_window()
            viewer.key(*["asterisk"] * 5, "plus", "plus", "plus", "slash", "slash", "slash", "slash", "slash")
            viewer.menu(32)
            # A curve lies where two sheets cross, level in depth with both,
            # and the window's depth buffer and the exporter's settle a few
            # of those ties apart (with the curves drawn over everything the
            # frames are equal): a tenth of a per cent of the pixels at most.
            viewer.wait_for(lambda shot: differing(shot, shown) < shown.width * shown.height // 1000, timeout=30,
                            what="the exporter's curves")


class Animation(unittest.TestCase):
    def test_the_desktop_plays_with_the_curves_and_quits_at_once(self):
        # While the eversion plays, each step's curves are found on a thread
        # of their own; Esc quits at once all the same, whatever search is
        # under way, with nothing on stderr.
        with harness.Viewer("--double-curves") as viewer:
            viewer.wait_window()
            # t = 0.375 by a time step of 1/8, then steps of 1/256 again.
            viewer.key(*["asterisk"] * 5, "plus", "plus", "plus", "slash", "slash", "slash", "slash", "slash")
            # F5: the eversion plays, about 1/256 per 100 ms tick.
            viewer.key("F5")
            viewer.wait_for(lambda shot: (hud.read_hud(shot).t or 0) >= 0.375 + 10 / 256, timeout=30,
                            what="ten steps of the eversion")
            viewer.key("Escape")
            self.assertEqual(viewer.wait_exit(timeout=10), 0)
            self.assertEqual(viewer.stderr(), "")

if __name__ == "__main__":
    harness.main()
