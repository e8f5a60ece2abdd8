"""--version of both programs: the project's version from the build, on
standard output, status 0, with no window and no display; and the same
version and the option on the manual pages."""

import os
import subprocess
import unittest

import harness

SOURCE = os.environ.get("VV_SOURCE_DIR", os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
EXPORT = os.environ.get("VV_EXPORT", os.path.join(SOURCE, "build", "vedoze-vaderuve-export"))




class Version(unittest.TestCase):
    def test_both_programs_print_name_and_version_without_a_display(self):
        version = harness.project_version()
        # An unusable display proves that no window is attempted; other words
        # around it are not read (the exporter would reject these).
        cases = [(harness.BINARY, ["--version"]), (harness.BINARY, ["-r", "--version", "-s", "2"]),
                 (harness.BINARY, ["-s", "--version"]),
                 (EXPORT, ["--version"]), (EXPORT, ["image", "--nonsense", "--version"])]
        for binary, args in cases:
            with self.subTest(binary=os.path.basename(binary), args=args):
                env = dict(os.environ, DISPLAY=":4242")
                result = subprocess.run([binary, *args], env=env, capture_output=True, text=True, timeout=30)
                name = os.path.basename(binary)
                self.assertEqual((result.returncode, result.stdout, result.stderr), (0, f"{name} {version}\n", ""))

    def test_pages_carry_the_same_version_and_the_option(self):
        version = harness.project_version()
        for page in ("vedoze-vaderuve.1", "vedoze-vaderuve-export.1"):
            with open(os.path.join(SOURCE, "doc", page), encoding="utf-8") as text:
                content = text.read()
            self.assertIn(f'"Vedoze Vaderuve {version}"', content.split("\n", 1)[0], page)
            self.assertIn("\\-\\-version", content, page)


if __name__ == "__main__":
    harness.main()
