# Sourced by the memory benchmarks: builds bench/UploadServer.cpp (Release, in $BUILD, default build-bench/; NO_BUILD
# skips it), starts it with a body limit of max_body MiB and sets work (a folder removed on exit), server_pid and url.
#   source bench/bench-server.sh; start_bench_server 216
# shellcheck shell=bash

BUILD="${BUILD:-build-bench}"

start_bench_server() {
  local max_body=$1
  if [[ -z "${NO_BUILD:-}" ]]; then
    bash scripts/install-deps.sh
    cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKX_BUILD_BENCH=ON -DKX_BUILD_TESTS=OFF >/dev/null
    cmake --build "$BUILD" --target kx_bench_upload_server
  fi
  work="$(mktemp -d)"
  server_pid=""
  trap stop_bench_server EXIT
  export UPLOAD_BENCH_DIR="$work/server"
  mkdir -p "$UPLOAD_BENCH_DIR"
  "$BUILD/bench/kx_bench_upload_server" --port 0 --max-body "$max_body" --quiet-errors >"$work/out" 2>"$work/log" &
  server_pid=$!
  for _ in $(seq 100); do grep -qs '^Listening on' "$work/out" && break; sleep 0.1; done
  url="$(sed -n 's/^Listening on //p' "$work/out")"
  [[ -n "$url" ]] || { echo "the server did not start: $(cat "$work/log")" >&2; exit 1; }
}

stop_bench_server() {
  [[ -n "$server_pid" ]] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$work"
}

# The server's resident set and its peak since the last reset, in KiB; reset_peak starts the peak from now (Linux).
rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$server_pid/status"; }
hwm_kb() { awk '/^VmHWM/ {print $2}' "/proc/$server_pid/status"; }
reset_peak() { echo 5 >"/proc/$server_pid/clear_refs" 2>/dev/null || true; }
