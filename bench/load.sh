#!/usr/bin/env bash
# Load test over loopback: wrk with 64 connections against the demo program (the stand-alone server and the
# framework) and against bench/MinimalBeastServer.cpp (plain Beast answering the same bytes from memory, the limit
# of this machine), for "/$/ping" and the pre-compressed "/$/js/KXBase.js" (7.6 KB) and "/$/js/KXLib.js" (34.8 KB,
# larger than the packet buffer) asked for with "Accept-Encoding: gzip".
# Prints requests per second of each and their ratio. A benchmark, not a test: CI does not run it.
# BEFORE=path/to/an/older/kx_demo adds that program's figures in the same run, for a before-and-after table.
# The Beast server runs one io_context per thread, as the stand-alone server does; BEAST_SHARED=1 runs one
# io_context on all its threads (Beast's examples), as the stand-alone server did before.
#   bench/load.sh            10 s per run, 4 wrk threads
#   DURATION=30 WRK_THREADS=2 CONNECTIONS=64 bench/load.sh
set -euo pipefail
cd "$(dirname "$0")/.."

DURATION="${DURATION:-10}"
WRK_THREADS="${WRK_THREADS:-4}"
CONNECTIONS="${CONNECTIONS:-64}"
BUILD="${BUILD:-build-bench}"

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
missing=()
command -v wrk >/dev/null 2>&1 || missing+=(wrk)
command -v curl >/dev/null 2>&1 || missing+=(curl)
if ((${#missing[@]})); then
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
bash scripts/install-deps.sh

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKX_BUILD_BENCH=ON -DKX_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target kx_demo kx_bench_minimal_beast

source bench/servers.sh
start kx "$BUILD/examples/demo/kx_demo"
start beast "$BUILD/bench/kx_bench_minimal_beast" ${BEAST_SHARED:+--shared}
ports=("$kx_port" "$beast_port")
if [ -n "${BEFORE:-}" ]; then
  start before "$BEFORE"
  ports+=("$before_port")
fi

paths=('/$/ping' '/$/js/KXBase.js' '/$/js/KXLib.js')
headers=('' 'Accept-Encoding: gzip' 'Accept-Encoding: gzip')

# Both must answer the same body bytes, or the comparison means nothing.
for i in "${!paths[@]}"; do
  for port in "${ports[@]}"; do
    curl -sf ${headers[$i]:+-H "${headers[$i]}"} -o "$work/body.$port" "http://127.0.0.1:$port${paths[$i]}"
  done
  for port in "${ports[@]}"; do
    cmp -s "$work/body.$port" "$work/body.$beast_port" || { echo "the bodies of ${paths[$i]} differ" >&2; exit 1; }
  done
done

# Requests per second of one wrk run.
rate() {
  local port="$1" path="$2" header="$3" seconds="$4"
  wrk -t"$WRK_THREADS" -c"$CONNECTIONS" -d"${seconds}s" ${header:+-H "$header"} "http://127.0.0.1:$port$path" |
    awk '/^Requests\/sec:/ { printf "%d", $2 }'
}

echo
machine
echo "wrk -t$WRK_THREADS -c$CONNECTIONS -d${DURATION}s over loopback, Release build"
echo
if [ -n "${BEFORE:-}" ]; then
  echo "| path | kx demo (requests/s) | minimal Beast (requests/s) | kx / Beast | before (requests/s) | before / Beast |"
  echo "|---|---|---|---|---|---|"
else
  echo "| path | kx demo (requests/s) | minimal Beast (requests/s) | kx / Beast |"
  echo "|---|---|---|---|"
fi
for i in "${!paths[@]}"; do
  path="${paths[$i]}"
  header="${headers[$i]}"
  rate "$kx_port" "$path" "$header" 2 >/dev/null  # warm-up
  rate "$beast_port" "$path" "$header" 2 >/dev/null
  kx="$(rate "$kx_port" "$path" "$header" "$DURATION")"
  beast="$(rate "$beast_port" "$path" "$header" "$DURATION")"
  ratio="$(awk -v a="$kx" -v b="$beast" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')"
  label="\`$path\`"
  [ -n "$header" ] && label="$label ($header)"
  if [ -n "${BEFORE:-}" ]; then
    rate "$before_port" "$path" "$header" 2 >/dev/null
    before="$(rate "$before_port" "$path" "$header" "$DURATION")"
    echo "| $label | $kx | $beast | $ratio | $before | $(awk -v a="$before" -v b="$beast" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }') |"
  else
    echo "| $label | $kx | $beast | $ratio |"
  fi
done
