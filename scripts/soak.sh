#!/usr/bin/env bash
# The soak: builds the soak program and runs the real main window and both
# players through many connect, cut and change cycles (default 1,000) against
# loopback stations of which many fail, with volume changes and options-panel
# animations in between. Prints the longest stall of the user-interface thread,
# the memory at start and end, and whether both players still play; fails when
# a stall exceeds 100 ms or a player no longer plays.
#
#   scripts/soak.sh [cycles] [extra sv-soak options, e.g. --seed 7]
#
# Runs on the current display, or on a virtual X server when there is none.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${SV_BUILD_DIR:-$root/build}"
cycles="${1:-1000}"
shift || true

bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target sv-soak

# No session bus: none is launched for the soak.
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent
soak=("$build/bench/soak/sv-soak" --cycles "$cycles" "$@")
if [ -n "${DISPLAY:-}" ]; then
  exec "${soak[@]}"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "${soak[@]}"
