#!/usr/bin/env bash
# First loads and callbacks over HTTP: builds the demo program in a Release tree (build-bench/, as bench/load.sh
# does), starts it on a free port of 127.0.0.1 and runs bench/firstload.mjs against it (node, keep-alive
# connections): LOADS first loads, each a new session, on CONNECTIONS connections, then CALLBACKS callbacks one
# after another in one session. Prints loads/s, callbacks/s, the server's resident memory per session (VmRSS of
# /proc/<pid>/status before and after the loads) and the requests that went unanswered or failed. A benchmark, not
# a test: CI does not run it.
#   bench/firstload.sh
#   CONNECTIONS=32 LOADS=8000 CALLBACKS=10000 bench/firstload.sh
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD="${BUILD:-build-bench}"
export CONNECTIONS="${CONNECTIONS:-16}" LOADS="${LOADS:-4000}" CALLBACKS="${CALLBACKS:-5000}"

command -v node >/dev/null 2>&1 || { echo "node is needed" >&2; exit 1; }
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKX_BUILD_BENCH=ON -DKX_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target kx_demo

source bench/servers.sh
start kx "$BUILD/examples/demo/kx_demo"

echo
machine
echo "CONNECTIONS=$CONNECTIONS LOADS=$LOADS CALLBACKS=$CALLBACKS over loopback, Release build"
node bench/firstload.mjs "$kx_port" "$kx_pid"
