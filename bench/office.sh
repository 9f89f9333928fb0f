#!/usr/bin/env bash
# An office behind one address against the same visitors from as many addresses: the demo program on a free port of
# 127.0.0.1 (a client bound to another 127.x address reaches it as another client address). N visitors each keep a
# main form and a "Long jobs" session; each clicks, waits for its answer and pauses 1 to 4 s (bench/office.js: the
# mix of callbacks, submits, 100 KB posts and two-second jobs with their status polls). One run per N and FROM
# ("one": all from 127.0.0.1; "many": each from its own 127.0.x.y), each against a fresh demo; prints each run's
# report, then a table. A benchmark, not a test: CI does not run it.
#   bench/office.sh                                       N = 50, 200 and 500, from one and from many, 60 s each
#   BEFORE=path/to/an/older/kx_demo bench/office.sh       the same runs against that program first
#   BUILD=build VISITORS="500" FROMS="one" SECONDS_TO_RUN=60 bench/office.sh
set -euo pipefail
cd "$(dirname "$0")/.."

VISITORS="${VISITORS:-50 200 500}"
FROMS="${FROMS:-one many}"
SECONDS_TO_RUN="${SECONDS_TO_RUN:-60}"
BUILD="${BUILD:-build-bench}"

bash scripts/install-deps.sh >/dev/null
if [ ! -x "$BUILD/examples/demo/kx_demo" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKX_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$BUILD" --target kx_demo

ulimit -n 65536 2>/dev/null || ulimit -n "$(ulimit -Hn)"  # two connections and more for each visitor
source bench/servers.sh
echo "$(machine)"
results="$work/results.jsonl"

# run LABEL PROGRAM FROM N: one office against a fresh demo, stopped after (killed when it takes over 30 s).
run() {
  local label="$1" program="$2" from="$3" n="$4" name="demo$RANDOM"
  start "$name" "$program" --bind 127.0.0.1
  local port_var="${name}_port" pid_var="${name}_pid"
  echo "== $label, $n visitors from $from"
  node bench/office.js "http://127.0.0.1:${!port_var}/" "$n" "$SECONDS_TO_RUN" "$from" | tee "$work/run.out"
  echo "   load $(cut -d' ' -f1-3 /proc/loadavg)"
  record "$label" <"$work/run.out"
  stop "${!pid_var}"
}

for n in $VISITORS; do
  for from in $FROMS; do
    [ -n "${BEFORE:-}" ] && run "before" "$BEFORE" "$from" "$n"
    run "this build" "$BUILD/examples/demo/kx_demo" "$from" "$n"
  done
done

echo
echo "| program | N visitors | from | requests | answered 503 (per 1,000) | visitors who lost a click | median | p99 | slowest |"
echo "|---|---|---|---|---|---|---|---|---|"
node -e '
  const lines = require("fs").readFileSync(process.argv[1], "utf8").trim().split("\n").map(JSON.parse);
  for (const r of lines)
    console.log(`| ${r.label} | ${r.visitors} | ${r.from === "one" ? "one address" : "own addresses"} | ${r.actions} | ` +
                `${r.refused} (${r.per1000}) | ${r.lostVisitors} | ${r.median} ms | ${r.p99} ms | ${r.max} ms |`);
' "$results"
