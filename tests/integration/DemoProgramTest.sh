#!/usr/bin/env bash
# The demo program as a user runs it: --help prints the usage on standard output; started with --port 0 it prints
# exactly one line "Listening on http://127.0.0.1:PORT/", serves the start page of a session, the ping answer and a
# content file on that port, a second one on the same port fails with status 1, and SIGTERM ends it with status 0.
# Usage: DemoProgramTest.sh path/to/kx_demo
set -euo pipefail
demo="$1"
work="$(mktemp -d)"
pid=""
cleanup() {
  [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; echo "--- stderr of the demo:" >&2; cat "$work/err" >&2 || true; exit 1; }

# A bad option is refused with status 2 before anything starts.
for bad in "--port 70000" "--session-timeout 0" "--session-timeout 1x" "--data-dir"; do
  set +e
  # shellcheck disable=SC2086
  "$demo" $bad >/dev/null 2>"$work/err"
  status=$?
  set -e
  [ "$status" -eq 2 ] || fail "$bad gave status $status, expected 2"
done

set +e
"$demo" --help >"$work/out" 2>"$work/err"
status=$?
set -e
[ "$status" -eq 0 ] || fail "--help gave status $status, expected 0"
grep -q '^usage: kx_demo .*--port N' "$work/out" || fail "--help printed no usage on standard output: $(cat "$work/out")"
[ ! -s "$work/err" ] || fail "--help wrote to standard error"

# A new file: the background program truncates the old one only once it runs, so the wait below could read the
# usage line of --help from it.
rm -f "$work/out"
"$demo" --port 0 >"$work/out" 2>"$work/err" &
pid=$!
for _ in $(seq 1 200); do
  [ -s "$work/out" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the demo ended before it listened"
  sleep 0.1
done
line="$(head -n 1 "$work/out")"
[[ "$line" =~ ^Listening\ on\ http://127\.0\.0\.1:([0-9]+)/$ ]] || fail "unexpected first line: $line"
port="${BASH_REMATCH[1]}"
[ "$port" -ne 0 ] || fail "port 0 was printed"

# One request on a fresh connection (bash's /dev/tcp), as a browser sends it; prints the whole response.
fetch() {
  exec 3<>"/dev/tcp/127.0.0.1/$port"
  printf 'GET %s HTTP/1.1\r\nHost: 127.0.0.1:%s\r\nUser-Agent: %s\r\nConnection: close\r\n\r\n' "$1" "$port" \
    'Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36' >&3
  timeout 10 cat <&3 | tr -d '\r\000'
  exec 3<&-
}

response="$(fetch '/$/ping')"
[[ "$response" == "HTTP/1.1 200 OK"* ]] || fail "/\$/ping: $response"
[[ "$response" == *$'\n\n'Pong ]] || fail "/\$/ping body: $response"
response="$(fetch /)"
# The start path opens a session: the page that measures the window and goes on to the main form.
[[ "$response" == "HTTP/1.1 200 OK"* && "$response" == *"Set-Cookie: KX_KXDemo="* && "$response" == *'get("/$/StartCheck")'* ]] ||
  fail "/: $response"
response="$(fetch /logo.png | head -n 20)"
[[ "$response" == "HTTP/1.1 200 OK"* && "$response" == *"Content-Type: image/png"* ]] || fail "/logo.png: $response"

# The port is taken: the second program says why on standard error and ends with status 1.
set +e
timeout 30 "$demo" --port "$port" >/dev/null 2>"$work/err2"
status=$?
set -e
[ "$status" -eq 1 ] || fail "a second demo on port $port gave status $status, expected 1"
grep -q '^kx_demo: ' "$work/err2" || fail "no \"kx_demo: <message>\" for a port in use: $(cat "$work/err2")"

kill -TERM "$pid"
set +e
wait "$pid"
status=$?
set -e
pid=""
[ "$status" -eq 0 ] || fail "SIGTERM ended the demo with status $status"
[ "$(wc -l <"$work/out")" -eq 1 ] || fail "standard output has more than one line: $(cat "$work/out")"
echo "demo program: ok (port $port)"
