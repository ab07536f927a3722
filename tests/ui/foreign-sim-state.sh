#!/bin/sh
# nembra-station --sim=FILE where FILE is not a simulated pod's store (a
# mistyped program file, say): the station refuses to start, says why, and
# leaves the file byte for byte as it was.
set -u
station=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf 'not a pod store\001\002\n' >"$dir/firmware.out"
cp "$dir/firmware.out" "$dir/original"
# A station that starts would run until stopped; a minute is plenty to refuse.
QT_QPA_PLATFORM=offscreen timeout 60 "$station" "--sim=$dir/firmware.out" "$dir/line.toml" 2>"$dir/err"
rc=$?
status=0
[ "$rc" -eq 1 ] || { echo "exit $rc, expected 1" >&2; status=1; }
grep -q "is not a simulated pod's store; it is left as it is" "$dir/err" ||
  { echo "standard error does not say why:" >&2; cat "$dir/err" >&2; status=1; }
cmp -s "$dir/firmware.out" "$dir/original" || { echo "the file was changed" >&2; status=1; }
exit $status
