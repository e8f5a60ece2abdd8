"""Drives the real viewer binary the way a user would: under its own Xvfb
server, with keys, menu picks and mouse drags sent by xdotool, and frames
read back as screenshots. Standard library only."""

import math
import os
import re
import socket
import struct
import subprocess
import tempfile
import time
import unittest
import zlib

BINARY = os.environ.get("VV_BINARY", os.path.join(os.path.dirname(__file__), "../../build/vedoze-vaderuve"))
TITLE = "Vedoze Vaderuve"
# Lines that AddressSanitizer and UndefinedBehaviorSanitizer print on a finding.
SANITIZER_MARKERS = ("ERROR: AddressSanitizer", "runtime error:", "ERROR: LeakSanitizer")

# Every deadline below is multiplied by this factor. A build known to be
# slower sets it (the sanitized build runs several times slower than the
# Release build); the deadlines only bound a wait for an event, so a larger
# factor costs nothing when the event comes in time.
TIME_SCALE = float(os.environ.get("VV_TIME_SCALE", "1"))


def scaled(seconds):
    return seconds * TIME_SCALE


# The key `sync` sends to find out that the viewer has caught up: it is
# unbound, so the viewer answers it with this line and does nothing else (no
# redraw). No test types it for its own sake, and the storm test's marker is
# another key.
SYNC_KEY = "grave"
SYNC_LINE = "untrapped key 96\n"


class Xvfb:
    """A private X server, so that tests never see each other's windows."""

    def __init__(self, width=1280, height=1024):
        self.size = f"{width}x{height}x24"
        self.proc = None
        self.display = None

    def __enter__(self):
        # Other test programs start servers at the same time, so a free
        # looking number can be taken between the check and the start. The
        # server that wins a number holds its lock file, which records its
        # pid: a server counts as ours only when that pid is ours, and it is
        # ready once its socket accepts a connection (a socket file alone may
        # be left over from a server that was killed).
        for n in range(150, 400):
            if os.path.exists(f"/tmp/.X{n}-lock"):
                continue
            proc = subprocess.Popen(["Xvfb", f":{n}", "-screen", "0", self.size, "-nolisten", "tcp", "-noreset"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            deadline = time.time() + scaled(10)
            while proc.poll() is None and time.time() < deadline:
                if _lock_owner(n) == proc.pid and _accepts(f"/tmp/.X11-unix/X{n}"):
                    self.proc, self.display = proc, f":{n}"
                    return self
                time.sleep(0.02)
            if proc.poll() is None:
                proc.kill()
            proc.wait()
        raise RuntimeError("could not start Xvfb")

    def __exit__(self, *exc):
        if self.proc:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()


def _lock_owner(n):
    """The pid recorded in display n's lock file, or None."""
    try:
        with open(f"/tmp/.X{n}-lock") as f:
            return int(f.read().strip())
    except (OSError, ValueError):
        return None


def _accepts(path):
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
        try:
            s.connect(path)
            return True
        except OSError:
            return False


class Image:
    """An RGB screenshot; pixel(x, y) counts rows downward from the top."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])

    def region(self, x0, y0, x1, y1):
        """All pixels with x0 <= x < x1 and y0 <= y < y1."""
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                yield x, y, self.pixel(x, y)

    def count(self, predicate, box=None):
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        return sum(1 for _, _, p in self.region(x0, y0, x1, y1) if predicate(p))

    # Per-channel range tests run on whole rows at once (bytes.translate and
    # big-integer masks): a Python loop over every pixel of a 1024 x 512 frame
    # is too slow to repeat while polling.
    def _clip(self, box):
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        return max(0, x0), max(0, y0), min(self.width, x1), min(self.height, y1)

    def row_masks(self, box=None, r=(0, 255), g=(0, 255), b=(0, 255)):
        """Yields (y, mask) for the rows of `box`: `mask` holds one byte per
        pixel from x0 on, 1 where every channel lies within its inclusive
        range and 0 elsewhere."""
        x0, y0, x1, y1 = self._clip(box)
        tables = [_range_table(*r), _range_table(*g), _range_table(*b)]
        n = max(0, x1 - x0)
        for y in range(y0, y1):
            row = self.data[3 * (y * self.width + x0):3 * (y * self.width + x1)]
            bits = -1
            for c in range(3):
                bits &= int.from_bytes(row[c::3].translate(tables[c]), "big")
            yield y, bits.to_bytes(n, "big")

    def count_rgb(self, box=None, r=(0, 255), g=(0, 255), b=(0, 255)):
        """Number of pixels in `box` whose channels all lie in their ranges."""
        return sum(mask.count(1) for _, mask in self.row_masks(box, r, g, b))

    def centroid(self, box=None, r=(0, 255), g=(0, 255), b=(0, 255)):
        """(x, y, n): mean position and number of the pixels in range, or None."""
        x0 = self._clip(box)[0]
        n = sx = sy = 0
        for y, mask in self.row_masks(box, r, g, b):
            k = mask.count(1)
            if k:
                n += k
                sy += k * y
                sx += sum(x0 + i for i, bit in enumerate(mask) if bit)
        return (sx / n, sy / n, n) if n else None

    def differs(self, other, box=None):
        """Number of pixels in `box` that differ from `other` in any channel."""
        x0, y0, x1, y1 = self._clip(box)
        changed = 0
        for y in range(y0, y1):
            a = self.data[3 * (y * self.width + x0):3 * (y * self.width + x1)]
            b = other.data[3 * (y * other.width + x0):3 * (y * other.width + x1)]
            if a != b:
                changed += sum(1 for i in range(0, len(a), 3) if a[i:i + 3] != b[i:i + 3])
        return changed

    def crop(self, box):
        x0, y0, x1, y1 = self._clip(box)
        rows = [self.data[3 * (y * self.width + x0):3 * (y * self.width + x1)] for y in range(y0, y1)]
        return Image(x1 - x0, y1 - y0, b"".join(rows))

    def ppm(self):
        return f"P6\n{self.width} {self.height}\n255\n".encode() + bytes(self.data)

    def save(self, path):
        """Writes the image in the format named by the file extension."""
        # -strip leaves out time stamps, so the same picture gives the same file.
        subprocess.run(["convert", "ppm:-", "-strip", path], input=self.ppm(), check=True, timeout=30)


def _range_table(lo, hi):
    return bytes(1 if lo <= v <= hi else 0 for v in range(256))


def parse_ppm(blob):
    # P6 header: magic, width, height, maxval, separated by white space.
    fields, pos = [], 0
    while len(fields) < 4:
        while blob[pos:pos + 1].isspace():
            pos += 1
        if blob[pos:pos + 1] == b"#":
            pos = blob.index(b"\n", pos) + 1
            continue
        end = pos
        while not blob[end:end + 1].isspace():
            end += 1
        fields.append(blob[pos:end])
        pos = end
    pos += 1
    assert fields[0] == b"P6", fields
    width, height = int(fields[1]), int(fields[2])
    return Image(width, height, blob[pos:pos + 3 * width * height])


class Viewer:
    """One run of the real binary on a private X server."""

    def __init__(self, *args, env=None, binary=None, wrapper=None, display=None, sync_timeout=30):
        self.args = list(args)
        # Seconds (before scaling) that `sync` waits for each answer: longer
        # for a program run under a slow wrapper such as valgrind.
        self.sync_timeout = sync_timeout
        self.extra_env = env or {}
        self.binary = binary or BINARY
        self.wrapper = wrapper or []
        self.display = display
        self.window = None
        self.own_x = None
        self.syncs = 0

    # -- process -------------------------------------------------------
    def __enter__(self):
        if self.display is None:
            self.own_x = Xvfb().__enter__()
            self.display = self.own_x.display
        self.tmp = tempfile.TemporaryDirectory()
        self.out_path = os.path.join(self.tmp.name, "stdout")
        self.err_path = os.path.join(self.tmp.name, "stderr")
        env = dict(os.environ, DISPLAY=self.display, **self.extra_env)
        try:
            with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
                self.proc = subprocess.Popen(self.wrapper + [self.binary] + self.args, env=env, stdout=out,
                                             stderr=err)
        except BaseException:
            # No viewer: do not leave the server behind.
            self.tmp.cleanup()
            if self.own_x:
                self.own_x.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        # A sanitizer report fails the test that ran the program, whatever the
        # test itself looked at (in the sanitized build the reports go to
        # stderr and may not change the exit status of a killed process).
        report = self.stderr()
        self.tmp.cleanup()
        if self.own_x:
            self.own_x.__exit__(*exc)
        if exc[0] is None:
            for marker in SANITIZER_MARKERS:
                if marker in report:
                    raise AssertionError(f"sanitizer report from the viewer:\n{report}")

    def stdout(self):
        """Standard output so far, without the answers to `sync`."""
        return self.raw_stdout().replace(SYNC_LINE, "") if self.syncs else self.raw_stdout()

    def raw_stdout(self):
        with open(self.out_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def stderr(self):
        with open(self.err_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def alive(self):
        return self.proc.poll() is None

    def wait_exit(self, timeout=10):
        return self.proc.wait(scaled(timeout))

    def wait_output(self, text, timeout=5):
        """Waits until standard output contains `text`; returns all of it."""
        deadline = time.time() + scaled(timeout)
        while True:
            out = self.stdout()
            if text in out or time.time() > deadline:
                return out
            time.sleep(0.05)

    # -- X helpers -----------------------------------------------------
    def xdotool(self, *args, check=True):
        result = subprocess.run(["xdotool", *map(str, args)], env=dict(os.environ, DISPLAY=self.display),
                                capture_output=True, text=True, timeout=scaled(30))
        if check and result.returncode != 0:
            raise RuntimeError(f"xdotool {args}: {result.stderr}")
        return result.stdout

    def wait_window(self, timeout=15):
        """Waits for the viewer's window and for the frame at its settled size.
        GLUT shows the window at its default size first and resizes it at
        once: the window counts as settled when its size is the same on either
        side of a `sync`, and the frame on screen is then the one drawn for
        that size."""
        deadline = time.time() + scaled(timeout)
        while time.time() < deadline:
            if not self.alive():
                raise AssertionError(f"viewer exited early with {self.proc.returncode}: {self.stderr()}")
            out = self.xdotool("search", "--onlyvisible", "--name", f"^{TITLE}$", check=False).split()
            if out:
                self.window = out[0]
                break
            time.sleep(0.1)
        else:
            raise AssertionError("viewer window did not appear")
        size = None
        while time.time() < deadline:
            self.sync(timeout=max(1.0, (deadline - time.time()) / TIME_SCALE))
            now = self.geometry()[2:]
            if now == size:
                return self.window
            size = now
        raise AssertionError("the viewer window did not settle at one size")

    def _send_keys(self, *names):
        """Sends the keys to the window; False when that failed because the
        program has ended (its window goes before the process when it quits)."""
        result = subprocess.run(["xdotool", "key", "--window", self.window, "--delay", "30", *names],
                                env=dict(os.environ, DISPLAY=self.display), capture_output=True, text=True,
                                timeout=scaled(30))
        if result.returncode == 0:
            return True
        try:
            self.proc.wait(scaled(5))
            return False
        except subprocess.TimeoutExpired:
            raise RuntimeError(f"xdotool key {names}: {result.stderr}") from None

    def sync(self, timeout=None):
        """Returns once the viewer has handled every event sent to it before
        the call and the frame they lead to is on the screen; returns False
        at once when the program has ended.

        GLUT handles all queued events and then draws, once, in the same
        thread. The viewer's answer to a first SYNC_KEY therefore proves that
        the events before it were handled; the answer to a second one, sent
        only after the first was seen, proves that the frame following them
        was drawn and swapped before it."""
        timeout = timeout or self.sync_timeout
        for _ in range(2):
            if not self.alive():
                return False
            self.syncs += 1
            if not self._send_keys(SYNC_KEY):
                return False
            deadline = time.time() + scaled(timeout)
            while self.raw_stdout().count(SYNC_LINE) < self.syncs:
                if not self.alive():
                    return False
                if time.time() > deadline:
                    raise AssertionError("the viewer did not answer within "
                                         f"{scaled(timeout):.0f} s: {self.stderr()[-2000:]}")
                time.sleep(0.02)
        return True

    def geometry(self):
        """(x, y, width, height) of the window."""
        out = self.xdotool("getwindowgeometry", "--shell", self.window)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def settle(self, seconds=0.35):
        """Lets time pass: for animations, never as the proof that input was
        handled (that is `sync`)."""
        time.sleep(seconds)

    def key(self, *names, delay=0, timeout=None):
        """Sends the keys (xdotool names) in order and returns once the viewer
        has handled them and drawn the result (see `sync`), then lets `delay`
        seconds pass. A key that ends the program (Esc) may leave xdotool
        without a window for the key release; that is not an error."""
        if names:
            self._send_keys(*names)
        self.sync(timeout)
        self.settle(delay)

    def type_text(self, text, delay=0):
        self.xdotool("type", "--window", self.window, "--delay", "30", text)
        self.sync()
        self.settle(delay)

    def resize(self, width, height, delay=0):
        self.xdotool("windowsize", self.window, width, height)
        self.sync()
        self.settle(delay)

    def move_to(self, x, y):
        self.xdotool("mousemove", "--window", self.window, x, y)

    def drag(self, start, end, button=1, modifiers=(), steps=10, delay=0):
        """Presses `button` (or each of a tuple of buttons, in order) at
        `start` (window pixels) with `modifiers` held (xdotool names such as
        'shift', 'ctrl', 'alt'), moves to `end` in steps, releases, and
        returns once the viewer has handled it all and drawn the result."""
        (x0, y0), (x1, y1) = start, end
        buttons = button if isinstance(button, tuple) else (button,)
        self.move_to(x0, y0)
        for m in modifiers:
            self.xdotool("keydown", m)
        for b in buttons:
            self.xdotool("mousedown", b)
        for i in range(1, steps + 1):
            self.move_to(x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps)
        for b in reversed(buttons):
            self.xdotool("mouseup", b)
        for m in reversed(modifiers):
            self.xdotool("keyup", m)
        self.sync()
        self.settle(delay)

    def menu(self, index, at=(100, 100), delay=0):
        """Picks the index-th entry (from 0) of the right-button menu."""
        x, y = at
        self.move_to(x, y)
        time.sleep(0.05)
        self.xdotool("mousedown", 3)
        deadline = time.time() + scaled(5)
        while time.time() < deadline:
            if self.xdotool("search", "--onlyvisible", "--name", "freeglut menu", check=False).strip():
                break
            time.sleep(0.05)
        else:
            raise AssertionError("menu did not open")
        time.sleep(0.1)
        # The menu opens at the press point: a 2-pixel border, 25 pixels an entry.
        self.move_to(x + 30, y + 2 + 25 * index + 12)
        time.sleep(0.15)
        self.xdotool("mouseup", 3)
        self.sync()
        self.settle(delay)

    def screenshot(self):
        """The window's contents in window coordinates. Without a window
        manager the window sits at (-1, -1), and the X server returns only the
        part on the screen: the missing first row and column are filled with
        black so that pixel (x, y) is window pixel (x, y) as GLUT counts it."""
        wx, wy, width, height = self.geometry()
        xwd = subprocess.run(["xwd", "-silent", "-id", self.window], env=dict(os.environ, DISPLAY=self.display),
                             capture_output=True, timeout=scaled(30), check=True).stdout
        ppm = subprocess.run(["convert", "xwd:-", "ppm:-"], input=xwd, capture_output=True, timeout=scaled(30),
                             check=True).stdout
        shot = parse_ppm(ppm)
        ox, oy = max(0, -wx), max(0, -wy)
        if (shot.width, shot.height) == (width, height) or shot.width + ox > width or shot.height + oy > height:
            return shot
        black = bytes(3 * width)
        rows = [black] * oy
        for y in range(shot.height):
            row = shot.data[3 * y * shot.width:3 * (y + 1) * shot.width]
            rows.append(black[:3 * ox] + row + black[:3 * (width - ox - shot.width)])
        rows += [black] * (height - oy - shot.height)
        return Image(width, height, b"".join(rows))

    def wait_for(self, condition, timeout=5, what="condition"):
        """Takes screenshots until `condition(shot)` holds; returns that shot.
        Fails the test with `what` when the time runs out."""
        deadline = time.time() + scaled(timeout)
        while True:
            shot = self.screenshot()
            if condition(shot):
                return shot
            if time.time() > deadline:
                raise AssertionError(f"timed out waiting for {what}")
            time.sleep(0.05)

    def wait_still(self, quiet=0.3, timeout=5):
        """Waits until the frame has stopped changing for `quiet` seconds and
        returns it: for an animation that is expected to stop. After input,
        `sync` is the proof that its frame is drawn."""
        deadline = time.time() + scaled(timeout)
        last, since = self.screenshot(), time.time()
        while time.time() < deadline:
            time.sleep(0.05)
            shot = self.screenshot()
            if shot.data != last.data:
                last, since = shot, time.time()
            elif time.time() - since >= quiet:
                return shot
        raise AssertionError("the frame kept changing")


# -- the home view -------------------------------------------------------
# The camera starts looking at the origin along -z from 8.210512 (1.1 times
# the distance at which the scene radius 2 fills half the view) with a
# 30-degree field of view across the smaller side of the view; at t = 0 the
# surface is the unit sphere. Tests compare screenshots with these figures.
HOME_DISTANCE = 8.210512
TAN_HALF_FOV = math.tan(math.pi / 12)
NEAR_HALF_EXTENT = 0.2 * TAN_HALF_FOV  # half the smaller frustum side at the near plane, 0.2


def sphere_radius_px(half_side):
    """Projected radius of the unit sphere's outline in a view whose smaller
    side is 2 * half_side pixels."""
    return half_side * (1 / math.sqrt(HOME_DISTANCE ** 2 - 1)) / TAN_HALF_FOV


def stereo_offset_px(separation, half_width):
    """Sideways shift of the target's image in a stereo view of half width
    `half_width` (the smaller side): each frustum window is moved by
    (e / 2) * near / distance towards that eye's side, so the target, on the
    eye's axis, moves the other way on screen (towards the other view)."""
    return (separation / 2) / (HOME_DISTANCE * TAN_HALF_FOV) * half_width


# Pixels by which a measured centroid may miss its computed place: the
# tessellated outline and the off-centre highlight pull it by under a pixel.
CENTROID_TOLERANCE = 1.5
# Relative tolerance on a disc's pixel count: the 96-sided outline and edge
# pixels make the count a little smaller than the true circle's area.
AREA_TOLERANCE = 0.03


def project_version(source=None):
    """The version in the top CMakeLists.txt's project() call, e.g. "1.0"."""
    source = source or os.environ.get("VV_SOURCE_DIR", os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                                    "..", ".."))
    with open(os.path.join(source, "CMakeLists.txt"), encoding="utf-8") as cmake:
        return re.search(r"project\(\w+ VERSION ([\d.]+)", cmake.read()).group(1)


def sanitized_build(build=None):
    """Whether the build under test was made with sanitizers (VV_SANITIZE)."""
    build = build or os.environ.get("VV_BUILD_DIR", os.path.join(os.path.dirname(os.path.abspath(__file__)), "..",
                                                                 "..", "build"))
    try:
        with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8") as cache:
            return re.search(r"^VV_SANITIZE:\w+=(.+)$", cache.read(), re.MULTILINE) is not None
    except OSError:
        return False


# What --help adds after the usage line: the options of the method and of the
# origin look.
OPTIONS_USAGE = ("The eversion:\n"
                 "  --method corrugations|ruled\n"
                 "                         the eversion: five stages of corrugations (the default) or\n"
                 "                         seven steps of ruled surfaces through a halfway model\n"
                 "  --lobes N              the ruled eversion's lobes, 2..5 (2)\n"
                 "  --double-curves        the curves where the surface passes through itself, and\n"
                 "                         the points where three of its sheets meet\n"
                 "  --seam-free            draw the strips or lunes turned into place in double\n"
                 "                         precision, so that their edges meet without pinholes\n"
                 "\n"
                 "Showing where each point of the sphere started:\n"
                 "  --colours SCHEME       sides (the default), latitude, longitude or image FILE.png\n"
                 "                         (an equirectangular picture, twice as wide as tall)\n"
                 "  --bands latitude|longitude N\n"
                 "                         draw every other one of N bands (2..180) of the origin\n"
                 "  --graticule DEGREES    lines of the origin's latitude and longitude (1..90)\n"
                 "  --track LAT,LON        the path of the point of that origin (repeatable)\n"
                 "  --orthographic         parallel projection\n"
                 "\n")


EXPORT = os.environ.get("VV_EXPORT", os.path.join(os.path.dirname(__file__), "../../build/vedoze-vaderuve-export"))


def export_image(*options):
    """The exporter's picture for `options`, read back by ImageMagick (a
    reader apart from the writer); the run must succeed silently."""
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "shot.png")
        result = subprocess.run([EXPORT, "image", *options, "-o", path], env=env, capture_output=True, text=True,
                                timeout=scaled(120))
        assert result.returncode == 0, result.stderr
        assert result.stderr == "", result.stderr
        ppm = subprocess.run(["convert", "png:" + path, "ppm:-"], capture_output=True, check=True).stdout
    return parse_ppm(ppm)


def write_png(path, width, height, rgb_of=lambda x, y: (0, 0, 0)):
    """An 8-bit RGB PNG written by hand, so that a test picture does not
    come from the code under test."""
    rows = b"".join(b"\0" + bytes(c for x in range(width) for c in rgb_of(x, y)) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def run_quick(*args, timeout=10, display=":0"):
    """Runs the binary to completion (for runs that must not open a window)."""
    env = dict(os.environ, DISPLAY=display)
    return subprocess.run([BINARY, *args], env=env, capture_output=True, timeout=scaled(timeout))


def main():
    unittest.main(verbosity=2)
