#!/usr/bin/env bash
# A pile of requests on one busy session: the demo program on a free port, one session on its "Long jobs" page and
# CLICKS clicks of "Run a two-second job" sent at once, each on a connection of its own (bench/session-pile.js,
# node), while "/$/ping" and another session's callback are probed every 500 ms for SECONDS_TO_RUN. Three runs: the
# pile's connections kept open; each closed right after sending; and kept open with SIGTERM sent 2 s after the
# pile, which prints the seconds until the demo logged "Server stopped." and until it ended (killed after
# STOP_LIMIT seconds). A benchmark, not a test: CI does not run it.
#   bench/session-pile.sh                                   150 clicks, 30 s of probes
#   BEFORE=path/to/an/older/kx_demo bench/session-pile.sh   the same runs against that program first
#   BUILD=build CLICKS=150 SECONDS_TO_RUN=30 STOP_LIMIT=150 MODES="open closed stop" bench/session-pile.sh
set -euo pipefail
cd "$(dirname "$0")/.."

CLICKS="${CLICKS:-150}"
SECONDS_TO_RUN="${SECONDS_TO_RUN:-30}"
STOP_LIMIT="${STOP_LIMIT:-150}"
BUILD="${BUILD:-build-bench}"
MODES="${MODES:-open closed stop}"

bash scripts/install-deps.sh >/dev/null
if [ ! -x "$BUILD/examples/demo/kx_demo" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKX_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$BUILD" --target kx_demo

source bench/servers.sh
echo "$(machine)"

# stop_demo NAME PID: SIGTERM; sets stopped_after (until "Server stopped." was logged) and ended_after.
stop_demo() {
  local name="$1" pid="$2" begun now logged="" killed=""
  begun=$(date +%s.%N)
  kill -TERM "$pid"
  while kill -0 "$pid" 2>/dev/null; do
    now=$(date +%s.%N)
    [ -z "$logged" ] && grep -qs "Server stopped\." "$work/$name.out" "$work/$name.err" && logged=$now
    if (($(echo "$now - $begun > $STOP_LIMIT" | bc))); then
      kill -KILL "$pid" 2>/dev/null || true
      killed=1
      break
    fi
    sleep 0.05
  done
  wait "$pid" 2>/dev/null || true
  now=$(date +%s.%N)
  [ -z "$logged" ] && grep -qs "Server stopped\." "$work/$name.out" "$work/$name.err" && logged=$now
  stopped_after="not logged"
  [ -n "$logged" ] && stopped_after="$(printf '%.1f s' "$(echo "$logged - $begun" | bc)")"
  ended_after="$(printf '%.1f s' "$(echo "$now - $begun" | bc)")"
  [ -n "$killed" ] && ended_after="more than ${STOP_LIMIT} s (killed)"
  return 0
}

# run LABEL PROGRAM MODE: one pile against a fresh demo.
run() {
  local label="$1" program="$2" mode="$3" name="demo$RANDOM"
  start "$name" "$program" --bind 127.0.0.1
  local port_var="${name}_port" pid_var="${name}_pid"
  local url="http://127.0.0.1:${!port_var}/" pid="${!pid_var}"
  echo "== $label, connections $mode"
  if [ "$mode" != stop ]; then
    node bench/session-pile.js "$url" "$mode" "$CLICKS" "$SECONDS_TO_RUN"
    stop_demo "$name" "$pid"
    return
  fi
  node bench/session-pile.js "$url" stop "$CLICKS" 2 >"$work/$name.node" 2>&1 &
  local node_pid=$!
  pids+=("$node_pid")
  while kill -0 "$node_pid" 2>/dev/null && ! grep -qs '^{' "$work/$name.node"; do sleep 0.05; done
  cat "$work/$name.node"
  stop_demo "$name" "$pid"
  kill "$node_pid" 2>/dev/null || true
  echo "  SIGTERM 2 s after the pile: \"Server stopped.\" after $stopped_after, the program ended after $ended_after"
}

for mode in $MODES; do
  [ -n "${BEFORE:-}" ] && run "before ($BEFORE)" "$BEFORE" "$mode"
  run "this build" "$BUILD/examples/demo/kx_demo" "$mode"
done
