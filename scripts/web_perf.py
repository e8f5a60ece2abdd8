#!/usr/bin/python3
"""Speed and size of the browser build, for the README: the time from
navigation to the first drawn frame (a cold load, and a load from the offline
copy with the server stopped), the site's size gzipped (without the icons),
frames per second of the page with its controls shown in headless Chromium
(SwiftShader) at 12 x 12 and 128 x 128 patches and for both methods rebuilt
every frame, a frame with the double curves shown against one without them
for both methods and the time their curves take to come, the page while the
corrugations play with their curves, and stage evaluations per second of the
WebAssembly build under node against the native benchmark. Needs build/
(native, with benchmarks), build-web/ and the site (scripts/web.sh); prints
Markdown tables. `--curves` measures only the double curves, and needs only
the site (any site: VV_SITE_DIR names another).

    scripts/web_perf.py [--curves]"""

import gzip
import json
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import browser  # noqa: E402

NATIVE_BENCH = os.path.join(ROOT, os.environ.get("VV_BUILD_DIR", "build"), "bench", "eversion_stages_bench")
STAGE_RATE = os.path.join(ROOT, os.environ.get("VV_WEB_BUILD_DIR", "build-web"), "tools", "stage_rate.js")
ICONS = ("icon-192.png", "icon-512.png")
LOADS = 5
FRAMES = {12: 60, 128: 10}


def fail(message):
    print(f"web_perf.py: {message}", file=sys.stderr)
    sys.exit(1)


def first_frames():
    """Median milliseconds from navigation to the first frame: a cold load in
    a browser just started (its GPU process starting with the page), a cold
    load from a server on another port (nothing of it cached) in a browser
    already running, and a load of that from the service worker's cache with
    the server gone and the HTTP cache off."""
    fresh, cold, cached = [], [], []
    for _ in range(LOADS):
        first = browser.Site().__enter__()
        second = browser.Site().__enter__()
        try:
            with browser.Page(site=first) as page:
                fresh.append(page.js("return window.vvFirstFrameMs"))
                page.site = second
                page.driver.get("about:blank")
                page.open()
                cold.append(page.js("return window.vvFirstFrameMs"))
                page.reload_offline(second)
                second = None
                cached.append(page.js("return window.vvFirstFrameMs"))
        finally:
            first.__exit__(None, None, None)
            if second:
                second.__exit__(None, None, None)
    return [sorted(x)[len(x) // 2] for x in (fresh, cold, cached)]


def site_size():
    """Bytes of the site's files gzipped one by one at level 9, icons apart."""
    total = 0
    for name in sorted(os.listdir(browser.SITE_DIR)):
        if name in ICONS:
            continue
        with open(os.path.join(browser.SITE_DIR, name), "rb") as f:
            total += len(gzip.compress(f.read(), 9))
    return total


def frame_rates():
    """Frames per second with the controls shown, at each patch count, and
    at the start-up grid with the controls folded away, for comparison."""
    rates = {}
    current = 12  # patches each way at start-up
    with browser.Page() as page:
        if page.js("return document.getElementById('panel').hidden"):
            fail("the controls are folded away")
        page.driver.find_element("id", "fold").click()
        page.driver.execute_script("Module._vvTimeFrames(1)")
        ms = page.driver.execute_script("return Module._vvTimeFrames(arguments[0])", FRAMES[12])
        rates["folded"] = 1000 * FRAMES[12] / ms
        page.driver.find_element("id", "fold").click()
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
    # Each method at the start-up grid, rebuilt every frame as while the
    # eversion plays (two times in turn): the corrugations in the twist, the
    # ruled surfaces at the halfway model.
    script = """const n = arguments[0], t = arguments[1]; let ms = 0;
                for (let i = 0; i < n; ++i) { Module._vvSetTime(i % 2 ? t : t + 1e-7);
                                              ms += Module._vvTimeFrames(1); }
                return ms;"""
    for name, query, t in (("corrugations, rebuilt", "", 0.4), ("ruled", "?--method&ruled", 0.5)):
        with browser.Page(query) as page:
            page.driver.execute_script(script, 2, t)
            rates[name] = 1000 * FRAMES[12] / page.driver.execute_script(script, FRAMES[12], t)
            if page.errors():
                fail(f"browser console errors: {page.errors()}")
    return rates


def curve_frames():
    """Median milliseconds of a frame at the corrugations' and the ruled
    surfaces' busy times: at a new time with the double curves shown (the
    page's thread found them in the frame before the curve worker; now the
    worker finds them meanwhile, on the other core), rebuilt at the same time
    with its curves there (as a step whose set came ahead), and without
    curves; and the milliseconds from a new time to the first frame with its
    curves."""
    script = """const t = arguments[0], same = arguments[1], times = [];
                for (let i = 0; i < 7; ++i) { Module._vvSetTime(i % 2 || same ? t : t + 1e-7);
                                              times.push(Module._vvTimeFrames(1)); }
                times.sort((a, b) => a - b);
                return times[3];"""
    arrival = """const done = arguments[arguments.length - 1], t = arguments[0], times = [];
                 function next(i) {
                     if (i == 5) { times.sort((a, b) => a - b); done(times[2]); return; }
                     Module._vvSetTime(i % 2 ? t : t + 1e-7);
                     const start = performance.now();
                     function look() {
                         if (!Module._vvCurvesShown() || Module._vvFramePending()) {
                             requestAnimationFrame(look);
                             return;
                         }
                         times.push(performance.now() - start);
                         next(i + 1);
                     }
                     requestAnimationFrame(look);
                 }
                 next(0);"""
    cases = (("corrugations", "", (0.4, 0.5, 0.75)), ("ruled", "&--method&ruled", (0.3, 0.5)))
    frames = {}
    for name, method, times in cases:
        for shown in (True, False):
            with browser.Page("?--double-curves" + method if shown else "?" + method[1:]) as page:
                worker = page.js("return !!Module._vvCurvesShown")
                page.driver.set_script_timeout(60)
                for t in times:
                    page.driver.execute_script(script, t, False)  # warms up
                    frames[(name, t, shown)] = page.driver.execute_script(script, t, False)
                    if not shown:
                        continue
                    if worker:
                        frames[(name, t, "arrival")] = page.driver.execute_async_script(arrival, t)
                    page.js("Module._vvSetTime(arguments[0])", t)
                    page.wait_for(lambda: page.js("return Module._vvCurvesShown ? Module._vvCurvesShown() : 1") == 1
                                  and not page.js("return Module._vvFramePending()"), timeout=60, what="the curves")
                    frames[(name, t, "there")] = page.driver.execute_script(script, t, True)
                if page.errors():
                    fail(f"browser console errors: {page.errors()}")
    return frames


def playing_with_curves(seconds=4):
    """The corrugations played from t = 0.7 (where the sets take longest to
    find) with the double curves shown: the steps taken, the page's animation
    frames and the gaps between them, and the tasks that held the page's
    thread for more than 50 ms (the browser's long tasks)."""
    record = """const done = arguments[arguments.length - 1], end = performance.now() + arguments[0];
                const frames = [], long = [];
                new PerformanceObserver((l) => { for (const e of l.getEntries()) long.push(e.duration); })
                    .observe({ type: "longtask" });
                Module._vvMenu(61);
                function frame(now) {
                    frames.push(now);
                    if (now < end) requestAnimationFrame(frame);
                    else { Module._vvMenu(61); done([frames, long]); }
                }
                requestAnimationFrame(frame);"""
    with browser.Page("?--double-curves") as page:
        page.js("Module._vvSetTime(0.7)")
        if page.js("return !!Module._vvCurvesShown"):
            page.wait_for(lambda: page.js("return Module._vvCurvesShown()") == 1, timeout=60, what="the curves")
        else:
            page.sync()
        page.driver.set_script_timeout(seconds + 30)
        frames, long = page.driver.execute_async_script(record, seconds * 1000)
        t = float(page.link_field("t"))
        if page.errors():
            fail(f"browser console errors: {page.errors()}")
    gaps = sorted(b - a for a, b in zip(frames, frames[1:]))
    return {"seconds": seconds, "steps": round((t - 0.7) * 256), "frames": len(frames),
            "median gap": gaps[len(gaps) // 2], "longest gap": gaps[-1], "long tasks": len(long),
            "longest task": max(long, default=0)}


def print_curves(curves, playing):
    arrival = any(shown == "arrival" for (_, _, shown) in curves)
    print("| Method, time (12 × 12) | Frame at a new time, curves shown | Frame rebuilt, its curves there |"
          " Frame without curves |" + (" New time to its curves on screen |" if arrival else ""))
    print("|---|---|---|---|" + ("---|" if arrival else ""))
    for (name, t, shown), ms in curves.items():
        if shown is True:
            row = f"| {name}, t = {t} | {ms:.0f} ms | {curves[(name, t, 'there')]:.0f} ms | " \
                  f"{curves[(name, t, False)]:.0f} ms |"
            if arrival:
                row += f" {curves[(name, t, 'arrival')]:.0f} ms |"
            print(row)
    print()
    p = playing
    print(f"| Corrugations played from t = 0.7 with the curves shown, {p['seconds']} s | Value |")
    print("|---|---|")
    print(f"| steps of 1/256 taken | {p['steps']} |")
    print(f"| animation frames | {p['frames']} (gap median {p['median gap']:.0f} ms, longest {p['longest gap']:.0f} ms) |")
    print(f"| tasks over 50 ms on the page's thread | {p['long tasks']} (longest {p['longest task']:.0f} ms) |")


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
    if sys.argv[1:] == ["--curves"]:
        print_curves(curve_frames(), playing_with_curves())
        return
    for path in (NATIVE_BENCH, STAGE_RATE, os.path.join(browser.SITE_DIR, "index.html")):
        if not os.path.exists(path):
            fail(f"{path} is missing: build with scripts/setup.sh and scripts/web.sh first")
    fresh, cold, cached = first_frames()
    size = site_size()
    fps = frame_rates()
    curves = curve_frames()
    playing = playing_with_curves()
    wasm, native = wasm_rates(), native_rates()
    print("| Measure | Value |")
    print("|---|---|")
    print(f"| navigation to first frame, cold, browser just started (median of {LOADS}) | {fresh:.0f} ms |")
    print(f"| navigation to first frame, cold, browser running (median of {LOADS}) | {cold:.0f} ms |")
    print(f"| navigation to first frame, offline copy, server stopped (median of {LOADS}) | {cached:.0f} ms |")
    print(f"| site gzipped, without icons | {size / 1000:.0f} KB |")
    print()
    print("| Patches | Frames per second with the controls shown (headless Chromium, SwiftShader) |")
    print("|---|---|")
    folded = fps.pop("folded")
    ruled = fps.pop("ruled")
    corrugations = fps.pop("corrugations, rebuilt")
    for patches, rate in fps.items():
        print(f"| {patches} × {patches} | {rate:.1f} |")
    print(f"| 12 × 12, controls folded away | {folded:.1f} |")
    print(f"| 12 × 12, corrugations at t = 0.4, rebuilt every frame | {corrugations:.1f} |")
    print(f"| 12 × 12, ruled surfaces at t = 0.5, rebuilt every frame | {ruled:.1f} |")
    print()
    print_curves(curves, playing)
    print()
    print("| Stage | WebAssembly (node), evaluations/s | Native, evaluations/s | WebAssembly / native |")
    print("|---|---|---|---|")
    for name, rate in wasm.items():
        print(f"| {name} | {rate / 1e6:.2f} M | {native[name] / 1e6:.2f} M | {rate / native[name]:.2f} |")


if __name__ == "__main__":
    main()
