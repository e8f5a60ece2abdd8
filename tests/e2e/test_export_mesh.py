"""Meshes from the real exporter, read back by independent readers: closed
unit spheres facing out at t = 0 and in at t = 1 in every format, and at a
middle time exactly the viewer's samples under the viewer's rotations."""

import math
import os
import subprocess
import tempfile
import unittest

from mesh_readers import READERS, read_ply, topology

HERE = os.path.dirname(os.path.abspath(__file__))
EXPORT = os.environ.get("VV_EXPORT", os.path.join(HERE, "../../build/vedoze-vaderuve-export"))
GRID_DUMP = os.environ.get("GRID_DUMP", os.path.join(HERE, "../../build/tests/grid_dump"))
# Float positions of unit size, rotated in double and rounded once.
POSITION_TOLERANCE = 1e-5


def export_mesh(folder, name, *options):
    path = os.path.join(folder, name)
    result = subprocess.run([EXPORT, "mesh", *options, "-o", path], capture_output=True, text=True, timeout=120)
    assert result.returncode == 0, result.stderr
    assert result.stderr == "", result.stderr
    return path


def sub(a, b):
    return [x - y for x, y in zip(a, b)]


def cross(a, b):
    return [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]]


def dot(a, b):
    return sum(x * y for x, y in zip(a, b))


class EveryFormat(unittest.TestCase):
    def test_the_ends_are_closed_unit_spheres_facing_out_then_in(self):
        with tempfile.TemporaryDirectory() as folder:
            for t, side in (("0", 1), ("1", -1)):
                counts = set()
                for ext, reader in sorted(READERS.items()):
                    with self.subTest(t=t, format=ext):
                        positions, normals, triangles = reader(export_mesh(folder, f"m{t}.{ext}", "--time", t))
                        v, e, f, bad, twice = topology(triangles)
                        self.assertEqual((bad, twice), (0, 0), "open, pinched or inconsistently wound")
                        self.assertEqual(v - e + f, 2)
                        self.assertEqual(v, len(positions), "unused vertices")
                        counts.add((v, f))
                        for p, n in zip(positions, normals):
                            self.assertAlmostEqual(math.sqrt(dot(p, p)), 1, delta=POSITION_TOLERANCE)
                            self.assertAlmostEqual(math.sqrt(dot(n, n)), 1, delta=1e-4)
                            # STL's facet normals only approximate the radial direction.
                            self.assertGreater(side * dot(n, p), 0.999 if ext != "stl" else 0.9)
                        for a, b, c in triangles:
                            n = cross(sub(positions[b], positions[a]), sub(positions[c], positions[a]))
                            self.assertGreater(math.sqrt(dot(n, n)), 1e-10, "zero-area triangle")
                            # Counter-clockwise seen from the front.
                            self.assertGreater(dot(n, normals[a]), 0)
                # Two poles, 8 strips of 12 columns on 23 rings; the same mesh in every format.
                self.assertEqual(counts, {(2 + 8 * 12 * 23, 2 * 8 * 12 * 23)})


class MiddleTime(unittest.TestCase):
    def test_vertices_are_the_rotated_samples_of_the_grid(self):
        t, strips, lat, lon = "0.37", 5, 6, 7
        dump = subprocess.run([GRID_DUMP, t, str(strips), str(lat), str(lon), "0"], capture_output=True, text=True,
                              check=True).stdout.split("\n")
        grid = {}
        for line in dump[1:]:
            if line:
                w = line.split()
                grid[(int(w[0]), int(w[1]))] = ([float(x) for x in w[2:5]], [float(x) for x in w[5:8]])

        # The viewer's modelview: a half turn about y for the second
        # hemisphere, then the strip's turn about z.
        def place(p, h, s):
            k = -s if h == 0 else s + 1
            a = math.radians(k * 360.0 / strips)
            x, y, z = p[0] * math.cos(a) - p[1] * math.sin(a), p[0] * math.sin(a) + p[1] * math.cos(a), p[2]
            return (-x, y, -z) if h else (x, y, z)

        samples = [(place(p, h, s), place(n, h, s), r)
                   for h in (0, 1) for s in range(strips) for (r, _), (p, n) in grid.items()]
        with tempfile.TemporaryDirectory() as folder:
            positions, normals, _ = read_ply(export_mesh(folder, "m.ply", "--time", t, "--strips", str(strips),
                                                         "--patches", f"{lat}x{lon}"))
        self.assertEqual(len(positions), 2 + strips * lon * (2 * lat - 1))

        def key(p):
            return tuple(round(x / POSITION_TOLERANCE / 4) for x in p)

        buckets = {}
        for i, p in enumerate(positions):
            buckets.setdefault(key(p), []).append(i)

        def nearest(p):
            best = None
            k = key(p)
            for dx in (-1, 0, 1):
                for dy in (-1, 0, 1):
                    for dz in (-1, 0, 1):
                        for i in buckets.get((k[0] + dx, k[1] + dy, k[2] + dz), []):
                            d = math.dist(p, positions[i])
                            if best is None or d < best[0]:
                                best = (d, i)
            return best

        hit = set()
        for p, n, row in samples:
            found = nearest(p)
            self.assertIsNotNone(found, f"sample {p} is missing from the mesh")
            self.assertLess(found[0], POSITION_TOLERANCE)
            hit.add(found[1])
            if row > 0:  # pole normals are the mean of their row
                self.assertLess(math.dist(n, normals[found[1]]), 1e-5)
        self.assertEqual(len(hit), len(positions), "vertices that are no sample")


if __name__ == "__main__":
    unittest.main()
