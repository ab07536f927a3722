#!/usr/bin/env bash
# Starts the window on the simulated pod: scripts/start-sim.sh [BUILD_DIR]
# The simulated pod keeps its serial flash in ~/.local/state/nembra and the
# program its settings in ~/.config/Corvane/nembra-sim.ini, apart from the
# real program's.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-${NEMBRA_BUILD_DIR:-$here/build}}
exe="$build_dir/app/nembra-sim"

if [ ! -x "$exe" ]; then
  echo "start-sim: $exe not found; build it first with: scripts/setup.sh build" >&2
  exit 1
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$exe"
fi

cat <<'TEXT'
start-sim: no DISPLAY is set, so the window has no screen to appear on.
To see and use it, run this command again from a desktop session, or log in
with X forwarding (ssh -X HOST) and run it there.
Meanwhile the window is rendered on a virtual X server (xvfb-run), after
loading a TI program on the simulated pod, to a picture you can open:
TEXT
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "start-sim: xvfb-run is not installed (apt-get install xvfb xauth)" >&2
  exit 1
fi
picture="$build_dir/nembra-sim-window.png"
exec "$here/scripts/screenshot.sh" "$build_dir" "$picture"
