"""The package installed as an administrator would, in a fresh Debian 12 root
made with debootstrap: scripts/package_test.py on the package CPack makes
from this build. It needs root, debootstrap and Debian's archive, and takes
about seven minutes, mostly debootstrap ($VV_BASE_ROOT names a root made
earlier, which is copied instead)."""

import os
import shutil
import subprocess
import tempfile
import unittest

import harness

SOURCE = os.environ.get("VV_SOURCE_DIR", os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
BUILD = os.environ.get("VV_BUILD_DIR", os.path.join(SOURCE, "build"))




@unittest.skipUnless(os.geteuid() == 0, "installing in a root file system needs root")
@unittest.skipIf(shutil.which("debootstrap") is None or shutil.which("cpack") is None, "debootstrap or cpack missing")
@unittest.skipIf(harness.sanitized_build(), "a sanitized build is not packaged")
class FreshDebian(unittest.TestCase):
    def test_install_use_and_purge(self):
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run(["cpack", "-G", "DEB", "-B", tmp, "--config", os.path.join(BUILD, "CPackConfig.cmake")],
                           capture_output=True, check=True, timeout=600)
            deb = [os.path.join(tmp, n) for n in os.listdir(tmp) if n.endswith(".deb")]
            result = subprocess.run(["/usr/bin/python3", os.path.join(SOURCE, "scripts", "package_test.py"), *deb],
                                    capture_output=True, text=True, timeout=2400)
        print(result.stdout)
        self.assertEqual(result.returncode, 0, result.stdout[-4000:] + result.stderr[-4000:])
        self.assertIn("all checks passed", result.stdout)


if __name__ == "__main__":
    harness.main()
