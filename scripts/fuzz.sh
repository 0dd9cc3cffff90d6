#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) with clang into build-fuzz/ and runs each for the given
# number of seconds (default 600), two at a time, at low priority.
#
#   scripts/fuzz.sh [seconds per target] [target...]      targets: ini skincolor catalogue
#                                                          cataloguequery playlist (default all)
#
# Each target starts from its committed corpus fuzz/corpus/<name>/ (which holds every input
# that once crashed it) and keeps what it finds in build-fuzz/corpus/<name>/ for the next run;
# SV_FUZZ_WORK=<folder> puts that working corpus elsewhere. A crashing input is written to
# build-fuzz/crashes/<name>/ and the script fails; logs are in build-fuzz/logs/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
shift || true
targets=("$@")
[ "${#targets[@]}" -gt 0 ] || targets=(ini skincolor catalogue cataloguequery playlist)
jobs=${SV_FUZZ_JOBS:-2}
build="$root/build-fuzz"
work=${SV_FUZZ_WORK:-$build/corpus}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DSV_FUZZ=ON >/dev/null
cmake --build "$build" --target sv_fuzzers --parallel "$jobs"

# Catalogue files are tens of kilobytes; the texts are short.
max_len() {
  case "$1" in
    catalogue) echo 262144 ;;
    *) echo 16384 ;;
  esac
}

run_one() {
  local name=$1
  mkdir -p "$work/$name" "$build/crashes/$name" "$build/logs"
  local status=0
  # UBSan findings stop the run as ASan's do; a run must neither leak nor hang.
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    nice -n 10 "$build/fuzz/fuzz_$name" "$work/$name" "$root/fuzz/corpus/$name" \
    -max_total_time="$seconds" -max_len="$(max_len "$name")" -timeout=30 -rss_limit_mb=2048 \
    -artifact_prefix="$build/crashes/$name/" -print_final_stats=1 \
    >"$build/logs/$name.log" 2>&1 || status=$?
  echo "$status" >"$build/logs/$name.status"
}

echo "Fuzzing ${targets[*]} for $seconds s each, $jobs at a time."
running=0
for name in "${targets[@]}"; do
  [ -x "$build/fuzz/fuzz_$name" ] || { echo "No fuzz target $name" >&2; exit 2; }
  rm -f "$build/logs/$name.status"
  run_one "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait

failed=0
for name in "${targets[@]}"; do
  status=$(cat "$build/logs/$name.status" 2>/dev/null || echo missing)
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/logs/$name.log" | grep -o '[0-9]*$' || true)
  if [ "$status" = 0 ]; then
    echo "fuzz_$name: no crash in ${runs:-?} runs"
  else
    failed=1
    echo "fuzz_$name: FAILED (exit $status); log $build/logs/$name.log" >&2
    grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error|artifact_prefix|Test unit written)' \
      "$build/logs/$name.log" | head -n 8 >&2 || true
  fi
done
exit "$failed"
