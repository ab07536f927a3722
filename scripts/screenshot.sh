#!/usr/bin/env bash
# Renders the window on the simulated pod, after loading a TI program file,
# and the operator's window during a run on four simulated pods, one of them
# failing, on a virtual X server:
# scripts/screenshot.sh [BUILD_DIR [OUTPUT.png [STATION-OUTPUT.png]]]
# OUTPUT defaults to docs/screenshot.png, STATION-OUTPUT to
# docs/station-screenshot.png. The program file is the TI sample
# in $NEMBRA_TESTDATA_DIR/ti-coff (default ../shared/testdata); the File Path
# box shows it as $NEMBRA_SHOWN_PATH (default ~/firmware/TB3CM_DSP_Code.out),
# not as the folder of the machine that made the picture.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-${NEMBRA_BUILD_DIR:-$here/build}}
output=${2:-$here/docs/screenshot.png}
station_output=${3:-$here/docs/station-screenshot.png}
testdata=${NEMBRA_TESTDATA_DIR:-$here/../shared/testdata}
program=$(realpath -m "$testdata/ti-coff/TB3CM_DSP_Code.out")
shown=${NEMBRA_SHOWN_PATH:-"~/firmware/TB3CM_DSP_Code.out"}
exe="$build_dir/app/nembra-screenshot"
station_exe="$build_dir/app/nembra-station-screenshot"

for program_exe in "$exe" "$station_exe"; do
  if [ ! -x "$program_exe" ]; then
    echo "screenshot: $program_exe not found; build it first with: scripts/setup.sh build" >&2
    exit 1
  fi
done
if [ ! -f "$program" ]; then
  echo "screenshot: the TI program $program is missing; set NEMBRA_TESTDATA_DIR" >&2
  exit 1
fi
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "screenshot: xvfb-run is not installed (apt-get install xvfb xauth)" >&2
  exit 1
fi

mkdir -p "$(dirname "$output")" "$(dirname "$station_output")"
xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" env QT_QPA_PLATFORM=xcb "$exe" "$output" "$program" "$shown"
echo "screenshot: wrote $output"
# The paced simulated pods take as long as real ones: about a minute.
xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" env QT_QPA_PLATFORM=xcb "$station_exe" "$station_output" "$program"
echo "screenshot: wrote $station_output"
