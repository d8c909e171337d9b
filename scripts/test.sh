#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (widget tests under Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
cd "${BUILD_DIR:-build}"
export QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1600x1000x24" ctest --output-on-failure -j 2 "$@"
