#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of seconds
# (default 20), one at a time, over a working copy of its seed corpus in the build directory.
# Prints one line per target; exits non-zero when a target finds a fault, and says where the
# input that shows it was kept.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
build_dir=${BUILD_DIR:-build-fuzz}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [seconds per target, default 20]" >&2
  exit 2
fi

scripts/install-deps.sh
mkdir -p "$build_dir"
log=$build_dir/fuzz-build.log
if ! { CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja \
         -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKEYWORD_SCOUT_FUZZ=ON \
         -DKEYWORD_SCOUT_BENCHMARKS=OFF &&
       cmake --build "$build_dir" --target fuzzers; } >"$log" 2>&1; then
  tail -n 40 "$log" >&2
  echo "fuzz build failed; the whole log is in $log" >&2
  exit 1
fi

failed=0
while read -r name program; do
  # Seeds join the working corpus, which keeps what earlier runs found; the repository's
  # corpus is only read.
  corpus=$build_dir/fuzz-corpus/$name
  artifacts=$build_dir/fuzz-artifacts/$name
  mkdir -p "$corpus" "$artifacts"
  for seed in tests/fuzz/corpus/"$name"/*; do
    [ -e "$corpus/${seed##*/}" ] || cp "$seed" "$corpus"/
  done
  run_log=$build_dir/fuzz-$name.log
  status=0
  "$program" -max_total_time="$seconds" -print_final_stats=1 -timeout=25 \
    -artifact_prefix="$artifacts/" "$corpus" >"$run_log" 2>&1 || status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$run_log" | tail -n 1)
  if [ "$status" -eq 0 ]; then
    echo "$name: ${executions:-?} executions in ${seconds} s, no fault"
  else
    failed=1
    input=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$run_log" | tail -n 1)
    echo "$name: FAULT after ${executions:-?} executions; input ${input:-not written}, log $run_log"
  fi
done <"$build_dir/fuzzers.txt"
exit "$failed"
