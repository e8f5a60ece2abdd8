#!/usr/bin/env bash
# Builds Release, runs every benchmark program with repetitions and prints a
# Markdown table of the median and the slowest repetition of each measure,
# followed by a line describing the machine. The frame-rate program renders
# in a private Xvfb server (1280x1024x24), so no desktop is needed and the
# figures do not depend on one.
#
#   scripts/perf_report.sh              # 5 repetitions into build/
#   VV_PERF_REPETITIONS=10 VV_BUILD_DIR=build-perf scripts/perf_report.sh
#
# Progress goes to standard error, the report to standard output.
set -euo pipefail
cd "$(dirname "$0")/.."

export VV_BUILD_TYPE=Release
VV_BUILD_DIR=${VV_BUILD_DIR:-build}
export VV_BUILD_DIR
repetitions=${VV_PERF_REPETITIONS:-5}

scripts/setup.sh >&2
bench_dir="$VV_BUILD_DIR/bench"
results=$(mktemp -d)
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$results"
}
trap cleanup EXIT

start_xvfb() {
  for n in $(seq 50 89); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    if kill -0 "$xvfb_pid" 2>/dev/null; then
      xvfb_display=":$n"
      return 0
    fi
    xvfb_pid=""
  done
  echo "could not start Xvfb" >&2
  exit 1
}

for program in "$bench_dir"/*_bench; do
  name=$(basename "$program")
  # Whole exports are measured one per process (see the README's exporter
  # section): a second large mesh in the same process reuses memory the
  # first one left and reads faster than any user will see.
  [ "$name" = export_pipeline_bench ] && continue
  echo "running $name ($repetitions repetitions)" >&2
  # Interleaving the repetitions of all cases spreads the load of a shared
  # machine over them instead of letting it fall on one case.
  args=(--benchmark_repetitions="$repetitions" --benchmark_enable_random_interleaving=true
        --benchmark_format=json --benchmark_out_format=json
        --benchmark_out="$results/$name.json")
  if [ "$name" = app_frame_bench ]; then
    [ -n "$xvfb_pid" ] || start_xvfb
    DISPLAY=$xvfb_display "$program" "${args[@]}" > /dev/null
  else
    "$program" "${args[@]}" > /dev/null
  fi
done

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
os=$(. /etc/os-release && echo "$PRETTY_NAME")
python3 - "$results" "$(nproc)" "$cpu" "$os" <<'PY'
import json, os, re, statistics, sys

results, cores, cpu, os_name = sys.argv[1:5]
SCALE_TO_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


# Rows appear in this order: jets by operation, stages in schedule order,
# rebuilds and frames by size. The repetitions run interleaved, so the order
# of the results says nothing.
JET_ORDER = ["jet8Product", "jet8SinTurns", "jet8Pow", "jet4VecNormalize", "jet4VecCross"]
JET_NAMES = {"jet8Product": "Jet8 product", "jet8SinTurns": "Jet8 sinTurns",
             "jet4VecNormalize": "Jet4Vec normalize", "jet4VecCross": "Jet4Vec cross"}
STAGE_ORDER = ["corrugate", "pushThrough", "twist", "release", "smooth"]


def describe(name):
    """(sort key, readable measure, what to report) for a benchmark run name."""
    m = re.fullmatch(r"jet8Pow<(-?[\d.]+)>", name)
    if m:
        # A whole-number template argument is the exponent in hundredths.
        arg = m.group(1)
        exponent = float(arg) if "." in arg else int(arg) / 100
        return (0, JET_ORDER.index("jet8Pow"), exponent), f"Jet8 pow, exponent {exponent:g}", "ns"
    if name in JET_NAMES:
        return (0, JET_ORDER.index(name)), JET_NAMES[name], "ns"
    m = re.fullmatch(r"evaluateStageGrid/(\w+)", name)
    if m:
        stage = m.group(1)
        rank = STAGE_ORDER.index(stage) if stage in STAGE_ORDER else len(STAGE_ORDER)
        return (1, rank, stage), f"stage {stage}", "items"
    m = re.fullmatch(r"rebuildGrid/patches:(\d+)/threads:(\d+)(/.*)?", name)
    if m:
        p, threads = int(m.group(1)), int(m.group(2))
        cores = "all cores" if threads == 0 else f"{threads} thread" + ("s" if threads > 1 else "")
        return (2, p, 1, -threads), f"rebuild, {p} x {p} patches, {cores}", "ms"
    m = re.fullmatch(r"rebuildRuledGrid/patches:(\d+)/threads:(\d+)/t_milli:(\d+)(/.*)?", name)
    if m:
        p, threads, t = int(m.group(1)), int(m.group(2)), int(m.group(3)) / 1000
        cores = "all cores" if threads == 0 else f"{threads} thread" + ("s" if threads > 1 else "")
        return (2, p, 4, t, -threads), f"ruled rebuild, {p} x {p} patches a block, t = {t:g}, {cores}", "vertices"
    m = re.fullmatch(r"rebuildGridPerPoint/patches:(\d+)(/.*)?", name)
    if m:
        p = int(m.group(1))
        return (2, p, 2, 0), f"rebuild, {p} x {p} patches, per-point path, 1 thread", "ms"
    m = re.fullmatch(r"rebuildWithColours/patches:(\d+)/latitude:(\d)(/.*)?", name)
    if m:
        p, latitude = int(m.group(1)), int(m.group(2))
        colours = "latitude colours" if latitude else "sides colours"
        return (2, p, 3, latitude), f"rebuild, {p} x {p} patches, all cores, {colours}", "ms"
    if name.startswith("originTextureBuild"):
        return (2, 10 ** 6, 0, 0), "origin texture, latitude colours, 1024 x 512 (once per change)", "ms"
    m = re.fullmatch(r"renderSchemes/scheme:(\d)(/.*)?", name)
    if m:
        k = int(m.group(1))
        look = ["sides", "latitude", "longitude", "image", "latitude, graticule 15, two tracks"][k]
        return (3, 12, 0.4, 10 + k), f"frame, 12 x 12 patches, t = 0.4, rebuild + render, {look}", "fps"
    m = re.fullmatch(r"renderMethods/ruled:(\d)/seamFree:(\d)(/.*)?", name)
    if m:
        ruled, seam_free = int(m.group(1)), int(m.group(2))
        what = ("ruled" if ruled else "corrugations") + (", seam-free" if seam_free else "")
        return (3, 12, 0.5, 20 + 2 * ruled + seam_free), f"frame, 12 x 12 patches, t = 0.5, rebuild + render, {what}", "fps"
    m = re.fullmatch(r"renderFrames/patches:(\d+)/rebuild:(\d)/tMilli:(\d+)(/.*)?", name)
    if m:
        p, rebuild, t = int(m.group(1)), int(m.group(2)), int(m.group(3)) / 1000
        what = "rebuild + render" if rebuild else "render only"
        return (3, p, t, rebuild), f"frame, {p} x {p} patches, t = {t:g}, {what}", "fps"
    return (4, name), name, "ns"


UNITS = {"ns": "ns per operation", "items": "million evaluations/s", "ms": "ms per rebuild",
         "fps": "frames/s", "vertices": "million vertices/s"}


def value(run, kind):
    ns = run["real_time"] * SCALE_TO_NS[run["time_unit"]]
    if kind == "ns":
        return ns
    if kind == "ms":
        return ns / 1e6
    if kind in ("items", "vertices"):
        return run["items_per_second"] / 1e6
    return run["frames/s"]


rows = {}
renderer = ""
for file in sorted(os.listdir(results)):
    with open(os.path.join(results, file)) as f:
        data = json.load(f)
    context = data["context"]
    if "GL_RENDERER" in context:
        mesa = re.search(r"Mesa [\d.]+", context.get("GL_VERSION", ""))
        renderer = context["GL_RENDERER"] + (f", {mesa.group(0)}" if mesa else "")
    for run in data["benchmarks"]:
        if run.get("run_type") != "iteration" or run.get("error_occurred"):
            continue
        key, measure, kind = describe(run["run_name"])
        rows.setdefault((key, measure, kind), []).append(value(run, kind))

print("| Measure | Unit | Median | Slowest run |")
print("|---|---|---:|---:|")
for (_, measure, kind), values in sorted(rows.items(), key=lambda row: row[0][0]):
    # Slowest: the longest time, or the lowest rate.
    slowest = max(values) if kind in ("ns", "ms") else min(values)
    digits = 1 if kind in ("ns", "fps") else 2
    print(f"| {measure} | {UNITS[kind]} | {statistics.median(values):.{digits}f} | {slowest:.{digits}f} |")
print()
print(f"Measured on {cores} cores of {cpu}, {os_name}, OpenGL renderer {renderer or 'unknown'}.")
PY
