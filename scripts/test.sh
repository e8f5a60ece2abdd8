#!/usr/bin/env bash
# Builds everything and runs the whole test suite. When there is no display, a
# private Xvfb server is started for the OpenGL tests (the end-to-end tests
# start their own servers so that they cannot disturb each other).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build_dir=${VV_BUILD_DIR:-build}

xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    if kill -0 "$xvfb_pid" 2>/dev/null; then export DISPLAY=":$n"; break; fi
    xvfb_pid=""
  done
  [ -n "${DISPLAY:-}" ] || { echo "could not start Xvfb" >&2; exit 1; }
fi

ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"
