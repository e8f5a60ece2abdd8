"""Bad input to the real exporter: each case gets exactly one line on
standard error naming the fault, exit status 2, and leaves no file (not the
target, not a temporary file) behind. A write beyond the file-size limit
fails like any write: one line naming the file, status 1, the target as it
was and nothing beside it."""

import os
import subprocess
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
EXPORT = os.environ.get("VV_EXPORT", os.path.join(HERE, "../../build/vedoze-vaderuve-export"))
NO_EGL_VENDOR = {"__EGL_VENDOR_LIBRARY_FILENAMES": "/nonexistent/vendor.json"}
NO_DRIVER = {"LIBGL_DRIVERS_PATH": "/nonexistent"}

# (arguments, text the line must hold, extra environment); OUT is replaced
# by a path in an empty folder.
CASES = [
    ([], "no command", None),
    (["render", "-o", "OUT.png"], "unknown command 'render'", None),
    (["image", "--time", "1.5", "-o", "OUT.png"], "--time must be within [0, 1], not 1.5", None),
    (["image", "--time", "-0.01", "-o", "OUT.png"], "--time must be within", None),
    (["image", "--time", "nan", "-o", "OUT.png"], "--time needs a number, not 'nan'", None),
    (["mesh", "--time", "0.5x", "-o", "OUT.ply"], "--time needs a number", None),
    (["image", "--time", "-o", "OUT.png"], "--time needs a number, not '-o'", None),
    (["image", "--strips", "0", "-o", "OUT.png"], "--strips must be from 1", None),
    (["image", "--strips-shown", "0", "-o", "OUT.png"], "--strips-shown must be from 1", None),
    (["image", "--strips", "4", "--strips-shown", "5", "-o", "OUT.png"], "more than the 4 strips", None),
    (["mesh", "--hemispheres", "3", "-o", "OUT.obj"], "--hemispheres must be from 1 to 2", None),
    (["mesh", "--patches", "1x12", "-o", "OUT.stl"], "--patches must be from 2 to 4096, not 1", None),
    (["mesh", "--patches", "4097", "-o", "OUT.stl"], "--patches must be from 2 to 4096", None),
    (["mesh", "--patches", "12x", "-o", "OUT.stl"], "--patches needs a whole number", None),
    (["mesh", "--patches", "4096", "-o", "OUT.glb"], "million triangles needs about", None),
    (["image", "--size", "15x512", "-o", "OUT.png"], "--size must be from 16", None),
    (["image", "--size", "512", "-o", "OUT.png"], "--size needs two numbers", None),
    (["image", "--size", "99999x64", "-o", "OUT.png"], "over the renderer's limit", None),
    (["image", "--samples", "64", "-o", "OUT.png"], "--samples 64 is over the renderer's limit", None),
    (["image", "--alpha", "2", "-o", "OUT.png"], "--alpha must be within [0, 1]", None),
    (["image", "--mode", "solid", "-o", "OUT.png"], "--mode is points, wireframe", None),
    (["image", "--cull", "both", "-o", "OUT.png"], "--cull is none, back or front", None),
    (["image", "--orbit", "10", "-o", "OUT.png"], "--orbit needs two numbers", None),
    (["image", "--bogus", "-o", "OUT.png"], "unknown option '--bogus'", None),
    (["image", "--fps", "30", "-o", "OUT.png"], "--fps does not apply to images", None),
    (["mesh", "--size", "64x64", "-o", "OUT.ply"], "--size does not apply to meshes", None),
    (["movie", "--frames", "0", "-o", "OUT.mp4"], "--frames must be from 1", None),
    (["movie", "--fps", "0", "-o", "OUT.mp4"], "--fps must be within", None),
    (["movie", "--from", "1.1", "-o", "OUT.mp4"], "--from must be within [0, 1]", None),
    (["movie", "--size", "97x64", "-o", "OUT.mp4"], "needs an even width and height", None),
    (["image"], "no output", None),
    (["image", "-o", "OUT.jpg"], "an image is written as FILE.png", None),
    (["movie", "-o", "OUT.avi"], "a movie is written as FILE.mp4", None),
    (["mesh", "-o", "OUT.fbx"], "a mesh is written as FILE.ply", None),
    (["mesh", "-o", "OUT/"], "a mesh is written as FILE.ply", None),
    (["image", "-o", "/nonexistent/folder/a.png"], "cannot write to '/nonexistent/folder'", None),
    (["mesh", "-o", "/proc/m.ply"], "cannot write to '/proc'", None),
    (["image", "-o", "FOLDER"], "is a folder", None),
    (["movie", "-o", "OUT.mp4"], "ffmpeg is needed for movies but is not on PATH", {"PATH": "/nonexistent"}),
    (["image", "-o", "OUT.png"], "no usable EGL display", NO_EGL_VENDOR),
    (["movie", "-o", "OUT.webm"], "no usable EGL display", NO_DRIVER),
    (["movie", "-o", "OUT/"], "no usable EGL display", NO_EGL_VENDOR),
]


class BadInput(unittest.TestCase):
    def test_each_fault_is_one_line_status_2_and_no_file(self):
        for args, text, env in CASES:
            with self.subTest(args=args, env=env), tempfile.TemporaryDirectory() as folder:
                out = os.path.join(folder, "out")
                existing = os.path.join(folder, "taken.png")
                os.mkdir(existing)
                argv = [a.replace("OUT", out).replace("FOLDER", existing) for a in args]
                result = subprocess.run([EXPORT, *argv], env=dict(os.environ, **(env or {})), capture_output=True,
                                        text=True, timeout=60)
                self.assertEqual(result.returncode, 2, result.stderr)
                self.assertEqual(result.stdout, "")
                lines = result.stderr.split("\n")
                self.assertEqual(len(lines), 2, result.stderr)
                self.assertEqual(lines[1], "")
                self.assertTrue(lines[0].startswith("vedoze-vaderuve-export: "), lines[0])
                self.assertIn(text, lines[0])
                self.assertEqual(os.listdir(folder), ["taken.png"])
                self.assertEqual(os.listdir(existing), [])

    def test_file_size_limit_is_a_failed_write(self):
        # ffmpeg writes the movies; the exporter itself the pictures and meshes.
        for args in (["image", "--size", "256x256"], ["movie", "--frames", "10", "--size", "128x128"], ["mesh"]):
            name = {"image": "out.png", "movie": "out.mp4", "mesh": "out.ply"}[args[0]]
            with self.subTest(args=args), tempfile.TemporaryDirectory() as folder:
                target = os.path.join(folder, name)
                with open(target, "wb") as f:
                    f.write(b"the earlier file")
                # 4 KiB, under what each of these writes.
                result = subprocess.run(["bash", "-c", 'ulimit -f 4 && exec "$@"', "bash", EXPORT, *args, "-o", target],
                                        capture_output=True, text=True, timeout=60)
                self.assertEqual((result.returncode, result.stdout), (1, ""), result.stderr)
                self.assertEqual(result.stderr, f"vedoze-vaderuve-export: cannot write '{target}': File too large\n")
                self.assertEqual(os.listdir(folder), [name])
                with open(target, "rb") as f:
                    self.assertEqual(f.read(), b"the earlier file")

    def test_help_is_not_an_error(self):
        result = subprocess.run([EXPORT, "--help"], capture_output=True, text=True, timeout=30)
        self.assertEqual(result.returncode, 0)
        self.assertEqual(result.stderr, "")
        for command in ("image", "movie", "mesh"):
            self.assertIn(f"vedoze-vaderuve-export {command}", result.stdout)


if __name__ == "__main__":
    unittest.main()
