#!/usr/bin/env python3
"""Takes the README picture: runs the already built viewer under a private
Xvfb server, waits for its start-up view and writes it as a PNG image.
Builds nothing (run scripts/setup.sh first).

Usage: scripts/screenshot.py [--binary PATH] [--output PATH] [-- VIEWER_ARGS...]
  --binary PATH  the viewer (default: $VV_BINARY, else ${VV_BUILD_DIR:-build}/vedoze-vaderuve)
  --output PATH  the image to write (default: docs/startup.png)
  VIEWER_ARGS    passed to the viewer, e.g. -- -s for the stereo view
"""
import argparse
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

import harness  # noqa: E402  (needs the path above)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    default_binary = os.environ.get("VV_BINARY") or os.path.join(
        ROOT, os.environ.get("VV_BUILD_DIR", "build"), "vedoze-vaderuve")
    parser.add_argument("--binary", default=default_binary)
    parser.add_argument("--output", default=os.path.join(ROOT, "docs", "startup.png"))
    parser.add_argument("viewer_args", nargs="*")
    args = parser.parse_args()
    if not os.access(args.binary, os.X_OK):
        sys.exit(f"{args.binary}: no viewer binary there; build it first (scripts/setup.sh)")

    with harness.Viewer(*args.viewer_args, binary=args.binary) as viewer:
        viewer.wait_window()
        # The first frames are drawn at the window's initial size; wait until
        # the picture holds still at its final one.
        shot = viewer.wait_still(quiet=0.5, timeout=15)
    os.makedirs(os.path.dirname(os.path.abspath(args.output)), exist_ok=True)
    shot.save(args.output)
    print(f"{args.output}: {shot.width} x {shot.height}")


if __name__ == "__main__":
    main()
