#!/usr/bin/env bash
# A pile of requests on one busy session: the demo program on a free port, one session on its "Long jobs" page and
# CLICKS clicks of "Run a two-second job" sent at once, each on a connection of its own (bench/session-pile.js,
# node), while "/$/ping" and another session's callback are probed every 500 ms for SECONDS. Twice: with the pile's
# connections kept open, and with each closed right after sending. After each run the demo gets SIGTERM with the
# pile still there: prints the seconds until it logged "Server stopped." and until it ended (killed after
# STOP_LIMIT seconds). A benchmark, not a test: CI does not run it.
#   bench/session-pile.sh                            150 clicks, 30 s of probes
#   BEFORE=path/to/an/older/kx_demo bench/session-pile.sh   the same runs against that program first
#   BUILD=build CLICKS=150 SECONDS_TO_RUN=30 STOP_LIMIT=150 bench/session-pile.sh
set -euo pipefail
cd "$(dirname "$0")/.."

CLICKS="${CLICKS:-150}"
SECONDS_TO_RUN="${SECONDS_TO_RUN:-30}"
STOP_LIMIT="${STOP_LIMIT:-150}"
BUILD="${BUILD:-build-bench}"

bash scripts/install-deps.sh >/dev/null
if [ ! -x "$BUILD/examples/demo/kx_demo" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKX_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$BUILD" --target kx_demo

source bench/servers.sh
echo "$(machine)"

# run LABEL PROGRAM MODE: one pile against a fresh demo, then its stop.
run() {
  local label="$1" program="$2" mode="$3" name="demo$RANDOM"
  start "$name" "$program" --bind 127.0.0.1
  local port_var="${name}_port" pid_var="${name}_pid"
  echo "== $label, connections $mode"
  node bench/session-pile.js "http://127.0.0.1:${!port_var}/" "$mode" "$CLICKS" "$SECONDS_TO_RUN"
  local pid="${!pid_var}" begun stopped="" ended=""
  begun=$(date +%s.%N)
  kill -TERM "$pid"
  while kill -0 "$pid" 2>/dev/null; do
    local now
    now=$(date +%s.%N)
    if [ -z "$stopped" ] && grep -qs "Server stopped\." "$work/$name.out" "$work/$name.err"; then stopped=$now; fi
    if (($(echo "$now - $begun > $STOP_LIMIT" | bc))); then
      kill -KILL "$pid" 2>/dev/null || true
      ended="killed"
      break
    fi
    sleep 0.05
  done
  wait "$pid" 2>/dev/null || true
  [ -z "$stopped" ] && grep -qs "Server stopped\." "$work/$name.out" "$work/$name.err" && stopped=$(date +%s.%N)
  local logged="not logged" gone="killed after ${STOP_LIMIT} s"
  [ -n "$stopped" ] && logged="$(printf '%.1f s' "$(echo "$stopped - $begun" | bc)")"
  [ "$ended" != "killed" ] && gone="$(printf '%.1f s' "$(echo "$(date +%s.%N) - $begun" | bc)")"
  echo "  SIGTERM: \"Server stopped.\" after $logged, the process ended after $gone"
}

for mode in open closed; do
  [ -n "${BEFORE:-}" ] && run "before ($BEFORE)" "$BEFORE" "$mode"
  run "this build" "$BUILD/examples/demo/kx_demo" "$mode"
done
