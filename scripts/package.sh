#!/usr/bin/env bash
# Makes what is handed to users, and prints the paths of what it made, one a
# line, last:
#  - the Debian package vedoze-vaderuve_VERSION_ARCH.deb, built in Release from
#    a clean build folder, build-package/ (or $VV_PACKAGE_BUILD_DIR), with
#    Debian's hardening flags, and checked with lintian (errors fail);
#  - vedoze-vaderuve-web-VERSION.tar.gz, the browser viewer's static site and
#    nothing else, its files at the top of the archive: unpack it into the
#    folder a web server publishes.
# Both land in the build folder. Installs missing Debian packages first, as
# scripts/setup.sh does.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${VV_PACKAGE_BUILD_DIR:-build-package}
rm -rf "$build_dir"

# The flags a Debian package is built with: optimisation, fortified string
# functions, stack protector, full RELRO and immediate binding, PIE.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
VV_BUILD_DIR=$build_dir VV_BUILD_TYPE=Release \
  VV_CMAKE_ARGS="-DVV_BUILD_TESTS=OFF -DVV_BUILD_BENCH=OFF" scripts/setup.sh
unset CXXFLAGS LDFLAGS

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")
(cd "$build_dir" && cpack -G DEB > cpack.log) || { cat "$build_dir/cpack.log" >&2; exit 1; }
deb=$(ls "$build_dir"/vedoze-vaderuve_"$version"_*.deb)

if command -v lintian > /dev/null; then
  echo "lintian $deb:"
  lintian_status=0
  lintian --tag-display-limit 0 "$deb" || lintian_status=$?
  if [ "$lintian_status" -ne 0 ]; then
    echo "package.sh: lintian reports errors on $deb" >&2
    exit 1
  fi
fi

# The web site, as scripts/web.sh builds it.
scripts/web.sh
archive=$build_dir/vedoze-vaderuve-web-$version.tar.gz
scripts/site_archive.sh "$archive"

echo "Made:"
realpath "$deb" "$archive"
