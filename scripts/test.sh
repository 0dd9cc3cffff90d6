#!/usr/bin/env bash
# Builds everything and runs every test: the CTest suite (unit, end-to-end and
# a short soak), a short fuzzing of every reader of outside input, then the
# whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
# SV_TEST_QUICK=1 runs the CTest suite only, for a quick look while working.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"
(cd "$root/build" && ctest --output-on-failure --parallel "$(nproc)")
[ "${SV_TEST_QUICK:-0}" = 1 ] && exit 0
bash "$root/scripts/fuzz-smoke.sh"
bash "$root/scripts/test-sanitizers.sh"
