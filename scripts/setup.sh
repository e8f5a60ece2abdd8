#!/usr/bin/env bash
# Installs the Debian packages the project needs (only those missing), then
# configures and builds into build/ (or $VV_BUILD_DIR). Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake pkg-config
  freeglut3-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
  libgtest-dev libbenchmark-dev
  xvfb xdotool x11-utils x11-apps apitrace imagemagick python3 valgrind
  # The browser build's tests: headless Chromium driven through selenium.
  chromium chromium-driver python3-selenium
  # The exporter: EGL without a display, PNG, mesh formats, movies.
  libegl-dev libegl1-mesa-dev libpng-dev libassimp-dev ffmpeg
  # The Debian package and its checks (scripts/package.sh, scripts/package_test.py).
  dpkg-dev lintian desktop-file-utils bash-completion debootstrap
  # The view-link fuzzer (scripts/fuzz.sh): clang with libFuzzer.
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing missing Debian packages: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "Installing packages needs root: run this command as root (or with sudo)." >&2
    exit 1
  fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

build_dir=${VV_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE="${VV_BUILD_TYPE:-Release}" ${VV_CMAKE_ARGS:-} > /dev/null
cmake --build "$build_dir" -j "$(nproc)"
