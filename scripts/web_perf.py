#!/usr/bin/python3
"""Speed of the browser build, for the README: frames per second of the page
in headless Chromium (SwiftShader) at 12 x 12 and 128 x 128 patches, and stage
evaluations per second of the WebAssembly build under node against the native
benchmark. Needs build/ (native, with benchmarks) and build-web/; prints a
Markdown table.

    scripts/web_perf.py"""

import json
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import browser  # noqa: E402

NATIVE_BENCH = os.path.join(ROOT, os.environ.get("VV_BUILD_DIR", "build"), "bench", "eversion_stages_bench")
STAGE_RATE = os.path.join(browser.SITE_DIR, "tools", "stage_rate.js")
FRAMES = {12: 60, 128: 10}


def fail(message):
    print(f"web_perf.py: {message}", file=sys.stderr)
    sys.exit(1)


def frame_rates():
    rates = {}
    current = 12  # patches each way at start-up
    with browser.Page() as page:
        for patches, frames in FRAMES.items():
            # F1 and F3 add a latitudinal and a longitudinal patch each.
            page.driver.execute_script(
                "for (let i = 0; i < arguments[0]; ++i) { Module._vvSpecialKey(1); Module._vvSpecialKey(3); }",
                patches - current)
            current = patches
            page.driver.execute_script("Module._vvTimeFrames(1)")  # the rebuild, not timed
            ms = page.driver.execute_script("return Module._vvTimeFrames(arguments[0])", frames)
            rates[patches] = 1000 * frames / ms
        if page.errors():
            fail(f"browser console errors: {page.errors()}")
    return rates


def wasm_rates():
    out = subprocess.run(["node", "--no-experimental-fetch", STAGE_RATE], capture_output=True, text=True,
                         check=True, timeout=120, cwd=os.path.dirname(STAGE_RATE)).stdout
    return {name: float(rate) for name, rate in (line.split() for line in out.splitlines())}


def native_rates():
    out = subprocess.run([NATIVE_BENCH, "--benchmark_format=json"], capture_output=True, text=True, check=True,
                         timeout=300).stdout
    rates = {}
    for b in json.loads(out)["benchmarks"]:
        rates[b["name"].split("/")[1]] = b["items_per_second"]
    return rates


def main():
    for path in (NATIVE_BENCH, STAGE_RATE, os.path.join(browser.SITE_DIR, "index.html")):
        if not os.path.exists(path):
            fail(f"{path} is missing: build with scripts/setup.sh and scripts/web.sh first")
    fps = frame_rates()
    wasm, native = wasm_rates(), native_rates()
    print("| Patches | Frames per second (headless Chromium, SwiftShader) |")
    print("|---|---|")
    for patches, rate in fps.items():
        print(f"| {patches} × {patches} | {rate:.1f} |")
    print()
    print("| Stage | WebAssembly (node), evaluations/s | Native, evaluations/s | WebAssembly / native |")
    print("|---|---|---|---|")
    for name, rate in wasm.items():
        print(f"| {name} | {rate / 1e6:.2f} M | {native[name] / 1e6:.2f} M | {rate / native[name]:.2f} |")


if __name__ == "__main__":
    main()
