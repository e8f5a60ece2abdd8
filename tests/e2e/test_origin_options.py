"""The origin look's options in both programs. Bad values, in one table run
against the desktop viewer and the exporter: one line naming the fault,
status 2, no window and no file. Good values, and the menu entries appended
after the 27, draw in the desktop window (seam-free, as the exporter draws)
what the exporter draws."""

import os
import subprocess
import tempfile
import unittest

import harness

HERE = os.path.dirname(os.path.abspath(__file__))
EXPORT = harness.EXPORT

# (arguments, text the line must hold). FOLDER is an existing folder,
# SQUARE.png a readable 8 x 8 PNG, DOT.png a 1 x 1 one, TEXT.png a file that
# is no PNG.
CASES = [
    (["--colours", "purple"], "--colours is sides, latitude, longitude or image FILE.png, not 'purple'"),
    (["--colours"], "--colours is sides, latitude, longitude or image FILE.png, not ''"),
    (["--colours", "image"], "--colours image needs a picture file, FILE.png"),
    (["--colours", "image", "FOLDER/missing.png"], "cannot read the picture 'FOLDER/missing.png': No such file"),
    (["--colours", "image", "FOLDER"], "cannot read the picture 'FOLDER'"),
    (["--colours", "image", "TEXT.png"], "cannot read the picture 'TEXT.png': not a PNG file"),
    (["--colours", "image", "SQUARE.png"], "the picture 'SQUARE.png' is 8x8, not equirectangular"),
    (["--colours", "image", "DOT.png"], "the picture 'DOT.png' is 1x1, not equirectangular (the width must be "
                                        "twice the height, 2x1 at the least)"),
    (["--bands", "diagonal", "8"], "--bands is latitude N or longitude N, not 'diagonal'"),
    (["--bands", "latitude", "1"], "--bands latitude needs a whole number of bands from 2 to 180, not '1'"),
    (["--bands", "longitude", "7.5"], "--bands longitude needs a whole number of bands from 2 to 180, not '7.5'"),
    (["--bands", "latitude"], "--bands latitude needs a whole number of bands from 2 to 180, not ''"),
    (["--graticule", "0"], "--graticule needs a spacing in degrees from 1 to 90, not '0'"),
    (["--graticule", "ten"], "--graticule needs a spacing in degrees from 1 to 90, not 'ten'"),
    (["--track", "91,0"], "--track needs LAT,LON in degrees (latitude -90..90, longitude -180..180), not '91,0'"),
    (["--track", "10,180.5"], "not '10,180.5'"),
    (["--track", "10"], "not '10'"),
    (["--track", "nan,3"], "not 'nan,3'"),
    (["--track"], "--track needs LAT,LON"),
]






class BadValues(unittest.TestCase):
    def test_each_bad_value_is_one_line_and_status_2_in_both_programs(self):
        home = os.getcwd()
        self.addCleanup(os.chdir, home)
        with tempfile.TemporaryDirectory() as folder:
            os.chdir(folder)
            os.mkdir("FOLDER")
            harness.write_png("SQUARE.png", 8, 8)
            harness.write_png("DOT.png", 1, 1)
            with open("TEXT.png", "w") as f:
                f.write("not a picture\n")
            for args, text in CASES:
                with self.subTest(args=args):
                    # The desktop: on a display that does not exist, so a
                    # run that got as far as opening a window fails apart.
                    run = harness.run_quick(*args, display=":4243")
                    lines = run.stderr.decode().split("\n")
                    self.assertEqual((run.returncode, run.stdout, len(lines), lines[1]), (2, b"", 2, ""), lines)
                    self.assertTrue(lines[0].startswith(harness.BINARY + ": "), lines[0])
                    self.assertIn(text, lines[0])

                    result = subprocess.run([EXPORT, "image", "-o", "out.png", *args], capture_output=True,
                                            text=True, timeout=60)
                    self.assertEqual((result.returncode, result.stdout), (2, ""), result.stderr)
                    lines = result.stderr.split("\n")
                    self.assertEqual((len(lines), lines[1]), (2, ""), result.stderr)
                    self.assertTrue(lines[0].startswith("vedoze-vaderuve-export: "), lines[0])
                    self.assertIn(text, lines[0])
                    self.assertEqual(sorted(os.listdir(".")), ["DOT.png", "FOLDER", "SQUARE.png", "TEXT.png"])

    def test_the_look_does_not_apply_to_meshes(self):
        result = subprocess.run([EXPORT, "mesh", "--colours", "latitude", "-o", "/tmp/never.ply"],
                                capture_output=True, text=True, timeout=60)
        self.assertEqual(result.returncode, 2)
        self.assertIn("--colours does not apply to meshes", result.stderr)


class DesktopAgreesWithTheExporter(unittest.TestCase):
    def test_options_and_appended_menu_entries_draw_the_exporters_frames(self):
        with tempfile.TemporaryDirectory() as folder:
            picture = os.path.join(folder, "map.png")
            harness.write_png(picture, 64, 32, lambda x, y: (4 * x, 8 * y, 255 - 4 * x))
            for look in (["--colours", "longitude", "--graticule", "30", "--track", "20,40", "--bands", "latitude",
                          "6", "--orthographic"],
                         ["--colours", "image", picture, "--bands", "longitude", "5"]):
                with self.subTest(look=look), harness.Viewer("--seam-free", *look) as viewer:
                    viewer.wait_window()
                    want = harness.export_image(*look)
                    viewer.wait_for(lambda shot: shot.data == want.data, timeout=20, what="the exporter's frame")

        with harness.Viewer("--seam-free") as viewer:
            viewer.wait_window()
            # Entry 27 cycles the colours (sides -> latitude), 28 the bands
            # (none -> latitude), 29 the graticule, 30 the projection.
            for index, options in ((27, ["--colours", "latitude"]), (28, ["--bands", "latitude", "8"]),
                                   (29, ["--graticule", "15"]), (30, ["--orthographic"])):
                look_so_far = options if index == 27 else look_so_far + options
                viewer.menu(index)
                want = harness.export_image(*look_so_far)
                viewer.wait_for(lambda shot: shot.data == want.data, timeout=20, what=f"menu entry {index}")


if __name__ == "__main__":
    harness.main()
