#!/usr/bin/env bash
# The demo program under a low limit of open files (a hard one of 64, and a soft one of 32, which it raises to the
# hard one and logs): while held connections (uploads under way, each with its spool file) take its descriptors, it
# turns new sessions away with the server's "try again" answer, yet still accepts connections and serves the session
# it has; once those connections close, a new visitor gets a session again.
# Usage: DescriptorLimitTest.sh path/to/kx_demo
set -euo pipefail
program="$1"
name="demo under 64 open files"
# shellcheck source=tests/integration/ProgramTestSteps.sh
source "$(dirname "$0")/ProgramTestSteps.sh"

limited="$work/limited"
printf '#!/usr/bin/env bash\nulimit -Sn 32 && ulimit -Hn 64 && exec %q "$@"\n' "$program" >"$limited"
chmod +x "$limited"
program="$limited"

# One request on a fresh connection, with the session cookie when given; prints the whole response.
request() {
  local cookie="${2:+Cookie: KX_KXDemo=$2$'\r\n'}"
  exec 3<>"/dev/tcp/127.0.0.1/$port"
  printf 'GET %s HTTP/1.1\r\nHost: 127.0.0.1:%s\r\nUser-Agent: %s\r\n%sConnection: close\r\n\r\n' "$1" "$port" \
    'Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36' \
    "$cookie" >&3
  timeout 10 cat <&3 | tr -d '\r\000'
  exec 3<&-
}

# An upload under way: its header, and no byte of its body. The server holds the connection and a spool file.
held=()
hold_upload() {
  local fd
  exec {fd}<>"/dev/tcp/127.0.0.1/$port"
  printf 'POST /held HTTP/1.1\r\nHost: 127.0.0.1:%s\r\nContent-Type: application/octet-stream\r\n%s\r\n\r\n' \
    "$port" 'Content-Length: 10000000' >&"$fd"
  held+=("$fd")
}

start_program
grep -q '^Open files: 64 (raised from 32 to the hard limit); new sessions are refused while fewer than 16 are free\.$' \
  "$work/err" || fail "no line of the limit on standard error"

response="$(request /)"
[[ "$response" =~ Set-Cookie:\ KX_KXDemo=([^;]+)\; ]] || fail "the first session: $response"
session="${BASH_REMATCH[1]}"

# The uploads take two descriptors each, new sessions none: well before 40 of them the reserve is reached.
refused=""
for _ in $(seq 1 40); do
  hold_upload
  response="$(request /)"
  case "$response" in
    "HTTP/1.1 200 OK"*) ;;
    "HTTP/1.1 503 "*) refused="$response"; break ;;
    *) fail "a new session with ${#held[@]} uploads held: $response" ;;
  esac
done
[ -n "$refused" ] || fail "no new session was refused with ${#held[@]} uploads held"
[[ "$refused" == *$'\nRetry-After: 30\n'* && "$refused" == *$'\nX-KX-Retry-Cause: server\n'* &&
   "$refused" == *$'\n\n503 - The server is busy. Please try again later.' ]] || fail "the refusal: $refused"
[[ "$refused" != *"Set-Cookie: KX_KXDemo="* ]] || fail "the refusal made a session: $refused"
grep -q 'new sessions are refused until there are$' "$work/err" || fail "no line of the refusals on standard error"

# Short of the reserve, the server still accepts and serves the session it has.
response="$(request '/$/ping')"
[[ "$response" == "HTTP/1.1 200 OK"* && "$response" == *$'\n\n'Pong ]] || fail "/\$/ping while refusing: $response"
response="$(request '/$/' "$session")"
[[ "$response" == "HTTP/1.1 200 OK"* && "$response" == *"<title>KXDemo</title>"* ]] ||
  fail "the session's page while refusing: $response"

# The uploads end: their descriptors come back, and so do new sessions.
for fd in "${held[@]}"; do exec {fd}>&-; done
for _ in $(seq 1 50); do
  response="$(request /)"
  [[ "$response" == "HTTP/1.1 200 OK"* ]] && break
  sleep 0.1
done
[[ "$response" == "HTTP/1.1 200 OK"* && "$response" == *"Set-Cookie: KX_KXDemo="* ]] ||
  fail "a new session once the uploads ended: $response"

stop_program
echo "demo under 64 open files: ok (${#held[@]} uploads held before a new session was refused)"
