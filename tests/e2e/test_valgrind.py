"""The real binary under valgrind's memcheck through a scripted session of
more than 20 seconds: both animations, every display mode, shading, blending,
culling, decorations, stereo, patch and strip edits, drags under the modifier
combinations that move the camera, scrub time and tune alpha and the eye
separation, tiny and odd window sizes, a menu pick, and Esc at the end.

Memcheck watches every process library too, and X11, the dynamic loader, the
GL dispatch and Mesa report errors and leaks of their own on this stack (an
rpath read past its end in the loader, an uninitialised flag in XCloseDisplay
at exit, the GLX context and screen records never freed). Those are not the
program's. An error counts as the program's own when
  - the innermost frame outside the C/C++ runtime and valgrind's allocator
    replacements is in the program binary (the program itself read, wrote or
    branched wrongly, or allocated the leaked block), or
  - it is an invalid read or write whose stack enters the libraries from the
    program only through OpenGL (the program handed GL a bad pointer, as to
    glVertex3fv); start-up, GLUT and exit paths do not count here.
The program's stderr must show no consistency check, and its exit must be
the one Esc makes."""

import os
import shutil
import sys
import tempfile
import time
import unittest
import xml.etree.ElementTree as ET

import harness
from harness import Viewer

SESSION_SECONDS = 20
# Memcheck's status when it found any error, the libraries' included: kept
# apart from the program's own exit statuses 0 (Esc) and 1 (a failed check).
ERROR_EXIT = 97
# Frames that only carry an error or an allocation on behalf of their caller.
RUNTIME_OBJECTS = ("vgpreload_", "libc.so", "libstdc++.so", "libm.so", "libgcc_s.so")
GL_OBJECTS = ("libGL.so", "libGLX", "libGLdispatch", "libglapi", "libgallium", "_dri.so", "libLLVM", "libGLU")
OWN_KINDS = ("InvalidRead", "InvalidWrite", "InvalidFree", "MismatchedFree", "UninitCondition", "UninitValue",
             "Overlap", "SyscallParam", "Leak_DefinitelyLost", "ClientCheck", "FishyValue")


def frames(error):
    return [((f.findtext("fn") or "?"), (f.findtext("obj") or "")) for f in error.find("stack").findall("frame")]


def is_own(error, binary):
    kind = error.findtext("kind")
    if kind not in OWN_KINDS:
        return False
    stack = frames(error)
    inner = [(fn, obj) for fn, obj in stack if not any(r in obj for r in RUNTIME_OBJECTS)]
    if inner and os.path.realpath(inner[0][1] or "/") == binary:
        return True
    if kind in ("InvalidRead", "InvalidWrite"):
        own = [i for i, (_, obj) in enumerate(inner) if os.path.realpath(obj or "/") == binary]
        if own and all(any(g in obj for g in GL_OBJECTS) for _, obj in inner[:own[0]]):
            return True
    return False


def describe(error):
    what = error.findtext("what") or error.findtext("xwhat/text") or ""
    stack = "\n".join(f"      {fn} [{os.path.basename(obj)}]" for fn, obj in frames(error)[:15])
    return f"{error.findtext('kind')}: {what}\n{stack}"


def env_for_valgrind():
    # Mesa's llvmpipe runs its JIT code and worker threads under memcheck at
    # a crawl (a few seconds a frame); the plain software rasteriser draws
    # the same frames several times faster there.
    return {"LIBGL_ALWAYS_SOFTWARE": "1", "GALLIUM_DRIVER": "softpipe"}


def sanitized_build():
    cache = os.path.join(os.environ.get("VV_BUILD_DIR", ""), "CMakeCache.txt")
    if not os.path.exists(cache):
        return False
    with open(cache) as f:
        return any(line.startswith("VV_SANITIZE:") and line.strip().split("=", 1)[1] for line in f)


@unittest.skipUnless(shutil.which("valgrind"), "valgrind is not installed")
class Memcheck(unittest.TestCase):
    def test_scripted_session_has_no_memory_errors_or_leaks_of_its_own(self):
        if sanitized_build():
            self.skipTest("a sanitizer build cannot run under valgrind")
        binary = os.path.realpath(harness.BINARY)
        with tempfile.TemporaryDirectory() as tmp:
            xml_path = os.path.join(tmp, "memcheck.xml")
            wrapper = ["valgrind", "--tool=memcheck", f"--error-exitcode={ERROR_EXIT}", "--leak-check=full",
                       "--errors-for-leak-kinds=definite", "--num-callers=40", "--xml=yes",
                       f"--xml-file={xml_path}"]
            start = time.time()
            with Viewer(wrapper=wrapper, env=env_for_valgrind(), sync_timeout=180) as v:
                v.wait_window(timeout=120)
                session_start = time.time()
                self.session(v)
                while time.time() - session_start < SESSION_SECONDS:
                    v.key("plus", "F9", "F9", delay=0.5)
                session = time.time() - session_start
                self.sync(v, "Q", 81)
                v.xdotool("key", "--window", v.window, "Escape")
                status = v.wait_exit(timeout=300)
                out, err = v.stdout(), v.stderr()
            elapsed = time.time() - start
            root = ET.parse(xml_path).getroot()

        errors = root.findall("error")
        own = [e for e in errors if is_own(e, binary)]
        kinds = {}
        for e in errors:
            kinds[e.findtext("kind")] = kinds.get(e.findtext("kind"), 0) + 1
        print(f"memcheck: session {session:.0f} s, whole run {elapsed:.0f} s; {len(errors)} reports in all "
              f"{kinds}, {len(own)} of the program's own", file=sys.stderr)
        for e in own[:10]:
            print(describe(e), file=sys.stderr)

        self.assertNotIn("Assertion error", err)
        self.assertIsNone(root.find("fatal_signal"), "the program died of a signal")
        # Esc exits with 0; memcheck turns that into ERROR_EXIT when it saw
        # any error at all, the libraries' included.
        self.assertIn(status, (0, ERROR_EXIT), err[-2000:])
        self.assertEqual([describe(e) for e in own], [])
        self.assertGreaterEqual(session, SESSION_SECONDS)
        self.assertIn("untrapped special key 8\n", out)  # F8 reached the program

    def sync(self, v, key, code):
        """Presses an unbound key and waits for its message: all earlier
        input has then been handled, however slowly the frames come."""
        line = f"untrapped key {code}\n"
        before = v.stdout().count(line)
        v.xdotool("key", "--window", v.window, key)
        deadline = time.time() + 180
        while v.stdout().count(line) <= before:
            self.assertTrue(v.alive(), v.stderr()[-2000:])
            self.assertLess(time.time(), deadline, "the program stopped answering")
            time.sleep(0.1)

    def session(self, v):
        # Both animations run for the whole session.
        v.key("F5", "F6")
        for _ in range(5):  # every display mode, back to the lit strips
            v.key("space", delay=0.4)
        v.key("s", "a", "b", "f", "w", "t", delay=0.5)
        v.drag((200, 200), (320, 200), modifiers=("ctrl",), steps=4)               # alpha
        v.key("s", "a", "b", "f", "w", "t", delay=0.5)
        v.key("F7", delay=0.8)                                                      # stereo
        v.drag((300, 200), (380, 200), modifiers=("shift", "ctrl"), steps=4)       # eye separation
        v.key("F9", "F9", "F8", delay=0.5)
        v.key("F1", "F3", "F1", delay=0.8)                                          # patches up
        v.key(*["F2"] * 12, "F4", "F4", delay=0.8)                                  # patches down past 2
        v.key("Prior", "Prior", "Next", "Down", "Up", "End", "Home", delay=0.8)     # strips, halves
        v.key("End", "Home", "asterisk", "asterisk", "slash", "plus", "minus", "Right", "Left", delay=0.8)
        v.drag((100, 250), (220, 250), steps=4)                                     # scrub time
        v.drag((250, 250), (300, 280), modifiers=("alt",), steps=4)                 # orbit
        v.drag((250, 250), (220, 230), modifiers=("shift",), steps=4)               # pan
        v.drag((250, 250), (250, 290), modifiers=("shift", "alt"), steps=4)         # dolly
        v.drag((250, 250), (270, 260), button=2, modifiers=("alt",), steps=4)      # pan, middle button
        v.xdotool("mousemove", "--window", v.window, 250, 250, "keydown", "alt", "mousedown", 1, "mousedown", 2,
                  "mousemove", "--window", v.window, 260, 240, "mouseup", 2, "mouseup", 1, "keyup", "alt")  # dolly
        v.key("F7", "r", delay=0.8)
        v.resize(1, 1, delay=0.8)
        v.resize(301, 77, delay=0.8)
        v.key("F7", delay=0.8)
        v.resize(512, 512, delay=0.8)
        v.key("F7", delay=0.8)
        v.menu(0, delay=0.8)                                                        # cycle mode by menu


if __name__ == "__main__":
    harness.main()
