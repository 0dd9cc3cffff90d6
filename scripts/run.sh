#!/usr/bin/env bash
# Builds the program folder and starts the program from it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"
exec "$root/build/program/sintonet-valdren" "$@"
