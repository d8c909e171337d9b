#!/usr/bin/env bash
# Configures and builds into build/ (incremental; two jobs).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
# ccache, when the machine has it, lets several checkouts of the tree share
# their compiled objects (paths are taken relative to the checkout).
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(pwd)}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
fi
cmake --build "$BUILD_DIR" -j "${JOBS:-2}" "$@"
