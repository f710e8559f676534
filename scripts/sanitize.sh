#!/usr/bin/env bash
# Builds the project under AddressSanitizer with UndefinedBehaviorSanitizer and runs every test,
# then builds it under ThreadSanitizer and runs every test but the packaging ones. Prints only
# ctest's output, and a build's log when the build fails or warns; exits non-zero when a build,
# a test or a sanitizer fails.
#
#   scripts/sanitize.sh          both
#   scripts/sanitize.sh asan     AddressSanitizer + UndefinedBehaviorSanitizer only
#   scripts/sanitize.sh tsan     ThreadSanitizer only
#
# The presets in CMakePresets.json carry the flags and the sanitizer options; ThreadSanitizer's
# suppressions, for Qt's and GLib's uninstrumented internals only, are in tests/sanitizers.
# Choices made there:
# - Debug at -O1: assertions stay on, and the instrumented tests still run quickly.
# - asan adds -D_GLIBCXX_ASSERTIONS, so that an index out of range in a std::string or
#   std::vector fails at once even where it stays inside the allocation ASan guards.
# - asan adds -Wno-maybe-uninitialized: ASan's instrumentation misleads gcc 12's flow analysis
#   inside libstdc++ (std::regex's std::function moves); the RelWithDebInfo build keeps the
#   warning.
# - Child processes (the exit probes, the stand-in executable) are built in the same tree and
#   inherit the options: a report halts the child with a non-zero exit code, which their tests
#   check. endProgram's std::_Exit skips LeakSanitizer's check in those children by design.
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-}" in
  "") presets=(asan tsan) ;;
  asan | tsan) presets=("$1") ;;
  *) echo "usage: scripts/sanitize.sh [asan|tsan]" >&2; exit 2 ;;
esac

jobs=${SANITIZE_JOBS:-$(nproc)}

build() {
  local preset=$1 log status=0
  log=$(mktemp)
  { cmake --preset "$preset" && cmake --build --preset "$preset" --parallel "$jobs"; } \
    >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ] || grep -q 'warning:' "$log"; then
    cat "$log" >&2
  fi
  rm -f "$log"
  if [ "$status" -ne 0 ]; then
    echo "sanitize.sh: the $preset build failed" >&2
    return 1
  fi
}

run_tests() {
  local preset=$1
  local args=(--preset "$preset" -j "$jobs") runner=()
  if [ "$preset" = tsan ]; then
    # The packaging tests only copy files and call dpkg-deb: no thread of ours runs there.
    args+=(-E '^package_')
    # gcc 12's ThreadSanitizer expects the address layout of older kernels; where the kernel
    # randomises more address bits it aborts at start-up, so its tests run without ASLR.
    runner=(setarch "$(uname -m)" -R)
  fi
  if ! "${runner[@]}" ctest "${args[@]}"; then
    echo "sanitize.sh: tests failed under $preset" >&2
    return 1
  fi
}

# A failure under one sanitizer does not keep the other from running.
failed=0
for preset in "${presets[@]}"; do
  if ! { build "$preset" && run_tests "$preset"; }; then
    failed=1
  fi
done
exit "$failed"
