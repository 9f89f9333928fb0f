#!/usr/bin/env bash
# One client address against every other: the demo program on a free port of 127.0.0.1. From 127.0.0.1, N sessions
# on "Long jobs" each keep CLICKS clicks of "Run a two-second job" outstanding (bench/session-pile.js with
# PILE_KEEP=1: a click is sent again once answered, or, connections closed right after sending, two seconds after);
# from 127.0.0.2, another client address on loopback, "/$/ping" and another session's callback are probed every
# 500 ms for SECONDS_TO_RUN, each waiting at most 5 s. One run per N and connection mode, each against a fresh demo;
# prints each run's report, then a table of the probes answered and answered within 1 s. A benchmark, not a test: CI
# does not run it.
#   bench/address-pile.sh                                   N = 16, 100 and 1000, kept and closed, 60 s of probes
#   BEFORE=path/to/an/older/kx_demo bench/address-pile.sh   the same runs against that program first
#   BUILD=build SESSIONS="16 100" MODES="open closed" CLICKS=5 SECONDS_TO_RUN=60 bench/address-pile.sh
set -euo pipefail
cd "$(dirname "$0")/.."

SESSIONS="${SESSIONS:-16 100 1000}"
MODES="${MODES:-open closed}"
CLICKS="${CLICKS:-5}"
SECONDS_TO_RUN="${SECONDS_TO_RUN:-60}"
BUILD="${BUILD:-build-bench}"

bash scripts/install-deps.sh >/dev/null
if [ ! -x "$BUILD/examples/demo/kx_demo" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKX_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$BUILD" --target kx_demo

source bench/servers.sh
echo "$(machine)"
results="$work/results.jsonl"

# run LABEL PROGRAM MODE N: one pile against a fresh demo, stopped after (killed when it takes over 30 s).
run() {
  local label="$1" program="$2" mode="$3" n="$4" name="demo$RANDOM"
  start "$name" "$program" --bind 127.0.0.1
  local port_var="${name}_port" pid_var="${name}_pid"
  echo "== $label, $n sessions, connections $mode"
  PILE_KEEP=1 PROBE_FROM=127.0.0.2 node bench/session-pile.js "http://127.0.0.1:${!port_var}/" "$mode" "$CLICKS" \
    "$SECONDS_TO_RUN" "$n" | tee "$work/run.out"
  record "$label" <"$work/run.out"
  stop "${!pid_var}"
}

for n in $SESSIONS; do
  for mode in $MODES; do
    [ -n "${BEFORE:-}" ] && run "before" "$BEFORE" "$mode" "$n"
    run "this build" "$BUILD/examples/demo/kx_demo" "$mode" "$n"
  done
done

echo
echo "| program | connections | N sessions | /\$/ping answered (within 1 s) | callback answered (within 1 s) | slowest probe |"
echo "|---|---|---|---|---|---|"
node -e '
  const lines = require("fs").readFileSync(process.argv[1], "utf8").trim().split("\n").map(JSON.parse);
  const cell = (s) => `${s.probes - s.unanswered} of ${s.probes} (${s.withinSecond})`;
  for (const r of lines)
    console.log(`| ${r.label} | ${r.mode === "open" ? "kept" : "closed"} | ${r.sessions} | ${cell(r.ping)} | ` +
                `${cell(r.callback)} | ${Math.max(r.ping.max, r.callback.max)} ms |`);
' "$results"
