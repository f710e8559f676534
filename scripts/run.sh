#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
#
#   scripts/run.sh             the program, on the real marketplace
#   scripts/run.sh --offline   a copy built for the stand-in marketplace, which this script starts
#                              on 127.0.0.1 with realistic Chinese answers and a little latency
set -euo pipefail
cd "$(dirname "$0")/.."

offline=false
case "${1:-}" in
  "") ;;
  --offline) offline=true ;;
  *) echo "usage: scripts/run.sh [--offline]" >&2; exit 2 ;;
esac

scripts/install-deps.sh

if ! $offline; then
  build_dir=${BUILD_DIR:-build}
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build_dir" --target keyword-scout
  exec "$build_dir/app/keyword-scout"
fi

build_dir=${BUILD_DIR:-build-offline}
port=${STANDIN_PORT:-18443}
latency_ms=${STANDIN_LATENCY_MS:-80}
stand_in="127.0.0.1:$port"
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKEYWORD_SCOUT_BENCHMARKS=OFF \
  -DMARKETPLACE_SUGGEST_HOST="$stand_in" -DMARKETPLACE_SEARCH_HOST="$stand_in" \
  -DMARKETPLACE_CA_FILE="$PWD/$build_dir/tests/support/certs/test-ca.pem" >/dev/null
cmake --build "$build_dir" --target keyword-scout marketplace-standin

"$build_dir/tests/support/marketplace-standin" --port "$port" --latency-ms "$latency_ms" &
stand_in_pid=$!
trap 'kill "$stand_in_pid" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done
"$build_dir/app/keyword-scout"
