# shellcheck shell=bash
# The steps the program tests (DemoProgramTest.sh, GuideProgramTest.sh) share: a framework program run as a user runs
# it. Sourced after setting program (its path) and name (what the messages call it); gives a work folder removed on
# exit with what is still running, fail, start_program, fetch, check_ping_and_start_page and stop_program.
: "${program:?the program to run}" "${name:?what the messages call it}"
work="$(mktemp -d)"
pid=""
cleanup() {
  [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; echo "--- stderr of the $name:" >&2; cat "$work/err" >&2 || true; exit 1; }

# Starts the program with --port 0 in the background, waits for its first line, which must
# be "Listening on http://127.0.0.1:PORT/", and sets port.
start_program() {
  # A new file: the background program truncates an old one only once it runs, so the wait below could read what an
  # earlier run of the program left there.
  rm -f "$work/out"
  "$program" --port 0 >"$work/out" 2>"$work/err" &
  pid=$!
  for _ in $(seq 1 200); do
    [ -s "$work/out" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the $name ended before it listened"
    sleep 0.1
  done
  local line
  line="$(head -n 1 "$work/out")"
  [[ "$line" =~ ^Listening\ on\ http://127\.0\.0\.1:([0-9]+)/$ ]] || fail "unexpected first line: $line"
  port="${BASH_REMATCH[1]}"
  [ "$port" -ne 0 ] || fail "port 0 was printed"
}

# One request on a fresh connection (bash's /dev/tcp), as a browser sends it; prints the whole response.
fetch() {
  exec 3<>"/dev/tcp/127.0.0.1/$port"
  printf 'GET %s HTTP/1.1\r\nHost: 127.0.0.1:%s\r\nUser-Agent: %s\r\nConnection: close\r\n\r\n' "$1" "$port" \
    'Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36' >&3
  timeout 10 cat <&3 | tr -d '\r\000'
  exec 3<&-
}

# The ping answer, and the start path, which opens a session (its cookie named as given): the page that measures the
# window and goes on to the main form.
check_ping_and_start_page() {
  local cookie="$1" response
  response="$(fetch '/$/ping')"
  [[ "$response" == "HTTP/1.1 200 OK"* ]] || fail "/\$/ping: $response"
  [[ "$response" == *$'\n\n'Pong ]] || fail "/\$/ping body: $response"
  response="$(fetch /)"
  [[ "$response" == "HTTP/1.1 200 OK"* && "$response" == *"Set-Cookie: $cookie="* &&
     "$response" == *'get("/$/StartCheck")'* ]] ||
    fail "/: $response"
}

# SIGTERM ends the program with status 0; its standard output holds no more than the first line.
stop_program() {
  kill -TERM "$pid"
  set +e
  wait "$pid"
  local status=$?
  set -e
  pid=""
  [ "$status" -eq 0 ] || fail "SIGTERM ended the $name with status $status"
  [ "$(wc -l <"$work/out")" -eq 1 ] || fail "standard output has more than one line: $(cat "$work/out")"
}
