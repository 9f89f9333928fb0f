#!/usr/bin/env bash
# Round trips side by side: the demo program against bench/MinimalBeastServer.cpp (plain Beast answering the same
# bytes from memory), each client sending its next request when the last answer came (bench/RoundTrip.cpp): a lone
# user on one connection, and CONNECTIONS users at once. Runs alternate between the servers, ROUNDS times, so that
# both see the same machine; prints the median rate of each and their ratio. The callbacks open a demo session per
# connection as a browser does and click its callback button with the track id of each answer; the scripts are
# asked for with "Accept-Encoding: gzip". A benchmark, not a test: CI does not run it.
# BEFORE=path/to/an/older/kx_demo adds that program's figures, run in the same rounds. Beast runs one io_context
# per thread, as the stand-alone server does; BEAST_SHARED=1 runs one io_context on all its threads instead.
#   bench/roundtrip.sh
#   ROUNDS=7 SECONDS_EACH=5 CONNECTIONS=16 bench/roundtrip.sh
set -euo pipefail
cd "$(dirname "$0")/.."

ROUNDS="${ROUNDS:-5}"
SECONDS_EACH="${SECONDS_EACH:-3}"
CONNECTIONS="${CONNECTIONS:-8}"
BUILD="${BUILD:-build-bench}"

bash scripts/install-deps.sh >/dev/null
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKX_BUILD_BENCH=ON -DKX_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target kx_demo kx_bench_minimal_beast kx_bench_roundtrip

source bench/servers.sh
start kx "$BUILD/examples/demo/kx_demo" --bind 127.0.0.1
start beast "$BUILD/bench/kx_bench_minimal_beast" ${BEAST_SHARED:+--shared}
servers=(kx beast)
if [ -n "${BEFORE:-}" ]; then
  start before "$BEFORE" --bind 127.0.0.1
  servers+=(before)
fi

# Each case: its label, the client's mode, its connections, and the server it is compared with (Beast answers no
# callbacks: a callback is compared with Beast's ping, the least a round trip costs).
cases=("ping, 1 connection|ping|1|ping"
       "callback, 1 connection|callbacks|1|ping"
       "KXBase.js (7.6 KB gzip), 1 connection|get:/\$/js/KXBase.js|1|same"
       "KXLib.js (34.8 KB gzip), 1 connection|get:/\$/js/KXLib.js|1|same"
       "ping, $CONNECTIONS connections|ping|$CONNECTIONS|ping"
       "callback, $CONNECTIONS connections|callbacks|$CONNECTIONS|ping"
       "KXLib.js (34.8 KB gzip), $CONNECTIONS connections|get:/\$/js/KXLib.js|$CONNECTIONS|same")

# Requests per second of one run.
rate() {
  local server="$1" mode="$2" connections="$3" port_var="${1}_port"
  "$BUILD/bench/kx_bench_roundtrip" "${!port_var}" "$mode" "$connections" "$SECONDS_EACH" |
    sed -nE 's/.* ([0-9]+) requests\/s.*/\1/p'
}
median() { tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

echo
machine
echo "bench/RoundTrip.cpp over loopback, $ROUNDS alternating rounds of ${SECONDS_EACH}s, medians; Release build"
echo
header="| case | kx demo (requests/s) | minimal Beast (requests/s) | kx / Beast |"
rule="|---|---|---|---|"
if [ -n "${BEFORE:-}" ]; then
  header+=" before (requests/s) | before / Beast |"
  rule+="---|---|"
fi
echo "$header"
echo "$rule"
for case in "${cases[@]}"; do
  IFS='|' read -r label mode connections against <<<"$case"
  beast_mode="$mode"
  [ "$against" = ping ] && beast_mode=ping
  declare -A runs=()
  for _ in $(seq 1 "$ROUNDS"); do
    for server in "${servers[@]}"; do
      if [ "$server" = beast ]; then
        runs[$server]+=" $(rate beast "$beast_mode" "$connections")"
      else
        runs[$server]+=" $(rate "$server" "$mode" "$connections")"
      fi
    done
  done
  kx="$(median <<<"${runs[kx]}")"
  beast="$(median <<<"${runs[beast]}")"
  line="| $label | $kx | $beast$([ "$against" = ping ] && [ "$mode" != ping ] && echo " (ping)") | $(ratio "$kx" "$beast") |"
  if [ -n "${BEFORE:-}" ]; then
    before="$(median <<<"${runs[before]}")"
    line+=" $before | $(ratio "$before" "$beast") |"
  fi
  echo "$line"
  unset runs
done
