#!/usr/bin/env bash
# The test command's short fuzzing: every fuzz target replays its committed corpus (which
# keeps every input that once crashed it) and then fuzzes for a bounded time (default 20 s),
# from the committed corpus only. Fails on any crash, leak, hang or sanitizer finding.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
SV_FUZZ_WORK="$work" bash "$root/scripts/fuzz.sh" "${1:-20}"
