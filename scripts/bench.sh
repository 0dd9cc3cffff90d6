#!/bin/bash
# Builds what the benchmarks need (Release, into build-bench/) and runs them:
# the program against Goodvibes, the mpv command line and mdb-export, on this
# machine, under a private X server and session bus. Prints a Markdown table,
# also written to build-bench/bench-<date>.md.
#
#   scripts/bench.sh [bench_program options: --runs N --play-runs N --seconds S, phases]
#
# SV_BENCH_BUILD names another build folder; SV_BENCH_PROGRAM another program
# folder to measure (default: the build's own program/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SV_BENCH_BUILD:-$root/build-bench}

missing=()
for tool in goodvibes mpv mdb-export Xvfb dbus-run-session ffmpeg cmake ninja; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ "${#missing[@]}" -gt 0 ]; then
  bash "$root/scripts/install-deps.sh" bench
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --parallel 2 --target bench_program bench_catalogue sintonet-valdren sintonet-valdren-web

args=("$@")
if [ -n "${SV_BENCH_PROGRAM:-}" ]; then
  args=(--program "$SV_BENCH_PROGRAM" "${args[@]}")
fi

# A private X server: -displayfd picks a free display and tells it once ready.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -f "$display_file"' EXIT
for _ in $(seq 100); do
  [ -s "$display_file" ] && break
  sleep 0.1
done
display=:$(head -n1 "$display_file")

out="$build/bench-$(date +%Y%m%d-%H%M%S).md"
DISPLAY=$display dbus-run-session -- "$build/bench/program/bench_program" "${args[@]}" \
  2> >(grep -v -e '^dbus-daemon' -e 'fd limit' >&2) | tee "$out"
echo "written to $out"
