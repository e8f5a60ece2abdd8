"""Drives the real viewer binary the way a user would: under its own Xvfb
server, with keys, menu picks and mouse drags sent by xdotool, and frames
read back as screenshots. Standard library only."""

import os
import subprocess
import sys
import tempfile
import time
import unittest

BINARY = os.environ.get("VV_BINARY", os.path.join(os.path.dirname(__file__), "../../build/vedoze-vaderuve"))
TITLE = "Vedoze Vaderuve"


class Xvfb:
    """A private X server, so that tests never see each other's windows."""

    def __init__(self, width=1280, height=1024):
        self.size = f"{width}x{height}x24"
        self.proc = None
        self.display = None

    def __enter__(self):
        for n in range(150, 400):
            if os.path.exists(f"/tmp/.X{n}-lock") or os.path.exists(f"/tmp/.X11-unix/X{n}"):
                continue
            proc = subprocess.Popen(["Xvfb", f":{n}", "-screen", "0", self.size, "-nolisten", "tcp"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            for _ in range(100):
                if os.path.exists(f"/tmp/.X11-unix/X{n}") or proc.poll() is not None:
                    break
                time.sleep(0.05)
            if proc.poll() is None:
                self.proc, self.display = proc, f":{n}"
                time.sleep(0.2)
                return self
        raise RuntimeError("could not start Xvfb")

    def __exit__(self, *exc):
        if self.proc:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()


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

    def __init__(self, *args, env=None, binary=None, wrapper=None, display=None):
        self.args = list(args)
        self.extra_env = env or {}
        self.binary = binary or BINARY
        self.wrapper = wrapper or []
        self.display = display
        self.window = None
        self.own_x = None

    # -- process -------------------------------------------------------
    def __enter__(self):
        if self.display is None:
            self.own_x = Xvfb().__enter__()
            self.display = self.own_x.display
        self.tmp = tempfile.TemporaryDirectory()
        self.out_path = os.path.join(self.tmp.name, "stdout")
        self.err_path = os.path.join(self.tmp.name, "stderr")
        env = dict(os.environ, DISPLAY=self.display, **self.extra_env)
        self.proc = subprocess.Popen(self.wrapper + [self.binary] + self.args, env=env,
                                     stdout=open(self.out_path, "wb"), stderr=open(self.err_path, "wb"))
        return self

    def __exit__(self, *exc):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self.tmp.cleanup()
        if self.own_x:
            self.own_x.__exit__(*exc)

    def stdout(self):
        with open(self.out_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def stderr(self):
        with open(self.err_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def alive(self):
        return self.proc.poll() is None

    def wait_exit(self, timeout=10):
        return self.proc.wait(timeout)

    # -- X helpers -----------------------------------------------------
    def xdotool(self, *args, check=True):
        result = subprocess.run(["xdotool", *map(str, args)], env=dict(os.environ, DISPLAY=self.display),
                                capture_output=True, text=True, timeout=30)
        if check and result.returncode != 0:
            raise RuntimeError(f"xdotool {args}: {result.stderr}")
        return result.stdout

    def wait_window(self, timeout=15):
        """Waits for the viewer's window and for its first frames to settle."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            if not self.alive():
                raise AssertionError(f"viewer exited early with {self.proc.returncode}: {self.stderr()}")
            out = self.xdotool("search", "--onlyvisible", "--name", f"^{TITLE}$", check=False).split()
            if out:
                self.window = out[0]
                time.sleep(0.6)
                return self.window
            time.sleep(0.1)
        raise AssertionError("viewer window did not appear")

    def geometry(self):
        """(x, y, width, height) of the window."""
        out = self.xdotool("getwindowgeometry", "--shell", self.window)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def settle(self, seconds=0.35):
        time.sleep(seconds)

    def key(self, *names, delay=0.35):
        for name in names:
            self.xdotool("key", "--window", self.window, name)
            time.sleep(0.05)
        self.settle(delay)

    def type_text(self, text, delay=0.35):
        self.xdotool("type", "--window", self.window, "--delay", "30", text)
        self.settle(delay)

    def resize(self, width, height, delay=0.6):
        self.xdotool("windowsize", self.window, width, height)
        self.settle(delay)

    def move_to(self, x, y):
        self.xdotool("mousemove", "--window", self.window, x, y)

    def drag(self, start, end, button=1, modifiers=(), steps=10, delay=0.4):
        """Presses `button` at `start` (window pixels) with `modifiers` held
        (xdotool names such as 'shift', 'ctrl', 'alt'), moves to `end` in
        steps and releases."""
        (x0, y0), (x1, y1) = start, end
        self.move_to(x0, y0)
        time.sleep(0.05)
        for m in modifiers:
            self.xdotool("keydown", m)
        self.xdotool("mousedown", button)
        time.sleep(0.05)
        for i in range(1, steps + 1):
            self.move_to(x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps)
            time.sleep(0.02)
        self.xdotool("mouseup", button)
        for m in reversed(modifiers):
            self.xdotool("keyup", m)
        self.settle(delay)

    def menu(self, index, at=(100, 100), delay=0.4):
        """Picks the index-th entry (from 0) of the right-button menu."""
        x, y = at
        self.move_to(x, y)
        time.sleep(0.05)
        self.xdotool("mousedown", 3)
        deadline = time.time() + 5
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
        self.settle(delay)

    def screenshot(self):
        xwd = subprocess.run(["xwd", "-silent", "-id", self.window], env=dict(os.environ, DISPLAY=self.display),
                             capture_output=True, timeout=30, check=True).stdout
        ppm = subprocess.run(["convert", "xwd:-", "ppm:-"], input=xwd, capture_output=True, timeout=30,
                             check=True).stdout
        return parse_ppm(ppm)


def run_quick(*args, timeout=10, display=":0"):
    """Runs the binary to completion (for runs that must not open a window)."""
    env = dict(os.environ, DISPLAY=display)
    return subprocess.run([BINARY, *args], env=env, capture_output=True, timeout=timeout)


def main():
    unittest.main(verbosity=2)
