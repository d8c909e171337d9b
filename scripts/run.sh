#!/usr/bin/env bash
# Installs what is missing, builds, prepares a demo working directory with a
# simulated unit on Comm 1, and starts the workstation there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh
scripts/build.sh
build="$root/${BUILD_DIR:-build}"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: the workstation needs a graphical session (set DISPLAY, or run under xvfb-run)." >&2
  exit 1
fi

demo="${TZ360_DEMO_DIR:-$root/demo}"
mkdir -p "$demo"
cd "$demo"
# A fresh demo has unit 1 on Comm 1, CGS units and the default shear rates.
if [ ! -f initial.txt ]; then
  printf ' 1 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 1 \r\n 1 \r\n 40            100           170 \r\n' > initial.txt
fi

# A sequence to run at once: add unit 1, select "Demo", send, start.
"$build/tz360-cli" add-demo-sequence

sim_pid=""
if [ -x "$build/tz360-sim" ]; then
  # A delayed zirconate gel with a breaker: it crosslinks in the first
  # minutes, holds at 150 F and breaks at 230 F along the "Demo" sequence.
  "$build/tz360-sim" --link 1 ${TZ360_TIME_SCALE:+--time-scale "$TZ360_TIME_SCALE"} \
    --fluid "${TZ360_DEMO_FLUID:-zirconate}" --breaker "${TZ360_DEMO_BREAKER:-0.3}" > sim.out 2>&1 &
  sim_pid=$!
  trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true' EXIT
fi

"$build/tz360"
