#!/usr/bin/env bash
# Builds everything and runs the whole test suite. When there is no display, a
# private Xvfb server is started for the OpenGL tests (the end-to-end tests
# start their own servers so that they cannot disturb each other).
#
# A second stage then builds the same sources with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/ (or $VV_ASAN_BUILD_DIR) and runs
# the unit, GL and end-to-end tests again there; VV_SANITIZER_STAGE=0 skips it.
# The last line is the summary of both stages in ctest's own words.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# The browser build, for the web page's end-to-end test.
scripts/web.sh
build_dir=${VV_BUILD_DIR:-build}
asan_dir=${VV_ASAN_BUILD_DIR:-build-asan}

xvfb_pid=""
summary_log=$(mktemp)
cleanup() {
  rm -f "$summary_log"
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
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

# Runs ctest with the given arguments, shows its output and adds its counts
# to the totals; a run that finds no test adds nothing.
total=0
failed=0
run_ctest() {
  local status=0
  ctest "$@" 2>&1 | tee "$summary_log" || status=$?
  local line
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$summary_log" | tail -n 1 || true)
  if [ -n "$line" ]; then
    total=$((total + $(sed -E 's/.* out of ([0-9]+).*/\1/' <<< "$line")))
    failed=$((failed + $(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<< "$line")))
  elif [ "$status" -ne 0 ]; then
    failed=$((failed + 1))  # ctest itself failed before it could run anything
    total=$((total + 1))
  fi
}

run_ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"

if [ "${VV_SANITIZER_STAGE:-1}" != 0 ]; then
  echo "== Sanitizer stage: AddressSanitizer and UndefinedBehaviorSanitizer in $asan_dir"
  if cmake -S . -B "$asan_dir" -DVV_SANITIZE=address,undefined -DVV_BUILD_BENCH=OFF \
       -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null && cmake --build "$asan_dir" -j "$(nproc)"; then
    # Any undefined behaviour ends the test with a stack trace.
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    # The sanitized programs run several times slower: the end-to-end tests
    # stretch their deadlines by this factor (they wait for events, so a
    # longer deadline costs time only when something is wrong).
    export VV_TIME_SCALE=4
    # Whatever opens a window runs Mesa, whose own allocations outlive the
    # program and read as leaks; the unit tests keep leak detection. The trace
    # recorder preloads itself ahead of the sanitizer runtime, which is
    # harmless here as it does not replace the allocator. Valgrind cannot run
    # a sanitized binary, so its test belongs to the first stage; so do the
    # web page's and the site archive's, which check the browser build that
    # no sanitizer touches.
    ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0 \
      run_ctest --test-dir "$asan_dir" --output-on-failure -j "$(nproc)" -L 'gl|e2e' -E '^e2e_test_(valgrind|web|web_.*|site_archive)$'
    ASAN_OPTIONS=detect_leaks=1 run_ctest --test-dir "$asan_dir" --output-on-failure -j "$(nproc)" -L unit
  else
    echo "the sanitizer build failed" >&2
    total=$((total + 1))
    failed=$((failed + 1))
  fi
fi

# A short fuzzing run of the view-link decoder, which reads whatever a link
# carries; it counts as one test.
if [ "${VV_FUZZ_STAGE:-1}" != 0 ]; then
  echo "== Fuzzing the view-link decoder"
  total=$((total + 1))
  scripts/fuzz.sh || failed=$((failed + 1))
fi

# As ctest words it: the share passed, rounded down, and never 100% with a failure.
passed=$((total - failed))
percent=100
[ "$total" -gt 0 ] && percent=$((100 * passed / total))
[ "$failed" -gt 0 ] && [ "$percent" -eq 100 ] && percent=99
echo "${percent}% tests passed, ${failed} tests failed out of ${total}"
[ "$failed" -eq 0 ]
