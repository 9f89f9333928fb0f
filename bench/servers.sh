# Sourced by the load scripts of bench/: starting servers that print "Listening on http://127.0.0.1:PORT/" and
# stopping them on exit. The caller sets BUILD; `work` is a fresh folder removed on exit.
work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# start NAME COMMAND...: runs COMMAND --port 0 and stores its port in the variable NAME_port and its process id in
# NAME_pid. Runs in the calling shell (not a command substitution), so that the exit trap knows the process.
start() {
  local name="$1"
  shift
  "$@" --port 0 >"$work/$name.out" 2>"$work/$name.err" &
  pids+=($!)
  printf -v "${name}_pid" '%s' "$!"
  for _ in $(seq 1 100); do
    if [ -s "$work/$name.out" ]; then
      printf -v "${name}_port" '%s' "$(sed -nE 's|^Listening on http://127\.0\.0\.1:([0-9]+)/$|\1|p' "$work/$name.out")"
      return
    fi
    sleep 0.1
  done
  echo "$name did not start" >&2
  cat "$work/$name.err" >&2
  exit 1
}

machine() {
  echo "$(nproc) processors, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), load $(cut -d' ' -f1-3 /proc/loadavg)"
}

# record LABEL < REPORT: the report's last line (JSON) with "label" added, appended to $work/results.jsonl.
record() {
  tail -1 | LABEL="$1" node -e \
    'let t="";process.stdin.on("data",d=>t+=d).on("end",()=>console.log(JSON.stringify({label:process.env.LABEL,...JSON.parse(t)})))' \
    >>"$work/results.jsonl"
}

# stop PID: SIGTERM, then SIGKILL when the process takes over 30 s to end.
stop() {
  kill -TERM "$1" 2>/dev/null || true
  for _ in $(seq 300); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$1" 2>/dev/null || true
}
