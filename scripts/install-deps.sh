#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need;
# `install-deps.sh bench` adds the peers the benchmarks measure against.
# Safe to run again: it asks apt only for what is missing.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools
  libgl-dev libxcb1-dev libxkbcommon-dev
  libmpv-dev mdbtools-dev mdbtools
  # the station tool's country names in Spanish
  iso-codes
  # fonts that stand in for the designed Windows faces
  fonts-liberation fonts-dejavu-core fonts-comic-neue fontconfig
  # running and testing under a real X server
  xvfb xauth x11-utils xdotool openbox trayer dbus-x11 dbus-daemon libglib2.0-bin
  # desktop integration
  playerctl desktop-file-utils
  # test streams and reference players
  ffmpeg mpv
  # fuzzing and the sanitizer build
  clang-14 libclang-rt-14-dev
)
if [ "${1:-}" = bench ]; then
  packages+=(goodvibes)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
