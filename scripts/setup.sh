#!/usr/bin/env bash
# Installs what is missing, configures and builds; then, by the first argument:
#   run   start the window on the simulated pod (the default)
#   test  run every test
#   build only build
#   package  build, then make the Debian package build/nembra_<version>_amd64.deb
# Idempotent: packages already present are not touched.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-run}
shift || true
build_dir=${NEMBRA_BUILD_DIR:-$here/build}
jobs=$(nproc 2>/dev/null || echo 2)

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libftdi1-2 libftdi1-dev libusb-1.0-0-dev
  libcli11-dev nlohmann-json3-dev libssl-dev zlib1g-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev clang-format
  fonts-nanum xvfb xauth x11-utils libxcb1-dev
  librsvg2-bin
  libtomlplusplus-dev libsqlite3-dev libpq-dev postgresql
)
# What making and checking the Debian package needs besides the build.
package_tools=(
  dpkg-dev file lintian desktop-file-utils appstream bash-completion man-db
)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if ((${#missing[@]})); then
    echo "== Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

configure_and_build() {
  local dir=$1; shift
  cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

if [ "$mode" = package ]; then packages+=("${package_tools[@]}"); fi
install_missing
case "$mode" in
  build)
    configure_and_build "$build_dir" "$@"
    ;;
  test)
    configure_and_build "$build_dir" "$@"
    cd "$build_dir"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs" --timeout 600
    ;;
  package)
    configure_and_build "$build_dir" -DCMAKE_INSTALL_PREFIX=/usr "$@"
    (cd "$build_dir" && cpack -G DEB)
    ;;
  run)
    configure_and_build "$build_dir" "$@"
    exec "$here/scripts/start-sim.sh" "$build_dir"
    ;;
  *)
    echo "usage: scripts/setup.sh [run|test|build|package] [cmake options]" >&2
    exit 2
    ;;
esac
