#!/usr/bin/env bash
# Builds the Debian package tz360_<version>_amd64.deb into build/ from the
# existing build tree (installs what is missing and builds first), then checks
# it with lintian when lintian is there.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build="${BUILD_DIR:-build}"
(cd "$build" && cpack -G DEB)
deb=$(ls -t "$build"/tz360_*.deb | head -1)
if command -v lintian >/dev/null; then
  # lintian warns when run as root; the check itself is the same.
  lintian --fail-on error "$deb" 2> >(grep -v 'running with root privileges' >&2)
fi
echo "$deb"
