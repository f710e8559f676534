#!/usr/bin/env bash
# Photographs the window after a run against the stand-in marketplace, under Xvfb.
# Usage: scripts/screenshot.sh [output.png [scale]]   (default docs/window.png, scale 1)
# A scale of 2 shows the window at a device pixel ratio of 2 (QT_SCALE_FACTOR).
set -euo pipefail
cd "$(dirname "$0")/.."

output=${1:-docs/window.png}
scale=${2:-1}
build_dir=${BUILD_DIR:-build}
scripts/install-deps.sh
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" --target window-demo >/dev/null

display=:97
Xvfb "$display" -screen 0 "$((1024 * scale))x$((640 * scale))x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
demo=
cleanup() {
  [ -n "$demo" ] && kill "$demo" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1

fifo=$(mktemp -u)
mkfifo "$fifo"
DISPLAY=$display QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale "$build_dir/tests/support/window-demo" >"$fifo" &
demo=$!
if ! timeout 60 grep -q ready "$fifo"; then
  echo "the demo window did not get ready" >&2
  exit 1
fi
rm -f "$fifo"
mkdir -p "$(dirname "$output")"
DISPLAY=$display import -window root "$output"
echo "wrote $output"
