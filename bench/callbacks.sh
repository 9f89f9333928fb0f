#!/usr/bin/env bash
# Callback load over loopback: the demo program with a one-minute session timeout on a free port, and 8 keep-alive
# clients (bench/callbacks.js, node) that each open a session and click the main form's callback button in a loop,
# as the browser's script posts it. The clients first wait 62 s for the sessions they opened to expire; in the
# timed run each finds its session expired, opens a new one, and every 2000 clicks leaves it for another. Prints
# the requests sent and answered, the answers that were not 2xx and the rate; fails when a request went
# unanswered or the demo did not stop cleanly. A benchmark, not a test: CI does not run it.
#   bench/callbacks.sh                  60 s, 8 clients
#   SECONDS_TO_RUN=120 CLIENTS=16 bench/callbacks.sh
#   BUILD=build bench/callbacks.sh      the demo of an existing build folder
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_TO_RUN="${SECONDS_TO_RUN:-60}"
CLIENTS="${CLIENTS:-8}"
BUILD="${BUILD:-build-bench}"

bash scripts/install-deps.sh >/dev/null
if [ ! -x "$BUILD/examples/demo/kx_demo" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKX_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$BUILD" --target kx_demo

work="$(mktemp -d)"
demo_pid=
cleanup() {
  [ -n "$demo_pid" ] && kill -TERM "$demo_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$BUILD/examples/demo/kx_demo" --port 0 --bind 127.0.0.1 --session-timeout 1 >"$work/demo.out" 2>"$work/demo.err" &
demo_pid=$!
url=
for _ in $(seq 1 100); do
  url="$(sed -nE 's|^Listening on (http://127\.0\.0\.1:[0-9]+/)$|\1|p' "$work/demo.out")"
  [ -n "$url" ] && break
  sleep 0.1
done
[ -n "$url" ] || { echo "the demo did not start" >&2; cat "$work/demo.err" >&2; exit 1; }
echo "demo on $url (session timeout 1 minute); $CLIENTS clients for ${SECONDS_TO_RUN}s"

status=0
node bench/callbacks.js "$url" "$CLIENTS" "$SECONDS_TO_RUN" || status=$?
kill -TERM "$demo_pid"
demo_status=0
wait "$demo_pid" || demo_status=$?
demo_pid=
if ((demo_status != 0)); then
  echo "SIGTERM ended the demo with status $demo_status" >&2
  tail -n 20 "$work/demo.err" >&2
  status=1
fi
exit "$status"
