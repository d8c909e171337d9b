#!/usr/bin/env bash
# Builds the Debian package tz360_<version>_<arch>.deb into build/ from the
# build tree (installs what is missing and builds the programs first), checks it
# with lintian (errors fail, warnings are shown) and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh --target tz360 tz360-cli tz360-sim tz360-package-files
build="${BUILD_DIR:-build}"
deb=$(cd "$build" && cpack -G DEB | tee /dev/stderr | sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p')
[ -n "$deb" ] && [ -f "$deb" ] || { echo "package.sh: cpack made no package" >&2; exit 1; }
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb"
fi
echo "$deb"
