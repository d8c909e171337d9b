#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the demo need.
# Does nothing when they are all there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite qt6-serialport-dev
  qt6-charts-dev qt6-datavisualization-dev qt6-declarative-dev libqt6opengl6-dev
  libeigen3-dev libxlsxwriter-dev
  qt6-httpserver-dev qt6-websockets-dev
  xvfb xauth libgl1-mesa-dri fonts-dejavu-core
  sqlite3 libsqlite3-dev
  libxcb1-dev libfontconfig-dev
  unzip
  mdbtools
  libqt6sql6-psql
  postgresql
  dpkg-dev lintian
  chromium
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
