"""The web-site archive that scripts/package.sh ships: it holds the static
site and nothing else, its files at the top, and once unpacked into an empty
folder and served it shows the viewer in headless Chromium."""

import os
import subprocess
import sys
import tarfile
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

SOURCE = browser.SOURCE_DIR
SITE = os.environ.get("VV_SITE_DIR", os.path.join(SOURCE, "site"))




def site_files():
    """The files the archive must hold: the site folder's."""
    return {os.path.relpath(os.path.join(folder, name), SITE)
            for folder, _, names in os.walk(SITE) for name in names}


@unittest.skipUnless(browser.site_built(), f"no web build in {browser.SITE_DIR}: run scripts/web.sh")
@unittest.skipIf(harness.sanitized_build(), "the site was checked with the plain build")
class SiteArchive(unittest.TestCase):
    def test_archive_unpacked_and_served_shows_the_viewer(self):
        with tempfile.TemporaryDirectory() as tmp:
            archive = os.path.join(tmp, "site.tar.gz")
            made = subprocess.run([os.path.join(SOURCE, "scripts", "site_archive.sh"), archive],
                                  capture_output=True, text=True, timeout=120)
            self.assertEqual((made.returncode, made.stderr), (0, ""))
            with tarfile.open(archive) as tar:
                members = tar.getmembers()
                names = {m.name for m in members if m.isfile()}
                self.assertEqual(names, site_files())
                # Nothing but the site's files and folders, owned by root, readable
                # by the web server and not executable.
                for m in members:
                    self.assertTrue(m.isfile() or m.isdir(), m.name)
                    self.assertFalse(m.name.startswith(("/", "./", "..")), m.name)
                    self.assertEqual((m.uid, m.gid), (0, 0), m.name)
                    self.assertEqual(m.mode, 0o755 if m.isdir() else 0o644, m.name)
                served = os.path.join(tmp, "www")
                os.mkdir(served)
                tar.extractall(served)

            # The same files make the same archive.
            again = os.path.join(tmp, "again.tar.gz")
            subprocess.run([os.path.join(SOURCE, "scripts", "site_archive.sh"), again], check=True, timeout=120)
            with open(archive, "rb") as a, open(again, "rb") as b:
                self.assertEqual(a.read(), b.read())

            browser.SITE_DIR = served
            with browser.Page() as page:
                self.assertIn("Running", page.status())
                frame = page.canvas_image()
                # The lit sphere of the start-up frame fills the middle.
                centre = frame.count_rgb((frame.width // 2 - 20, frame.height // 2 - 20,
                                          frame.width // 2 + 20, frame.height // 2 + 20), r=(61, 255), g=(31, 255))
                self.assertGreater(centre, 0.9 * 40 * 40)
                self.assertEqual(page.errors(), [])


if __name__ == "__main__":
    harness.main()
