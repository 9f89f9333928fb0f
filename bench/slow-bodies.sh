#!/usr/bin/env bash
# Slow request bodies against the demo program under `ulimit -n 256` (128 connection slots): CLIENTS connections
# each announce "Content-Length: 100000" and then send one byte every INTERVAL seconds, for DURATION seconds, while
# "/$/ping" is asked once a second on a fresh connection (curl, 5 s at most). Prints when each probe was answered and
# how long it took, and what became of the slow bodies (answered 408, answered otherwise, closed without an answer,
# still open). A body over 64 KiB is spooled to a file, which takes a descriptor too: under this limit some bodies
# are answered 500 at once for want of one, before the rest hold every slot.
# A load script, not a test: CI does not run it.
# BEFORE=path/to/an/older/kx_demo runs that program the same way first, for a before-and-after table.
#   bench/slow-bodies.sh
#   CLIENTS=140 INTERVAL=10 DURATION=60 BUILD=build bench/slow-bodies.sh
set -euo pipefail
cd "$(dirname "$0")/.."

CLIENTS="${CLIENTS:-140}"
INTERVAL="${INTERVAL:-10}"
DURATION="${DURATION:-60}"
BUILD="${BUILD:-build-bench}"

command -v curl >/dev/null 2>&1 || { echo "curl is needed" >&2; exit 1; }
bash scripts/install-deps.sh
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKX_BUILD_BENCH=ON -DKX_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target kx_demo

source bench/servers.sh

# The slow clients: one line per client at the end, the status it was answered with, "closed" (no answer) or "open",
# with the seconds it lasted.
cat >"$work/slow.py" <<'EOF'
import socket, sys, time
port, clients, interval, duration = int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4])
start = time.monotonic()
conns = []
for _ in range(clients):
    s = socket.socket()
    s.setblocking(False)
    try:
        s.connect(("127.0.0.1", port))
    except BlockingIOError:
        pass
    conns.append({"s": s, "sent": False, "end": None, "how": "open"})
while time.monotonic() - start < duration:
    now = time.monotonic()
    for c in conns:
        if c["end"] is not None:
            continue
        try:
            if not c["sent"]:
                c["s"].send(b"POST /$/ping HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 100000\r\n\r\n")
                c["sent"], c["next"] = True, now
            if now >= c["next"]:
                c["s"].send(b"x")
                c["next"] = now + interval
            data = c["s"].recv(4096)
            c["end"] = now - start
            c["how"] = data[9:12].decode() if data.startswith(b"HTTP/1.1 ") else "closed"
        except (BlockingIOError, OSError) as e:
            if isinstance(e, BlockingIOError) or getattr(e, "errno", 0) in (11, 107):
                continue  # nothing to read yet, or not connected yet (waiting in the backlog)
            c["end"], c["how"] = now - start, "closed"
    time.sleep(0.05)
for c in conns:
    print(c["how"], "%.1f" % (c["end"] if c["end"] is not None else duration))
EOF

# run NAME PROGRAM: the slow clients and the probes against PROGRAM; prints one table row per probe second.
run() {
  local name="$1" program="$2"
  start "$name" bash -c 'ulimit -n 256 && exec "$@"' _ "$program"
  local port_var="${name}_port"
  local port="${!port_var}"
  python3 "$work/slow.py" "$port" "$CLIENTS" "$INTERVAL" "$DURATION" >"$work/$name.slow" &
  local slow=$!
  sleep 1  # the slow clients take their slots first
  : >"$work/$name.probes"
  local begin=$SECONDS
  while [ $((SECONDS - begin)) -lt $((DURATION - 2)) ]; do
    local t=$((SECONDS - begin + 1))
    local result
    result="$(curl -s -o /dev/null -m 5 -w '%{http_code} %{time_total}' "http://127.0.0.1:$port/\$/ping" || true)"
    echo "$t $result" >>"$work/$name.probes"
    sleep 1
  done
  wait "$slow"
  local pid_var="${name}_pid"
  kill -TERM "${!pid_var}" 2>/dev/null || true
}

summary() {
  local name="$1"
  local total answered first
  total="$(wc -l <"$work/$name.probes")"
  answered="$(awk '$2 == 200' "$work/$name.probes" | wc -l)"
  first="$(awk '$2 == 200 { print $1; exit }' "$work/$name.probes")"
  echo "| $name | $answered of $total | ${first:-never} | $(awk '$2 == 200 { printf "%.3f\n", $3 }' "$work/$name.probes" |
    sort -n | tail -1) | $(awk '$1 == "408"' "$work/$name.slow" | wc -l) | $(awk '$1 ~ /^[0-9]+$/ && $1 != "408" { print $1 }' "$work/$name.slow" | sort | uniq -c | awk '{ printf "%s%s x %s", (NR > 1 ? ", " : ""), $1, $2 }') | $(awk '$1 == "closed"' "$work/$name.slow" | wc -l) | $(awk '$1 == "open"' "$work/$name.slow" | wc -l) | $(awk '$1 != "open" { print $2 }' "$work/$name.slow" | sort -n | tail -1) |"
}

names=()
if [ -n "${BEFORE:-}" ]; then
  run before "$BEFORE"
  names+=(before)
fi
run kx "$BUILD/examples/demo/kx_demo"
names+=(kx)

echo
machine
echo "$CLIENTS slow bodies (Content-Length: 100000, one byte every ${INTERVAL} s) for ${DURATION} s, demo under ulimit -n 256"
echo
echo "| program | probes of /\$/ping answered | first answered (s) | slowest answer (s) | bodies answered 408 | answered otherwise | closed without answer | still open | last one ended (s) |"
echo "|---|---|---|---|---|---|---|---|---|"
for name in "${names[@]}"; do summary "$name"; done
echo
for name in "${names[@]}"; do
  echo "$name, per probe (second, status, seconds):"
  tr '\n' ';' <"$work/$name.probes" | sed 's/;/; /g'
  echo
done
