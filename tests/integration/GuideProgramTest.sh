#!/usr/bin/env bash
# The guide's program (examples/guide/, docs/GUIDE.md) as a user runs it: started with --port 0 it prints exactly one
# line "Listening on http://127.0.0.1:PORT/", serves the start page of a session (cookie KX_Guide) and the ping
# answer, runs the flows of GuideFlow.test.mjs through a session (with node, when given), and SIGTERM ends it with
# status 0.
# Usage: GuideProgramTest.sh path/to/guide [path/to/node]
set -euo pipefail
guide="$1"
node="${2:-}"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
pid=""
cleanup() {
  [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; echo "--- stderr of the guide:" >&2; cat "$work/err" >&2 || true; exit 1; }

"$guide" --port 0 >"$work/out" 2>"$work/err" &
pid=$!
for _ in $(seq 1 200); do
  [ -s "$work/out" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the guide ended before it listened"
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
[[ "$response" == "HTTP/1.1 200 OK"* && "$response" == *"Set-Cookie: KX_Guide="* &&
   "$response" == *'get("/$/StartCheck")'* ]] ||
  fail "/: $response"

# The guide's flows through one session each: forms, submits and callbacks, the data module, validation, messages,
# the template form and the error line on standard error.
if [ -n "$node" ]; then
  KX_GUIDE_PORT="$port" KX_GUIDE_STDERR="$work/err" KX_GUIDE_PROGRAM="$guide" \
    "$node" --test "$here/GuideFlow.test.mjs" ||
    fail "the session flows failed"
fi

kill -TERM "$pid"
set +e
wait "$pid"
status=$?
set -e
pid=""
[ "$status" -eq 0 ] || fail "SIGTERM ended the guide with status $status"
[ "$(wc -l <"$work/out")" -eq 1 ] || fail "standard output has more than one line: $(cat "$work/out")"
echo "guide program: ok (port $port)"
