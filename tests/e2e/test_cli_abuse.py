"""Command-line abuse against the real binary: thousands of random argument
vectors that end in -h (the program reads every word before it, then prints
the usage text and exits without a window), and a few dozen without -h that
must open the window and keep running until they are killed. Words are long,
empty, not UTF-8, flags in every repetition and numbers in every spelling
that strtod half understands."""

import ctypes
import math
import os
import random
import signal
import subprocess
import sys
import threading
import time
import unittest

import harness
from harness import Xvfb

SEED = 77031
HELP_RUNS = 3000
WINDOW_RUNS = 36
THREADS = 4
# How long a windowed run must stay up once its window is shown.
ALIVE_SECONDS = 1.0

USAGE = b"\nUsage: %s [--help] [--root] [--stereo [stereo_distance]]\n\n" + harness.OPTIONS_USAGE.encode()
# Text that only a failure writes: a consistency check or a sanitizer report.
FAILURE_MARKS = (b"Assertion error", b"ERROR: AddressSanitizer", b"ERROR: LeakSanitizer", b"runtime error",
                 b"Sanitizer")

FLAGS = [b"-r", b"--root", b"-s", b"--stereo"]
NEAR_MISSES = [b"-H", b"--HELP", b"-R", b"-S", b"--stereo=0.2", b"-s0.3", b"-sr", b"-rs", b"--stereo ", b" -s",
               b"-", b"--", b"---stereo", b"--roo", b"-h ", b"help", b"stereo", b"-help", b"--h"]
NUMBERS = [b"1e400", b"-1e400", b"1e-400", b"-0", b"+0", b"0", b"nan", b"-nan", b"NaN(123)", b"inf", b"-inf",
           b"Infinity", b"0x1p3", b"-0x1.8p-2", b"0x", b"0x1p99999", b"1e", b"1e+", b".", b"+.5", b"-.5e1",
           b"0.5xyz", b" 0.25", b"\t-7", b"3.4028235e38", b"3.5e38", b"1.4e-45", b"1e-46", b"0.1", b"-0.1",
           b"42", b"1e30", b"-1e30", b"65504", b"1e-30"]

_libc = ctypes.CDLL(None)
_libc.strtod.restype = ctypes.c_double
_libc.strtod.argtypes = [ctypes.c_char_p, ctypes.c_void_p]


def random_word(rng, allow_help):
    k = rng.randrange(100)
    if k < 2 and allow_help:
        return rng.choice([b"-h", b"--help"])
    if k < 20:
        return rng.choice(FLAGS)
    if k < 30:
        return rng.choice(NEAR_MISSES)
    if k < 45:
        return rng.choice(NUMBERS)
    if k < 55:  # huge digit strings, some with a point or an exponent
        digits = b"9" * rng.randint(1, 5000)
        if k % 2:
            digits = b"-" + digits
        if k % 3 == 0:
            digits = digits[:len(digits) // 2] + b"." + digits[len(digits) // 2:]
        if k % 5 == 0:
            digits += b"e-99999"
        return digits
    if k < 70:  # any bytes but NUL: lone UTF-8 continuation bytes, 0xff, controls
        return bytes(rng.randint(1, 255) for _ in range(rng.randint(1, 40)))
    if k < 74:  # long words (one argv word may hold at most 128 KiB)
        return bytes(rng.randint(1, 255) if k % 2 else rng.randint(32, 126) for _ in range(rng.randint(10000, 60000)))
    if k < 80:
        return b""
    # A random double, printed in a random format (hex floats included).
    value = math.ldexp(rng.uniform(-1, 1), rng.randint(-1100, 1023))
    if k % 6 == 0:
        return value.hex().encode()
    return (rng.choice(["%g", "%.17g", "%f", "%e", "%.0f"]) % value).encode()


def stereo_line(words):
    """The console line the rules give for argv[1:] (no -h in it), or b"":
    the word after -s/--stereo is the distance unless it is -r/--root (or a
    help flag), read by strtod (what atof does) and narrowed to float."""
    stereo, distance, i = False, 0.1, 0
    while i < len(words):
        if words[i] in (b"-s", b"--stereo"):
            stereo = True
            if i + 1 < len(words) and words[i + 1] not in (b"-r", b"--root", b"-h", b"--help"):
                distance = _libc.strtod(words[i + 1], None)
                i += 1
        i += 1
    if not stereo:
        return b""
    value = ctypes.c_float(distance).value
    if math.isnan(value):
        text = "-nan" if math.copysign(1, value) < 0 else "nan"
    else:
        text = "%f" % value
    return b"Using stereo distance of " + text.encode() + b"\n"


def describe(words):
    """A vector in a form that can be pasted back, long words cut short."""
    return " ".join(repr(w[:40]) + (f"+{len(w) - 40}" if len(w) > 40 else "") for w in words)


class HelpAfterAnything(unittest.TestCase):
    def test_vectors_ending_in_help_print_the_usage_and_exit(self):
        rng = random.Random(SEED)
        print(f"seed {SEED}: {HELP_RUNS} runs ending in -h", file=sys.stderr)
        cases = []
        for n in range(HELP_RUNS):
            words = [random_word(rng, allow_help=True) for _ in range(rng.randint(0, 10))]
            words.append(rng.choice([b"-h", b"--help"]))
            # Every fifth run has a random argv[0], which the usage text must echo byte for byte.
            name = random_word(rng, allow_help=True) if n % 5 == 0 else harness.BINARY.encode()
            cases.append((name, words))

        # An unusable display: the parse must end the run before any attempt
        # to open a window. Leaks are looked for here: nothing of Mesa has run.
        env = dict(os.environ, DISPLAY=":4242",
                   ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":detect_leaks=1")
        failures, lock = [], threading.Lock()

        def run(chunk):
            for name, words in chunk:
                result = subprocess.run([name, *words], executable=harness.BINARY, env=env, capture_output=True,
                                        timeout=30)
                expected = USAGE.replace(b"%s", name)
                if (result.returncode, result.stdout, result.stderr) != (0, b"", expected):
                    with lock:
                        failures.append(f"{describe([name] + words)}: status {result.returncode}, "
                                        f"stdout {result.stdout[:200]!r}, stderr {result.stderr[:400]!r}")

        start = time.time()
        run_split(run, cases, THREADS)
        print(f"{HELP_RUNS} usage runs in {time.time() - start:.1f} s, {len(failures)} failed", file=sys.stderr)
        self.assertEqual(failures[:5], [])


def run_split(work, items, workers):
    """Runs work(share) on `workers` threads, each with every workers-th item."""
    threads = [threading.Thread(target=work, args=(items[i::workers],)) for i in range(workers)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()


_xvfb_lock = threading.Lock()


def own_xvfb():
    """A private X server for one worker thread. Servers are started one at
    a time and checked to be still running, because two starts at once can
    pick the same free display number and the loser exits a moment later."""
    with _xvfb_lock:
        for _ in range(5):
            x = Xvfb().__enter__()
            time.sleep(0.3)
            if x.proc.poll() is None:
                return x
            x.__exit__(None, None, None)
    raise RuntimeError("could not start Xvfb")


class WindowedAbuse(unittest.TestCase):
    def test_vectors_without_help_open_the_window_and_keep_running(self):
        rng = random.Random(SEED + 1)
        vectors = [[random_word(rng, allow_help=False) for _ in range(rng.randint(1, 8))]
                   for _ in range(WINDOW_RUNS)]
        # Make sure the awkward stereo distances are among them.
        for i, number in enumerate([b"nan", b"-inf", b"1e400", b"-0", b"1e30", b"-1e30", b"3.5e38", b"1e-46"]):
            vectors[i] = [b"-s", number] + vectors[i][:2]
        failures, lock = [], threading.Lock()

        def run_on_own_display(chunk):
            x = own_xvfb()
            try:
                for words in chunk:
                    problem = self.windowed_run(words, x.display)
                    if problem:
                        with lock:
                            failures.append(f"{describe(words)}: {problem}")
            finally:
                x.__exit__(None, None, None)

        start = time.time()
        run_split(run_on_own_display, vectors, workers=2)
        print(f"{WINDOW_RUNS} windowed runs in {time.time() - start:.1f} s, {len(failures)} failed", file=sys.stderr)
        self.assertEqual(failures, [])

    def test_window_system_options_that_glut_reads_from_the_same_words(self):
        # The words go to glutInit unchanged, so GLUT's own options act too:
        # -geometry sets the size the window is created with, which the camera
        # reads before the reshape to 512 x 512 arrives. -gldebug makes GLUT
        # print every OpenGL error after a frame, which must find none.
        vectors = [[b"-geometry", b"1x1"], [b"-geometry", b"1x300"], [b"-geometry", b"300x1"],
                   [b"-s", b"-geometry", b"1x1"], [b"-geometry", b"2x2"], [b"-geometry", b"300x200+5+5"],
                   [b"-iconic"], [b"-sync"], [b"-gldebug", b"-s"], [b"-direct"]]
        x = own_xvfb()
        try:
            failures = [f"{describe(words)}: {problem}" for words in vectors
                        if (problem := self.windowed_run(words, x.display))]
        finally:
            x.__exit__(None, None, None)
        self.assertEqual(failures, [])

    @staticmethod
    def windowed_run(words, display):
        """Runs one vector; returns what went wrong, or None."""
        env = dict(os.environ, DISPLAY=display)
        proc = subprocess.Popen([harness.BINARY, *words], env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        problem, width = None, 0
        try:
            window, deadline = None, time.time() + harness.scaled(30)
            while window is None and time.time() < deadline and proc.poll() is None:
                found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{harness.TITLE}$"],
                                       env=env, capture_output=True, text=True, timeout=30).stdout.split()
                window = found[0] if found else None
                time.sleep(0.1)
            if window is None:
                problem = "no window"
            else:
                # GLUT shows the window at its default size and then resizes
                # it, later the busier the machine: the run must live at least
                # ALIVE_SECONDS and reach the width it asked for in time.
                wanted = 1024 if stereo_line(words) else 512
                alive_until, deadline = time.time() + ALIVE_SECONDS, time.time() + harness.scaled(30)
                while proc.poll() is None:
                    geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], env=env,
                                              capture_output=True, text=True, timeout=30).stdout
                    size = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
                    width = int(size.get("WIDTH", 0))
                    if (width == wanted and time.time() >= alive_until) or time.time() > deadline:
                        break
                    time.sleep(0.1)
        finally:
            if proc.poll() is None:
                proc.send_signal(signal.SIGTERM)
            out, err = proc.communicate(timeout=30)
        if proc.returncode != -signal.SIGTERM:
            problem = f"{problem or 'ended by itself'}, status {proc.returncode}"
        # The program writes nothing to standard error unless it fails.
        if err:
            marks = [m.decode() for m in FAILURE_MARKS if m in err]
            problem = f"{problem or 'killed as planned'}; standard error {marks}: {err[-800:]!r}"
        if problem:
            return problem
        expected = stereo_line(words)
        if out != expected:
            return f"standard output {out!r}, expected {expected!r}"
        if width != (1024 if expected else 512):
            return f"window width {width}"
        return None


if __name__ == "__main__":
    harness.main()
