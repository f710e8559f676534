#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
#
#   scripts/test.sh          the RelWithDebInfo build and its tests
#   scripts/test.sh --all    also the sanitizer builds and their tests (scripts/sanitize.sh) and
#                            20 s of every fuzz target (scripts/fuzz.sh), as CI always does
#                            (CI=true)
set -euo pipefail
cd "$(dirname "$0")/.."

sanitizers=false
case "${1:-}" in
  "") ;;
  --all) sanitizers=true ;;
  *) echo "usage: scripts/test.sh [--all]" >&2; exit 2 ;;
esac
[ "${CI:-}" = true ] && sanitizers=true

scripts/install-deps.sh
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir"

# The sanitizer and fuzz runs come first and a failure there does not stop the plain run, so
# that the output ends with the summary of the whole suite and still every failure is reported.
extra_failed=0
if $sanitizers; then
  scripts/sanitize.sh || extra_failed=1
  scripts/fuzz.sh 20 || extra_failed=1
fi
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"
exit "$extra_failed"
