#!/usr/bin/env bash
# A short libFuzzer run of the view-link decoder under AddressSanitizer and
# UndefinedBehaviorSanitizer, built with Debian's clang into build-fuzz/ (or
# $VV_FUZZ_BUILD_DIR). Exits non-zero when the fuzzer finds a fault; the input
# that caused it is left in that folder.
#
#   scripts/fuzz.sh [RUNS]     RUNS inputs (default 150000, about 20 s here)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-150000}
if ! [[ "$runs" =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/fuzz.sh [RUNS]" >&2
  exit 2
fi
cxx=${VV_FUZZ_CXX:-clang++}
if ! command -v "$cxx" > /dev/null; then
  echo "fuzz.sh: $cxx is missing (Debian packages clang and libclang-rt-14-dev)" >&2
  exit 1
fi

build_dir=${VV_FUZZ_BUILD_DIR:-build-fuzz}
mkdir -p "$build_dir/corpus"
binary="$build_dir/view_link_fuzz"
sources=(tests/fuzz/view_link_fuzz.cpp viewer/ViewLink.cpp)
if [ ! -x "$binary" ] || [ -n "$(find "${sources[@]}" viewer/ViewLink.h -newer "$binary")" ]; then
  "$cxx" -std=c++20 -g -O1 -Wall -Wextra -Wpedantic -ffp-contract=off -I. \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    "${sources[@]}" -o "$binary"
fi

# Seeds: a link as the page writes it, and some near misses.
seeds="$build_dir/seeds"
mkdir -p "$seeds"
printf '%s' 't=0.375&dt=256&strips=8&shown=8&hemispheres=2&half=0&lat=12&lon=12&mode=2&smooth=1&blend=0&alpha=0.300000012&cull=0&cullback=1&axes=0&target=0&text=1&stereo=0&eye=0.100000001&cam=0,0,8.5,0,0,0,0,1,0' > "$seeds/page"
printf '%s' '#t=1e999&t=nan&cam=1,2,3&%41=%zz' > "$seeds/broken"
printf '%s' 'colours=latitude&bands=longitude,12&graticule=15&tracks=10,-20;0.5,180&ortho=1' > "$seeds/look"

# A fresh corpus each run keeps the run the same length every time.
rm -rf "$build_dir/corpus" && mkdir -p "$build_dir/corpus"
cd "$build_dir"
exec "./view_link_fuzz" -runs="$runs" -max_len=4096 -seed=1 -print_final_stats=1 corpus seeds
