#!/usr/bin/env bash
# Checks the Debian package: packaging/check-package.sh [DEB]
# (default: the one `scripts/setup.sh package` made in build/). Fails on the
# first fault: a missing file, a lintian error, an invalid desktop entry or
# metainfo, a manual page with markup warnings, a broken completion, or
# programs that do not run from an unpacked copy of the package.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
deb=${1:-}
if [ -z "$deb" ]; then
  debs=("${NEMBRA_BUILD_DIR:-$here/build}"/nembra_*_amd64.deb)
  deb=${debs[-1]}
fi
if [ ! -f "$deb" ]; then
  echo "check-package: $deb not found; make it with: bash scripts/setup.sh package" >&2
  exit 1
fi
version=$(dpkg-deb -f "$deb" Version)
short_version=$(echo "$version" | cut -d. -f1,2)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root="$work/root"

fail() {
  echo "check-package: $*" >&2
  exit 1
}

echo "== Contents of $(basename "$deb")"
dpkg-deb -x "$deb" "$root"
dpkg-deb -e "$deb" "$work/control"
expected=(
  usr/bin/nembra usr/bin/nembra-sim usr/bin/nembra-cli usr/bin/nembra-station
  lib/udev/rules.d/60-kvl47q-pod.rules
  usr/share/applications/nembra.desktop
  usr/share/applications/nembra-sim.desktop
  usr/share/applications/nembra-station.desktop
  usr/share/icons/hicolor/scalable/apps/nembra.svg
  usr/share/icons/hicolor/scalable/apps/nembra-station.svg
  usr/share/metainfo/com.corvane.Nembra.metainfo.xml
  usr/share/man/man1/nembra.1.gz usr/share/man/man1/nembra-sim.1.gz usr/share/man/man1/nembra-cli.1.gz
  usr/share/man/man1/nembra-station.1.gz
  usr/share/bash-completion/completions/nembra-cli
  usr/share/doc/nembra/copyright usr/share/doc/nembra/changelog.gz
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/nembra.png")
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/nembra-station.png")
done
for path in "${expected[@]}"; do
  [ -e "$root/$path" ] || fail "the package lacks /$path"
done
grep -q 'TAG+="uaccess"' "$root/lib/udev/rules.d/60-kvl47q-pod.rules" || fail "the udev rule lacks the uaccess tag"
grep -q 'GROUP="plugdev"' "$root/lib/udev/rules.d/60-kvl47q-pod.rules" || fail "the udev rule lacks the plugdev group"
depends=$(dpkg-deb -f "$deb" Depends)
for package in libftdi1-2 qt6-qpa-plugins libqt6widgets6 fonts-nanum; do
  [[ $depends == *"$package"* ]] || fail "Depends does not name $package: $depends"
done

echo "== Installable on a fresh Debian 12"
# apt plans the installation against an empty package database, as on a
# machine that has nothing yet: every dependency must come from the archive.
apt-cache show libftdi1-2 >/dev/null 2>&1 || fail "apt has no package lists; run apt-get update"
: >"$work/empty-status"
apt-get install -s -o Dir::State::status="$work/empty-status" "$(realpath "$deb")" >"$work/plan" 2>&1 ||
  fail "apt cannot install the package on an empty system: $(grep -E '^E:|Depends:' "$work/plan" | head -5)"
grep -q '^Inst nembra ' "$work/plan" || fail "apt does not plan to install the package"

echo "== lintian"
lintian --fail-on error "$deb" 2>&1 | grep -v '^running with root privileges' || true
lintian --fail-on error "$deb" >/dev/null 2>&1 || fail "lintian reports errors"

echo "== desktop-file-validate, appstreamcli validate"
desktop-file-validate "$root"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$root"/usr/share/metainfo/com.corvane.Nembra.metainfo.xml

echo "== Manual pages"
for page in "$root"/usr/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
man_text=$(MANWIDTH=200 man -l "$root/usr/share/man/man1/nembra-cli.1.gz" 2>/dev/null)
for command in $(LC_ALL=C "$root/usr/bin/nembra-cli" --help | sed -n '/^COMMANDS/,/^$/p' | awk 'NR > 1 && NF {print $1}'); do
  [[ $man_text == *"nembra-cli $command"* ]] || fail "nembra-cli(1) does not describe the command $command"
done

grep -q '^Exec=nembra-station' "$root/usr/share/applications/nembra-station.desktop" ||
  fail "nembra-station.desktop does not start nembra-station"
grep -q '^Icon=nembra-station$' "$root/usr/share/applications/nembra-station.desktop" ||
  fail "nembra-station.desktop does not show the station's icon"
station_man=$(MANWIDTH=200 man -l "$root/usr/share/man/man1/nembra-station.1.gz" 2>/dev/null)
for option in $(LC_ALL=C "$root/usr/bin/nembra-station" --help | grep -oE '^  (-h, )?--[a-z-]+' | sed 's/^ *\(-h, \)\?//'); do
  [[ $station_man == *"$option"* ]] || fail "nembra-station(1) does not describe the option $option"
done

echo "== The programs of the unpacked package"
cli="$root/usr/bin/nembra-cli"
[ "$("$cli" --version)" = "nembra-cli $short_version" ] || fail "nembra-cli --version is not \"nembra-cli $short_version\""
XDG_STATE_HOME="$work/state" "$cli" --sim info || fail "nembra-cli --sim info failed"
station="$root/usr/bin/nembra-station"
[ "$("$station" --version)" = "nembra-station $short_version" ] ||
  fail "nembra-station --version is not \"nembra-station $short_version\""

echo "== The maintainer scripts without udev"
mkdir "$work/empty-path"
for script in postinst postrm; do
  PATH="$work/empty-path" /bin/sh "$work/control/$script" configure || fail "$script fails without udevadm"
done

echo "== Bash completion"
completions=/usr/share/bash-completion/bash_completion
if [ -f "$completions" ]; then
  # Each case: the words typed, then a word the completion must offer (or,
  # after "!", must not).
  mkdir "$work/files" && touch "$work/files/app.out" "$work/files/notes.txt"
  (cd "$work/files" && bash --norc -c '
    source "$1"; source "$2"; shift 2
    while [ $# -ge 2 ]; do
      read -ra COMP_WORDS <<<"$1"
      [[ $1 == *" " ]] && COMP_WORDS+=("")
      COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMP_LINE=$1; COMP_POINT=${#COMP_LINE}
      COMPREPLY=()
      _nembra_cli nembra-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
      offered=false
      [[ " ${COMPREPLY[*]} " == *" ${2#!} "* ]] && offered=true
      [[ $2 == !* ]] && offered=$([ $offered = true ] && echo false || echo true)
      [ $offered = true ] || { echo "completing \"$1\" offers \"${COMPREPLY[*]}\" (expected $2)" >&2; exit 1; }
      shift 2
    done' check "$completions" "$root/usr/share/bash-completion/completions/nembra-cli" \
    "nembra-cli pod-v" pod-verify \
    "nembra-cli --dev" --device \
    "nembra-cli --device f28" f2812 \
    "nembra-cli write --erase" --erase-all \
    "nembra-cli --device f2810 write --unl" --unlock \
    "nembra-cli --device f2810 write " app.out \
    "nembra-cli pod-write " '!notes.txt' \
    "nembra-cli --trace " notes.txt \
    "nembra-cli job " new \
    "nembra-cli job new --serial-f" --serial-first \
    "nembra-cli job new --program " app.out \
    "nembra-cli job check " notes.txt) \
    || fail "the bash completion does not complete"
else
  echo "check-package: $completions missing (apt-get install bash-completion); completion not tried" >&2
  exit 1
fi

echo "== $(basename "$deb") is sound"
