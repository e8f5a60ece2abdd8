"""Installing: `cmake --install` puts the viewer, the exporter and their
manual pages (compressed, as Debian keeps them) in place, the installed programs run, and the page
renders without a formatter warning and lists the program's own menu."""

import gzip
import os
import re
import shutil
import subprocess
import tempfile
import unittest

import harness

SOURCE = os.environ.get("VV_SOURCE_DIR", os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
BUILD = os.environ.get("VV_BUILD_DIR", os.path.join(SOURCE, "build"))
PAGE = os.path.join("share", "man", "man1", "vedoze-vaderuve.1.gz")
USAGE = "\nUsage: {} [--help] [--root] [--stereo [stereo_distance]]\n\n" + harness.OPTIONS_USAGE.replace("{", "{{").replace("}", "}}")


def unpack(page):
    with gzip.open(page, "rt", encoding="utf-8") as text:
        return text.read()


def menu_labels():
    """The pop-up menu's labels, in order, as the program's source lists them."""
    with open(os.path.join(SOURCE, "viewer", "Commands.cpp"), encoding="utf-8") as source:
        return re.findall(r'\{\s*\d+\s*,\s*"([^"]*)"\s*\}', source.read())


@unittest.skipIf(shutil.which("cmake") is None, "cmake is not installed")
class Install(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.prefix = cls.tmp.name
        cls.result = subprocess.run(["cmake", "--install", BUILD, "--prefix", cls.prefix],
                                    capture_output=True, text=True, timeout=120)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_install_places_the_viewer_and_its_page(self):
        self.assertEqual(self.result.returncode, 0, self.result.stderr)
        binary = os.path.join(self.prefix, "bin", "vedoze-vaderuve")
        self.assertTrue(os.access(binary, os.X_OK), binary)
        # The installed copy is a working viewer: --help needs no display.
        run = subprocess.run([binary, "--help"], env=dict(os.environ, DISPLAY=":4242"),
                             capture_output=True, text=True, timeout=10)
        self.assertEqual((run.returncode, run.stdout, run.stderr), (0, "", USAGE.format(binary)))
        with gzip.open(os.path.join(self.prefix, PAGE), "rb") as installed, \
                open(os.path.join(SOURCE, "doc", "vedoze-vaderuve.1"), "rb") as original:
            self.assertEqual(installed.read(), original.read())

    @unittest.skipIf(shutil.which("groff") is None, "groff is not installed")
    def test_page_renders_cleanly_and_lists_the_menu(self):
        page = os.path.join(self.prefix, PAGE)
        # -ww enables every warning; -z formats without output.
        check = subprocess.run(["groff", "-man", "-ww", "-z"], input=unpack(page), capture_output=True, text=True,
                               timeout=30)
        self.assertEqual((check.returncode, check.stderr), (0, ""))

        # Plain ASCII text: no bold or underline by overstriking, no escapes.
        text = subprocess.run(["groff", "-man", "-Tascii", "-P-cbu"], input=unpack(page), capture_output=True, text=True,
                              timeout=30, check=True).stdout
        headings = re.findall(r"^([A-Z][A-Z ]+)$", text, re.MULTILINE)
        for heading in ("NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS", "DIAGNOSTICS"):
            self.assertIn(heading, headings)
        self.assertNotIn("AUTHOR", headings)

        # The MENU section lists every entry, in the program's order, byte for byte.
        labels = menu_labels()
        self.assertEqual(len(labels), 27 + 6)  # the added entries come after the 27
        menu = text.split("\nMENU\n", 1)[1].split("\nMOUSE\n", 1)[0]
        lines = [line.strip() for line in menu.splitlines() if line.strip()]
        self.assertEqual(lines[-len(labels):], labels)

    def test_install_places_the_exporter_and_its_page(self):
        self.assertEqual(self.result.returncode, 0, self.result.stderr)
        binary = os.path.join(self.prefix, "bin", "vedoze-vaderuve-export")
        mesh = os.path.join(self.prefix, "m.ply")
        run = subprocess.run([binary, "mesh", "--patches", "4", "-o", mesh], capture_output=True, text=True,
                             timeout=30)
        self.assertEqual((run.returncode, run.stderr), (0, ""))
        self.assertTrue(os.path.getsize(mesh) > 0)
        page = os.path.join(self.prefix, "share", "man", "man1", "vedoze-vaderuve-export.1.gz")
        with gzip.open(page, "rb") as installed, \
                open(os.path.join(SOURCE, "doc", "vedoze-vaderuve-export.1"), "rb") as original:
            self.assertEqual(installed.read(), original.read())
        if shutil.which("groff"):
            check = subprocess.run(["groff", "-man", "-ww", "-z"], input=unpack(page), capture_output=True, text=True,
                                   timeout=30)
            self.assertEqual((check.returncode, check.stderr), (0, ""))


if __name__ == "__main__":
    harness.main()
