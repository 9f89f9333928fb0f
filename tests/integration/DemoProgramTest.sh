#!/usr/bin/env bash
# The demo program as a user runs it: --help prints the usage on standard output; started with --port 0 it prints
# exactly one line "Listening on http://127.0.0.1:PORT/", serves the start page of a session, the ping answer and a
# content file on that port, a second one on the same port fails with status 1, and SIGTERM ends it with status 0.
# Usage: DemoProgramTest.sh path/to/kx_demo
set -euo pipefail
program="$1"
name="demo"
# shellcheck source=tests/integration/ProgramTestSteps.sh
source "$(dirname "$0")/ProgramTestSteps.sh"

# A bad option is refused with status 2 before anything starts.
for bad in "--port 70000" "--session-timeout 0" "--session-timeout 1x" "--data-dir"; do
  set +e
  # shellcheck disable=SC2086
  "$program" $bad >/dev/null 2>"$work/err"
  status=$?
  set -e
  [ "$status" -eq 2 ] || fail "$bad gave status $status, expected 2"
done

set +e
"$program" --help >"$work/out" 2>"$work/err"
status=$?
set -e
[ "$status" -eq 0 ] || fail "--help gave status $status, expected 0"
grep -q '^usage: kx_demo .*--port N.* \[--data-dir FOLDER\]$' "$work/out" ||
  fail "--help printed no usage on standard output: $(cat "$work/out")"
grep -q '^  --data-dir FOLDER  .*database files' "$work/out" || fail "--help does not explain --data-dir: $(cat "$work/out")"
[ ! -s "$work/err" ] || fail "--help wrote to standard error"

start_program
check_ping_and_start_page KX_KXDemo
response="$(fetch /logo.png | head -n 20)"
[[ "$response" == "HTTP/1.1 200 OK"* && "$response" == *"Content-Type: image/png"* ]] || fail "/logo.png: $response"

# The port is taken: the second program says why on standard error and ends with status 1.
set +e
timeout 30 "$program" --port "$port" >/dev/null 2>"$work/err2"
status=$?
set -e
[ "$status" -eq 1 ] || fail "a second demo on port $port gave status $status, expected 1"
grep -q '^kx_demo: ' "$work/err2" || fail "no \"kx_demo: <message>\" for a port in use: $(cat "$work/err2")"

stop_program
echo "demo program: ok (port $port)"
