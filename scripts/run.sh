#!/usr/bin/env bash
# Builds the viewer if needed and starts it; arguments are passed through.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh > /dev/null
# The usage text needs no window, so it needs no display either.
wants_usage=0
for argument in "$@"; do
  case "$argument" in -h|--help) wants_usage=1 ;; esac
done
if [ -z "${DISPLAY:-}" ] && [ "$wants_usage" = 0 ]; then
  cat >&2 <<MSG
vedoze-vaderuve needs a display: it opens an OpenGL window and none is
available here (DISPLAY is not set). Run it from a desktop session, or under a
virtual X server, for example:

  xvfb-run -a -s "-screen 0 1280x1024x24" scripts/run.sh $*
MSG
  exit 1
fi
exec "${VV_BUILD_DIR:-build}/vedoze-vaderuve" "$@"
