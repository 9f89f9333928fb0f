#!/usr/bin/env bash
# Notifier callbacks under load: starts the demo program on a free port of 127.0.0.1, pinned with taskset to two
# cores (CORES, default 0,1) beside BUSY busy loops pinned to the same cores (default 2, one per core: the load of a
# test run or a build beside it), and runs bench/notify-stress.mjs BATCHES times against it (chromium driven by
# playwright-core, on the other cores): SESSIONS browser sessions at once on the gallery page "Long jobs", each
# running the two-second job ROUNDS times, waiting each time for "Notified after run N". Prints per batch the
# sessions and rounds run, the longest wait from the job's answer to the answer of the notifier's callback (a
# healthy one takes a few milliseconds; a callback left waiting for the loop's next event takes seconds) and the
# waits over 100 ms and 1 s, then the longest over all batches. A benchmark, not a test: CI does not run it.
#   bench/notify-stress.sh
#   DEMO=build/examples/demo/kx_demo SESSIONS=8 ROUNDS=6 BATCHES=6 BUSY=2 bench/notify-stress.sh
# Exit status 1 when a wait exceeded 1 s or a round got no notification.
set -euo pipefail
cd "$(dirname "$0")/.."

DEMO="${DEMO:-build/examples/demo/kx_demo}"
CORES="${CORES:-0,1}"
BUSY="${BUSY:-2}"
BATCHES="${BATCHES:-6}"
export SESSIONS="${SESSIONS:-8}" ROUNDS="${ROUNDS:-6}"

command -v node >/dev/null 2>&1 || { echo "node is needed" >&2; exit 1; }
[ -x "$DEMO" ] || { echo "no demo program at $DEMO (cmake --build build --target kx_demo)" >&2; exit 1; }
# The browser runs on the cores the demo does not use.
BROWSER_CORES="$(seq 0 $(($(nproc) - 1)) | grep -vxF -f <(tr , '\n' <<<"$CORES") | paste -sd, -)"

pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT

log="$(mktemp)"
taskset -c "$CORES" "$DEMO" --port 0 --bind 127.0.0.1 >"$log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -q '^Listening on' "$log" && break; sleep 0.1; done
url="$(sed -n 's/^Listening on \(http[^ ]*\)$/\1/p' "$log" | head -1)"
[ -n "$url" ] || { echo "the demo did not start: $(cat "$log")" >&2; exit 1; }
cores=(${CORES//,/ })
for ((i = 0; i < BUSY; ++i)); do
  taskset -c "${cores[i % ${#cores[@]}]}" sh -c 'while :; do :; done' &
  pids+=($!)
done

echo "demo on cores $CORES with $BUSY busy loops beside it; browser on cores $BROWSER_CORES"
echo "SESSIONS=$SESSIONS ROUNDS=$ROUNDS BATCHES=$BATCHES"
status=0 longest=0
for ((batch = 1; batch <= BATCHES; ++batch)); do
  out="$(taskset -c "$BROWSER_CORES" node bench/notify-stress.mjs "$url")" || status=1
  echo "batch $batch: $out" | grep -v '^median' | tr '\n' ' ' | sed 's/ $/\n/'
  wait_ms="$(sed -n 's/^longest wait for a notification: \([0-9-]*\) ms.*/\1/p' <<<"$out")"
  [ -n "$wait_ms" ] && [ "$wait_ms" -gt "$longest" ] && longest="$wait_ms"
done
echo "longest wait for a notification over $BATCHES batches of $SESSIONS sessions x $ROUNDS rounds: $longest ms"
exit "$status"
