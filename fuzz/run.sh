#!/usr/bin/env bash
# Runs every fuzz target (or the ones named) for the given number of seconds, at most JOBS at a time, and
# fails when any of them finds something. Builds the fuzz targets first, in a clang build directory of
# their own (configured here when it does not exist yet).
#
#   fuzz/run.sh [-j JOBS] [-b BUILD_DIR] SECONDS [TARGET...]
#
# Each target starts from its seed corpus in fuzz/corpus/<target> and keeps what it learns in
# BUILD_DIR/fuzz-runs/<target>/corpus (the tree's seeds stay as they are); a finding is written to
# BUILD_DIR/fuzz-runs/<target>/findings/ and the target's log is BUILD_DIR/fuzz-runs/<target>/log.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=3
build=build-fuzz
while getopts "j:b:" opt; do
  case $opt in
    j) jobs=$OPTARG ;;
    b) build=$OPTARG ;;
    *) echo "usage: $0 [-j JOBS] [-b BUILD_DIR] SECONDS [TARGET...]" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
if [ $# -lt 1 ]; then
  echo "usage: $0 [-j JOBS] [-b BUILD_DIR] SECONDS [TARGET...]" >&2
  exit 2
fi
seconds=$1
shift
wanted=("$@")

if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -DZEM_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEM_BUILD_BENCH=OFF \
    -DZEM_BUILD_TESTS=OFF -DZEM_WERROR=ON >/dev/null
fi
cmake --build "$build" --target fuzz_targets -j "$(nproc)" >/dev/null

runs="$build/fuzz-runs"
mkdir -p "$runs"

# One target: its own corpus folder (new inputs), then the tree's seeds (read only).
run_target() {
  local name=$1 program=$2 seeds=$3
  local dir="$runs/$name"
  mkdir -p "$dir/corpus" "$dir/findings"
  local rc=0
  "$program" -max_total_time="$seconds" -print_final_stats=1 -timeout=30 -rss_limit_mb=2048 \
    -artifact_prefix="$dir/findings/" "$dir/corpus" "$seeds" >"$dir/log" 2>&1 || rc=$?
  echo "$rc" >"$dir/rc"
}

started=()
while read -r name program seeds; do
  [ -n "$name" ] || continue
  if [ ${#wanted[@]} -gt 0 ] && [[ ! " ${wanted[*]} " == *" $name "* ]]; then continue; fi
  rm -f "$runs/$name/rc"
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  echo "fuzzing $name for $seconds s"
  run_target "$name" "$program" "$seeds" &
  started+=("$name")
done <"$build/fuzz/targets.txt"
wait

failed=0
printf '\n%-16s %12s %10s  %s\n' target executions "per s" result
for name in "${started[@]}"; do
  dir="$runs/$name"
  rc=$(cat "$dir/rc" 2>/dev/null || echo 1)
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$dir/log" | tail -1)
  if [ "$rc" = 0 ]; then result=clean; else result="FINDING (exit $rc, log $dir/log)"; failed=1; fi
  printf '%-16s %12s %10s  %s\n' "$name" "${execs:-?}" "${rate:-?}" "$result"
done
if [ "$failed" != 0 ]; then
  for name in "${started[@]}"; do
    dir="$runs/$name"
    [ "$(cat "$dir/rc" 2>/dev/null || echo 1)" = 0 ] && continue
    echo
    echo "=== $name: end of its log"
    tail -n 40 "$dir/log"
    ls "$dir/findings"
  done
  exit 1
fi
