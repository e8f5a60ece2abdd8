#!/usr/bin/env bash
# Writes the browser viewer's static site, and nothing else, into one archive:
#
#   scripts/site_archive.sh OUT.tar.gz
#
# The site's files stand at the top of the archive, so that unpacking it into
# the folder a web server publishes is the whole deployment. The site is the
# one scripts/web.sh built (run that first). The same files give the same
# archive: names sorted, owner root, one time stamp (the last commit's, or
# $SOURCE_DATE_EPOCH), no name or time in the gzip header.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: scripts/site_archive.sh OUT.tar.gz" >&2; exit 2; }
archive=$(realpath -m "$1")
cd "$(dirname "$0")/.."

site_dir=${VV_SITE_DIR:-site}
staging=$(mktemp -d)
trap 'rm -rf "$staging" "$archive.part"' EXIT
[ -d "$site_dir" ] || { echo "site_archive.sh: no site in $site_dir: run scripts/web.sh" >&2; exit 1; }
cp -a "$site_dir"/. "$staging"/

# Readable by everyone, writable by the owner only, nothing executable.
find "$staging" -type d -exec chmod 0755 {} +
find "$staging" -type f -exec chmod 0644 {} +
# Without git (a source tree unpacked, or a machine without it) the newest
# file's time, so that the same files still give the same archive.
stamp=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2> /dev/null ||
  find "$staging" -type f -printf '%T@\n' | sort -n | tail -n 1 | cut -d. -f1)}
(cd "$staging" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort |
  tar --create --no-recursion --owner=0 --group=0 --numeric-owner --mtime="@$stamp" \
    --files-from=-) | gzip -9n > "$archive.part"
mv "$archive.part" "$archive"
