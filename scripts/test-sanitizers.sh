#!/usr/bin/env bash
# Builds the program and every test with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ (CMakePresets.json, preset "asan") and runs every test through CTest there.
# Leaks reported inside third-party libraries are listed in scripts/sanitizers/lsan.supp.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
start=$(date +%s)
cmake --preset asan >/dev/null
cmake --build --preset asan --parallel "$(nproc)"
built=$(date +%s)
ctest --preset asan --parallel "$(nproc)"
done_at=$(date +%s)
echo "Sanitizer run: build $((built - start)) s, tests $((done_at - built)) s."
