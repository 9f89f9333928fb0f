#!/usr/bin/env bash
# Memory after floods of sessions that all expire: builds bench/SessionFlood.cpp (Release, in build-bench/) and runs
# it, five floods of SESSIONS sessions each started with a query of QUERY bytes; each line gives the resident set
# size after the flood and after every session expired, against the size before the first flood. Run it twice, once
# with a plain start and once with large start queries. A benchmark, not a test: CI does not run it.
#   bench/session-flood.sh
#   SESSIONS=990 QUERY=50000 CYCLES=5 bench/session-flood.sh
set -euo pipefail
cd "$(dirname "$0")/.."

SESSIONS="${SESSIONS:-3000}"
QUERY="${QUERY:-0}"
CYCLES="${CYCLES:-5}"
BUILD="${BUILD:-build-bench}"

bash scripts/install-deps.sh
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKX_BUILD_BENCH=ON -DKX_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target kx_bench_session_flood
"$BUILD/bench/kx_bench_session_flood" "$SESSIONS" "$QUERY" "$CYCLES"
