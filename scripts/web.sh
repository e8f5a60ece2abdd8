#!/usr/bin/env bash
# Builds the viewer for web browsers in build-web/ (or $VV_WEB_BUILD_DIR,
# CMake's build tree) and writes the deployable site, its own files and
# nothing else, into site/ (or $VV_SITE_DIR): index.html, the page's ES
# modules (viewer.js, the entry, and those it imports), vedoze-vaderuve.js,
# vedoze-vaderuve.wasm, the curve worker's vedoze-vaderuve-curves.js and
# .wasm, the manifest, two icons and the service worker, whose
# cache name is derived from the other files so that a new build replaces the
# old offline copy. Installs Debian's emscripten first
# when it is missing.
#
#   scripts/web.sh              build the site
#   scripts/web.sh serve [PORT] build, then serve the site on 127.0.0.1:PORT
#                               (8000 by default) until interrupted
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-build}
port=8000
case "$mode" in
  build) [ $# -le 1 ] || { echo "usage: scripts/web.sh [serve [PORT]]" >&2; exit 2; } ;;
  serve)
    [ $# -le 2 ] || { echo "usage: scripts/web.sh [serve [PORT]]" >&2; exit 2; }
    port=${2:-8000}
    if ! [[ "$port" =~ ^[0-9]+$ ]] || [ "$port" -lt 1 ] || [ "$port" -gt 65535 ]; then
      echo "web.sh: the port must be a number from 1 to 65535, not '$port'" >&2
      exit 2
    fi
    ;;
  *) echo "usage: scripts/web.sh [serve [PORT]]" >&2; exit 2 ;;
esac

if ! command -v emcmake > /dev/null; then
  echo "Installing Debian's emscripten"
  if [ "$(id -u)" -ne 0 ]; then
    echo "Installing packages needs root: run this command as root (or with sudo)." >&2
    exit 1
  fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq emscripten
fi

# emscripten's JavaScript tools need Debian's node modules (acorn), which a
# node that is not Debian's own does not search by itself.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

build_dir=${VV_WEB_BUILD_DIR:-build-web}
emcmake cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$build_dir" -j "$(nproc)"

site_dir=${VV_SITE_DIR:-site}
mkdir -p "$site_dir"
staged=("$build_dir"/site-files/* "$build_dir/vedoze-vaderuve.js" "$build_dir/vedoze-vaderuve.wasm"
        "$build_dir/vedoze-vaderuve-curves.js" "$build_dir/vedoze-vaderuve-curves.wasm")
files=()
for path in "${staged[@]}"; do
  f=$(basename "$path")
  files+=("$f")
  cp "$path" "$site_dir/$f.tmp"
  mv -f "$site_dir/$f.tmp" "$site_dir/$f"
done
build_id=$(cd "$site_dir" && cat "${files[@]}" | sha256sum | cut -c1-16)
list=$(printf '"%s", ' "${files[@]}")
sed -e "s/@BUILD@/$build_id/" -e "s/@FILES@/${list%, }/" "$build_dir/sw.js" > "$site_dir/sw.js.tmp"
mv -f "$site_dir/sw.js.tmp" "$site_dir/sw.js"
echo "Site written to $site_dir/ (build $build_id)"

if [ "$mode" = serve ]; then
  echo "Serving $site_dir at http://127.0.0.1:$port/ (Ctrl-C stops)"
  exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$site_dir"
fi
