"""The Debian package, made by CPack from this build as scripts/package.sh
makes it: its control fields and dependencies, its files (programs, manual
pages, desktop entry, icons drawn from the eversion, bash completion,
copyright), lintian's verdict, the desktop entry's validity, and the
completion as bash offers it. Installing it in a fresh Debian root is
scripts/package_test.py's work (it takes minutes)."""

import gzip
import os
import re
import shlex
import shutil
import subprocess
import tempfile
import unittest

import harness

SOURCE = os.environ.get("VV_SOURCE_DIR", os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
BUILD = os.environ.get("VV_BUILD_DIR", os.path.join(SOURCE, "build"))
EXPORT = os.environ.get("VV_EXPORT", os.path.join(BUILD, "vedoze-vaderuve-export"))
BASH_COMPLETION = "/usr/share/bash-completion/bash_completion"
ICON_SIZES = (48, 64, 128, 256, 512)
FILES = {
    "usr/bin/vedoze-vaderuve",
    "usr/bin/vedoze-vaderuve-export",
    "usr/share/man/man1/vedoze-vaderuve.1.gz",
    "usr/share/man/man1/vedoze-vaderuve-export.1.gz",
    "usr/share/applications/vedoze-vaderuve.desktop",
    "usr/share/bash-completion/completions/vedoze-vaderuve-export",
    "usr/share/doc/vedoze-vaderuve/copyright",
    "usr/share/doc/vedoze-vaderuve/changelog.gz",
} | {f"usr/share/icons/hicolor/{n}x{n}/apps/vedoze-vaderuve.png" for n in ICON_SIZES}






def read_png(path):
    # ImageMagick decodes the PNG: a reader apart from the writer.
    ppm = subprocess.run(["convert", "png:" + path, "-background", "black", "-flatten", "ppm:-"],
                         capture_output=True, check=True, timeout=60).stdout
    return harness.parse_ppm(ppm)


@unittest.skipIf(shutil.which("cpack") is None or shutil.which("dpkg-deb") is None, "cpack or dpkg-deb missing")
@unittest.skipIf(harness.sanitized_build(), "a sanitized build is not packaged")
class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        made = subprocess.run(["cpack", "-G", "DEB", "-B", cls.tmp.name, "--config",
                               os.path.join(BUILD, "CPackConfig.cmake")], capture_output=True, text=True,
                              timeout=600)
        if made.returncode != 0:
            raise AssertionError(f"cpack failed:\n{made.stdout}\n{made.stderr}")
        debs = [n for n in os.listdir(cls.tmp.name) if n.endswith(".deb")]
        assert len(debs) == 1, debs
        cls.deb = os.path.join(cls.tmp.name, debs[0])
        cls.root = os.path.join(cls.tmp.name, "root")
        subprocess.run(["dpkg-deb", "-x", cls.deb, cls.root], check=True, timeout=60)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def field(self, name):
        return subprocess.run(["dpkg-deb", "-f", self.deb, name], capture_output=True, text=True, check=True,
                              timeout=30).stdout.strip()

    def test_control_fields(self):
        version = harness.project_version()
        self.assertRegex(os.path.basename(self.deb), rf"^vedoze-vaderuve_{re.escape(version)}_\w+\.deb$")
        self.assertEqual(self.field("Package"), "vedoze-vaderuve")
        self.assertEqual(self.field("Version"), version)
        self.assertIn(self.field("Section"), ("science", "graphics"))
        self.assertRegex(self.field("Maintainer"), r"^[^<>]+ <[^@<>\s]+@[^@<>\s]+>$")
        summary, _, long = self.field("Description").partition("\n")
        self.assertTrue(0 < len(summary) <= 80 and long.count("\n") >= 3, (summary, long))
        # dpkg-shlibdeps writes versioned dependencies on the packages of the
        # libraries the programs load: the C library, EGL, GLUT, PNG, assimp.
        depends = self.field("Depends")
        for package in (r"libc6 \(>= [\d.]+\)", r"libegl1\b", r"libglut3\.\d+", r"libpng16-16\b", r"libassimp\d+"):
            self.assertRegex(depends, package)

    def test_files_of_the_package(self):
        found = set()
        for folder, _, names in os.walk(self.root):
            found |= {os.path.relpath(os.path.join(folder, n), self.root) for n in names}
        self.assertEqual(found, FILES)
        for page in ("vedoze-vaderuve.1", "vedoze-vaderuve-export.1"):
            with gzip.open(os.path.join(self.root, "usr/share/man/man1", page + ".gz"), "rb") as packed, \
                    open(os.path.join(SOURCE, "doc", page), "rb") as original:
                self.assertEqual(packed.read(), original.read(), page)
        with open(os.path.join(self.root, "usr/share/doc/vedoze-vaderuve/copyright"), encoding="utf-8") as f:
            copyright = f.read()
        self.assertTrue(copyright.startswith("Format: https://www.debian.org/doc/packaging-manuals/"))
        self.assertRegex(copyright, r"\nLicense: \S+\n Copyright")

    def test_icons_are_the_eversion_at_each_size(self):
        for size in ICON_SIZES:
            path = os.path.join(self.root, f"usr/share/icons/hicolor/{size}x{size}/apps/vedoze-vaderuve.png")
            with open(path, "rb") as png:
                header = png.read(26)
            # IHDR: width, height, bit depth 8, colour type 6 (RGB with alpha).
            self.assertEqual((int.from_bytes(header[16:20], "big"), int.from_bytes(header[20:24], "big"),
                              header[24], header[25]), (size, size, 8, 6), size)
            icon = read_png(path)
            yellow = icon.count_rgb(r=(120, 255), g=(100, 255), b=(0, 90))
            violet = icon.count_rgb(r=(60, 255), g=(0, 60), b=(90, 255))
            # Both sides of the surface show, and it fills most of the square.
            self.assertGreater(yellow, 0.1 * size * size, size)
            self.assertGreater(violet, 0.05 * size * size, size)
            self.assertGreater(icon.count_rgb(r=(1, 255)), 0.5 * size * size, size)

    @unittest.skipIf(shutil.which("lintian") is None, "lintian is not installed")
    def test_lintian_reports_no_error(self):
        result = subprocess.run(["lintian", "--tag-display-limit", "0", self.deb], capture_output=True, text=True,
                                timeout=600)
        print(f"\nlintian: {result.stdout.strip() or 'nothing to report'}")
        self.assertEqual([line for line in result.stdout.splitlines() if line.startswith("E:")], [])
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

    @unittest.skipIf(shutil.which("desktop-file-validate") is None, "desktop-file-utils is not installed")
    def test_desktop_entry_is_valid_and_names_what_the_package_holds(self):
        entry = os.path.join(self.root, "usr/share/applications/vedoze-vaderuve.desktop")
        result = subprocess.run(["desktop-file-validate", entry], capture_output=True, text=True, timeout=30)
        self.assertEqual((result.returncode, result.stdout + result.stderr), (0, ""))
        with open(entry, encoding="utf-8") as f:
            keys = dict(line.split("=", 1) for line in f.read().splitlines() if "=" in line)
        self.assertTrue(os.path.exists(os.path.join(self.root, "usr/bin", keys["Exec"].split()[0])))
        self.assertEqual(keys["Icon"], "vedoze-vaderuve")
        self.assertEqual(keys["Terminal"], "false")

    def complete(self, *words, folder=None):
        """What bash offers for the last word, with bash-completion's helpers
        and the packaged completion loaded, as an interactive shell has them."""
        script = "\n".join([
            f". {BASH_COMPLETION}",
            f". {shlex.quote(os.path.join(self.root, 'usr/share/bash-completion/completions/vedoze-vaderuve-export'))}",
            "COMP_WORDS=(vedoze-vaderuve-export " + " ".join(shlex.quote(w) for w in words) + ")",
            f"COMP_CWORD={len(words)}",
            "COMP_LINE=\"${COMP_WORDS[*]}\"; COMP_POINT=${#COMP_LINE}",
            "function=$(complete -p vedoze-vaderuve-export | sed -n 's/.*-F \\([^ ]*\\) .*/\\1/p')",
            "\"$function\" vedoze-vaderuve-export \"${COMP_WORDS[COMP_CWORD]}\" \"${COMP_WORDS[COMP_CWORD-1]}\"",
            "printf '%s\\n' \"${COMPREPLY[@]}\""])
        result = subprocess.run(["bash", "--norc", "--noprofile", "-c", script], capture_output=True, text=True,
                                timeout=30, cwd=folder)
        self.assertEqual(result.returncode, 0, result.stderr)
        return set(result.stdout.split())

    @unittest.skipUnless(os.path.exists(BASH_COMPLETION), "bash-completion is not installed")
    def test_completion_offers_each_commands_options(self):
        cases = [
            (("",), {"image", "movie", "mesh", "curves", "--help", "--version"}, set()),
            (("image", "--"), {"--time", "--size", "--samples", "--no-text", "--orbit"}, {"--frames", "--rotate"}),
            (("movie", "--"), {"--from", "--to", "--frames", "--fps", "--rotate", "--size"}, {"--time"}),
            (("mesh", "--"), {"--time", "--patches", "--strips", "--half-strips"}, {"--size", "--mode", "--axes"}),
            (("movie", "--r"), {"--rotate"}, {"--time"}),
            (("image", "--mode", ""), {"points", "wireframe", "strips", "checkerboard", "rows"}, {"--time"}),
            (("image", "--cull", ""), {"none", "back", "front"}, set()),
            (("image", "--time", ""), set(), {"--time", "--size"}),  # a number comes next
        ]
        for words, offered, not_offered in cases:
            with self.subTest(words=words):
                got = self.complete(*words)
                self.assertLessEqual(offered, got)
                self.assertFalse(got & not_offered, got & not_offered)

        # Every option --help lists is offered for some command.
        listed = set(re.findall(r"(?<![\w-])(--[a-z][a-z0-9-]*)",
                                subprocess.run([EXPORT, "--help"], capture_output=True, text=True,
                                               timeout=30).stdout)) - {"--help", "--version"}
        offered = set().union(*(self.complete(command, "-") for command in ("image", "movie", "mesh", "curves")))
        self.assertEqual(listed - offered, set())

    @unittest.skipUnless(os.path.exists(BASH_COMPLETION), "bash-completion is not installed")
    def test_completion_offers_files_of_the_commands_formats(self):
        with tempfile.TemporaryDirectory() as folder:
            for name in ("a.png", "b.mp4", "c.ply", "d.txt"):
                open(os.path.join(folder, name), "w").close()
            os.mkdir(os.path.join(folder, "pictures"))
            for command, expected in (("image", {"a.png", "pictures"}), ("movie", {"b.mp4", "pictures"}),
                                      ("mesh", {"c.ply", "pictures"})):
                with self.subTest(command=command):
                    self.assertEqual(self.complete(command, "-o", "", folder=folder), expected)


if __name__ == "__main__":
    harness.main()
