#!/usr/bin/env python3
"""Takes the README pictures from the real viewer under a private Xvfb server:
docs/strip.png, the eversion at seven moments side by side with their times
written underneath, and docs/sweep.gif, one sweep from t = 0 to t = 1.
With --origin it makes instead, with the exporter, the same moments and sweep
coloured by where each point started (latitude colours, a 30-degree
graticule and the track of one point): docs/origin-strip.png and
docs/origin-sweep.gif. With --ruled, also with the exporter, the ruled
eversion of two lobes at the ends of its seven steps and at its middle,
docs/ruled-strip.png, and its halfway model with 2, 3 and 4 lobes,
docs/ruled-halfway.png. With --curves, the double curves of both eversions
at a few moments, docs/curves-strip.png.

Every moment is reached through the viewer's own keys. The time step is first
halved to its finest value, 1/8192, so every target is a whole number of
steps; the step count is then added one power of two at a time, doubling the
step with '*' or halving it with '/' before each '+'. Sums of powers of two
are exact in double precision, so t lands exactly on the step count / 8192
(targets between steps are rounded to the nearest step), whatever the key
sequence. When the heads-up reader of the end-to-end tests is available, the
time shown by the viewer is checked before each picture of the strip.

    scripts/pictures.py [--binary build/vedoze-vaderuve] [--out docs]
    scripts/pictures.py --origin [--export build/vedoze-vaderuve-export] [--out docs]
    scripts/pictures.py --ruled [--export build/vedoze-vaderuve-export] [--out docs]
    scripts/pictures.py --curves [--export build/vedoze-vaderuve-export] [--out docs]

Needs Xvfb, xdotool, xwd and ImageMagick's convert (all installed by
scripts/setup.sh). Standard library only.
"""

import argparse
import os
import subprocess
import sys
import tempfile

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import harness  # noqa: E402

try:
    import hud  # noqa: E402
except (ImportError, OSError, ValueError):
    hud = None

FINEST_STEPS = 8192           # 1 / the smallest time step
START_STEP_EXPONENT = 5       # the start-up step 1/256 is 2^5 finest steps
STRIP_TIMES = (0, 0.05, 0.16, 0.4, 0.75, 0.95, 1)
SWEEP_FRAMES = 48
SWEEP_DELAY_CS = 8            # GIF frame delay in hundredths of a second
# Finer than the start-up 12 x 12 grid so the creases of the corrugation read
# as curves at picture size; the rebuild still takes well under a frame.
PICTURE_PATCHES = 40
# An alt + left drag up and a little to the right tips the pole towards the
# viewer: a three-quarter view shows the strips' relief, which the start-up
# view straight down the pole flattens.
VIEW_DRAG = ((256, 256), (268, 222))
# The surface stays inside the middle 368 x 368 pixels of the 512 x 512 window
# at every moment in this view (widest, about 336 pixels, early in the twist).
CROP = 368
THUMBNAIL = 256               # pixels; each cropped shot is scaled to this square


class Stepper:
    """Moves the viewer's time to a whole number of finest steps, tracking t
    and delta_t as the viewer does."""

    def __init__(self, viewer):
        self.viewer = viewer
        self.steps = 0                       # t = steps / FINEST_STEPS
        self.exponent = START_STEP_EXPONENT  # delta_t = 2^exponent / FINEST_STEPS

    def keys(self, names, settle=0.3):
        if names:
            self.viewer.xdotool("key", "--window", self.viewer.window, "--delay", "15", *names)
        self.viewer.settle(settle)

    def finest_step(self):
        self.keys(["slash"] * self.exponent)
        self.exponent = 0

    def go_to(self, steps):
        distance = steps - self.steps
        key = "plus" if distance > 0 else "minus"
        names = []
        for bit in reversed(range(abs(distance).bit_length())):
            if not abs(distance) >> bit & 1:
                continue
            names += ["asterisk"] * (bit - self.exponent) + ["slash"] * (self.exponent - bit)
            names.append(key)
            self.exponent = bit
        self.keys(names)
        self.steps = steps


def nearest_steps(t):
    return round(t * FINEST_STEPS)


def shot_to_png(viewer, path):
    shot = viewer.screenshot()
    left, top = (shot.width - CROP) // 2, (shot.height - CROP) // 2
    shot.crop((left, top, left + CROP, top + CROP)).save(path)


def check_time(viewer, steps):
    """Reads the heads-up line and compares it with the expected time; needs
    the text to be shown."""
    if hud is None:
        return
    shown = hud.read_hud(viewer.screenshot())
    expected = f"t = {steps / FINEST_STEPS:.4f}, delta_t = 1/"
    if not shown.lines[0].startswith(expected):
        raise SystemExit(f"viewer shows {shown.lines[0]!r}, expected {expected}...")


def convert(*args):
    subprocess.run(["convert", *map(str, args)], check=True, timeout=120)


def open_viewer(binary, attempts=3):
    """A running viewer on its own X server, set to the finest time step and
    the picture grid. A machine busy with other X servers now and then fails
    a start-up, hence the retries."""
    for attempt in range(attempts):
        viewer = harness.Viewer(binary=binary).__enter__()
        try:
            viewer.wait_window()
            stepper = Stepper(viewer)
            stepper.finest_step()
            stepper.keys(["F1", "F3"] * (PICTURE_PATCHES - 12))
            viewer.drag(*VIEW_DRAG, modifiers=("alt",))
            return viewer, stepper
        except (AssertionError, RuntimeError) as failure:
            viewer.__exit__(None, None, None)
            print(f"viewer start-up failed ({failure}); attempt {attempt + 1} of {attempts}", file=sys.stderr)
    raise SystemExit("the viewer could not be started")


def make_strip(binary, out, work):
    viewer, stepper = open_viewer(binary)
    try:
        tiles = []
        for t in STRIP_TIMES:
            steps = nearest_steps(t)
            stepper.go_to(steps)
            check_time(viewer, steps)
            stepper.keys(["F9"])  # text off for the picture
            raw = os.path.join(work, f"strip{len(tiles)}.png")
            shot_to_png(viewer, raw)
            stepper.keys(["F9"])
            tile = os.path.join(work, f"tile{len(tiles)}.png")
            convert(raw, "-resize", f"{THUMBNAIL}x{THUMBNAIL}", "-background", "black", "-fill", "white",
                    "-font", "DejaVu-Sans", "-pointsize", 18, f"label:t = {t:g}", "-gravity", "center",
                    "-append", tile)
            tiles.append(tile)
    finally:
        viewer.__exit__(None, None, None)
    # A 256-colour palette looks the same on these smooth gradients at a
    # tenth of the size of a true-colour file.
    convert(*tiles, "+append", "-strip", "-colors", 256, "PNG8:" + os.path.join(out, "strip.png"))


def make_sweep(binary, out, work):
    viewer, stepper = open_viewer(binary)
    try:
        stepper.keys(["F9"])
        frames = []
        for k in range(SWEEP_FRAMES):
            stepper.go_to(round(k * FINEST_STEPS / (SWEEP_FRAMES - 1)))
            frame = os.path.join(work, f"frame{k:03d}.png")
            shot_to_png(viewer, frame)
            frames.append(frame)
    finally:
        viewer.__exit__(None, None, None)
    # The ends hold a little longer so the loop reads as sphere -> inverted sphere.
    hold = SWEEP_DELAY_CS * 8
    convert("-delay", hold, frames[0], "-delay", SWEEP_DELAY_CS, *frames[1:-1], "-delay", hold, frames[-1],
            "-resize", f"{THUMBNAIL}x{THUMBNAIL}", "-loop", 0, "-layers", "Optimize",
            os.path.join(out, "sweep.gif"))


# The exporter's options for the origin pictures: the viewer's picture grid
# and tipped view (VIEW_DRAG as an orbit), no text.
ORIGIN_LOOK = ["--colours", "latitude", "--graticule", "30", "--track", "45,-60"]
ORIGIN_VIEW = ["--patches", str(PICTURE_PATCHES), "--orbit", "12,-34", "--no-text"]


def export(binary, *args):
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    subprocess.run([binary, *map(str, args)], env=env, check=True, timeout=600)


def make_origin_pictures(binary, out, work):
    tiles = []
    for t in STRIP_TIMES:
        raw = os.path.join(work, f"origin{len(tiles)}.png")
        export(binary, "image", "--time", t, *ORIGIN_LOOK, *ORIGIN_VIEW, "-o", raw)
        tile = os.path.join(work, f"origin-tile{len(tiles)}.png")
        convert(raw, "-gravity", "center", "-crop", f"{CROP}x{CROP}+0+0", "+repage", "-resize",
                f"{THUMBNAIL}x{THUMBNAIL}", "-background", "black", "-fill", "white", "-font", "DejaVu-Sans",
                "-pointsize", 18, f"label:t = {t:g}", "-gravity", "center", "-append", tile)
        tiles.append(tile)
    convert(*tiles, "+append", "-strip", "-colors", 256, "PNG8:" + os.path.join(out, "origin-strip.png"))

    folder = os.path.join(work, "sweep") + "/"
    export(binary, "movie", "--frames", SWEEP_FRAMES, *ORIGIN_LOOK, *ORIGIN_VIEW, "-o", folder)
    frames = sorted(os.path.join(folder, f) for f in os.listdir(folder))
    hold = SWEEP_DELAY_CS * 8
    convert("-delay", hold, frames[0], "-delay", SWEEP_DELAY_CS, *frames[1:-1], "-delay", hold, frames[-1],
            "-gravity", "center", "-crop", f"{CROP}x{CROP}+0+0", "+repage", "-resize", f"{THUMBNAIL}x{THUMBNAIL}",
            "-loop", 0, "-layers", "Optimize", os.path.join(out, "origin-sweep.gif"))


# The ruled eversion: the joins of its seven steps and the middle, and the
# halfway model for three lobe counts, in the same tipped view, seam-free.
RULED_TIMES = (("0", "0"), ("1/7", 1 / 7), ("2/7", 2 / 7), ("3/7", 3 / 7), ("1/2", 0.5), ("4/7", 4 / 7),
               ("5/7", 5 / 7), ("6/7", 6 / 7), ("1", "1"))
RULED_VIEW = ["--method", "ruled", "--patches", "48", "--orbit", "12,-34", "--no-text", "--samples", "4"]


def tile_of(raw, label, tile):
    convert(raw, "-gravity", "center", "-crop", f"{CROP}x{CROP}+0+0", "+repage", "-resize",
            f"{THUMBNAIL}x{THUMBNAIL}", "-background", "black", "-fill", "white", "-font", "DejaVu-Sans",
            "-pointsize", 18, f"label:{label}", "-gravity", "center", "-append", tile)
    return tile


def make_ruled_pictures(binary, out, work):
    tiles = []
    for label, t in RULED_TIMES:
        raw = os.path.join(work, f"ruled{len(tiles)}.png")
        export(binary, "image", "--time", t, *RULED_VIEW, "-o", raw)
        tiles.append(tile_of(raw, f"t = {label}", os.path.join(work, f"ruled-tile{len(tiles)}.png")))
    convert(*tiles, "+append", "-strip", "-colors", 256, "PNG8:" + os.path.join(out, "ruled-strip.png"))
    tiles = []
    # With an odd number of lobes the halfway model is covered twice, its two
    # sides on each other, which the depth test can only draw as a jumble of
    # both colours: that one is shown a moment before.
    for lobes, t in ((2, "0.5"), (3, "0.495"), (4, "0.5")):
        raw = os.path.join(work, f"halfway{lobes}.png")
        export(binary, "image", "--time", t, *RULED_VIEW, "--lobes", lobes, "-o", raw)
        label = f"{lobes} lobes" + ("" if t == "0.5" else f", t = {t}")
        tiles.append(tile_of(raw, label, os.path.join(work, f"halfway-tile{lobes}.png")))
    convert(*tiles, "+append", "-strip", "-colors", 256, "PNG8:" + os.path.join(out, "ruled-halfway.png"))


# The double curves of both eversions at moments with many of them, in the
# same tipped view.
CURVE_MOMENTS = ((["--time", "0.25"], "t = 0.25"), (["--time", "0.375"], "t = 0.375"),
                 (["--time", "0.5"], "t = 0.5"), (["--time", "0.75"], "t = 0.75"),
                 (["--method", "ruled", "--time", "0.3"], "ruled, t = 0.3"),
                 (["--method", "ruled", "--time", "0.5"], "ruled, t = 0.5"),
                 (["--method", "ruled", "--lobes", "3", "--time", "0.45"], "ruled, 3 lobes, t = 0.45"))


def make_curve_pictures(binary, out, work):
    tiles = []
    for options, label in CURVE_MOMENTS:
        raw = os.path.join(work, f"curves{len(tiles)}.png")
        export(binary, "image", *options, "--double-curves", "--patches", 24, "--orbit", "12,-34", "--no-text",
               "--samples", 4, "-o", raw)
        tiles.append(tile_of(raw, label, os.path.join(work, f"curves-tile{len(tiles)}.png")))
    convert(*tiles, "+append", "-strip", "-colors", 256, "PNG8:" + os.path.join(out, "curves-strip.png"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--binary", default=os.environ.get("VV_BINARY", os.path.join(ROOT, "build", "vedoze-vaderuve")))
    parser.add_argument("--out", default=os.path.join(ROOT, "docs"))
    parser.add_argument("--origin", action="store_true", help="the pictures coloured by origin, from the exporter")
    parser.add_argument("--ruled", action="store_true", help="the ruled eversion's pictures, from the exporter")
    parser.add_argument("--curves", action="store_true", help="the double curves of both eversions, from the exporter")
    parser.add_argument("--export",
                        default=os.environ.get("VV_EXPORT", os.path.join(ROOT, "build", "vedoze-vaderuve-export")))
    args = parser.parse_args()
    # The exporter's pictures: what makes them and what it writes.
    exported = {"ruled": (make_ruled_pictures, ("ruled-strip.png", "ruled-halfway.png")),
                "curves": (make_curve_pictures, ("curves-strip.png",)),
                "origin": (make_origin_pictures, ("origin-strip.png", "origin-sweep.gif"))}
    for mode, (make, names) in exported.items():
        if not getattr(args, mode):
            continue
        if not os.access(args.export, os.X_OK):
            raise SystemExit(f"{args.export}: no exporter binary (build it with scripts/setup.sh)")
        os.makedirs(args.out, exist_ok=True)
        with tempfile.TemporaryDirectory() as work:
            make(args.export, args.out, work)
        for name in names:
            path = os.path.join(args.out, name)
            print(f"{path}: {os.path.getsize(path)} bytes")
        return
    if not os.access(args.binary, os.X_OK):
        raise SystemExit(f"{args.binary}: no viewer binary (build it with scripts/setup.sh)")
    os.makedirs(args.out, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        make_strip(args.binary, args.out, work)
        make_sweep(args.binary, args.out, work)
    for name in ("strip.png", "sweep.gif"):
        path = os.path.join(args.out, name)
        print(f"{path}: {os.path.getsize(path)} bytes")


if __name__ == "__main__":
    main()
