#!/usr/bin/env bash
# Checks the package the way an application author uses it: installs a built tree into a fresh temporary prefix,
# builds examples/hello against it with find_package(kx) in a fresh build folder and with
# `pkg-config --cflags --libs kx`, builds the guide's program (examples/guide) against it with find_package(kx) as
# an author's copy of it is built, and builds hello once more in a project that adds the kx tree with add_subdirectory
# on a PATH without node, and against that kx installed; then runs each program with --port 0 and checks its one
# "Listening on" line, the ping answer ("/$/ping") and a clean stop on SIGTERM. The kx built without node has its
# client scripts joined, not minified: its bundles go through the client-script test (tests/js/Bundles.test.js),
# and both of its hello programs through the browser (tests/e2e/Hello.test.js: a name typed, the button pressed,
# the greeting shown, no script error). Those two need node, chromium and resources/node_modules
# (scripts/install-deps.sh), as the tests do; the library under test does not.
#   scripts/check-install.sh [-j N | --jobs N] [BUILD_DIR]    (defaults: nproc, build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
usage() { echo "usage: $0 [-j N | --jobs N] [BUILD_DIR]" >&2; exit 2; }
jobs="$(nproc)"
build="$root/build"
while (($#)); do
  case "$1" in
    -j | --jobs) (($# >= 2)) || usage; jobs="$2"; shift 2 ;;
    -j*) jobs="${1#-j}"; shift ;;
    --jobs=*) jobs="${1#--jobs=}"; shift ;;
    -*) usage ;;
    *) build="$1"; shift ;;
  esac
done
[[ "$jobs" =~ ^[1-9][0-9]*$ ]] || usage
[ -f "$build/CMakeCache.txt" ] || { echo "$0: $build is not a configured build folder" >&2; exit 2; }
node="$(command -v node || true)"
chromium="$(command -v chromium || true)"
[ -n "$node" ] && [ -n "$chromium" ] && [ -d "$root/resources/node_modules/playwright-core" ] || {
  echo "$0: the checks need node, chromium and resources/node_modules (scripts/install-deps.sh)" >&2; exit 2; }

work="$(mktemp -d)"
pid=""
cleanup() {
  [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "check-install: FAIL: $*" >&2; exit 1; }
# Runs a command quietly; shows its output when it fails.
quiet() { "$@" >"$work/step.log" 2>&1 || { cat "$work/step.log" >&2; fail "$*"; }; }

prefix="$work/prefix"
quiet cmake --build "$build" -j "$jobs" --target kx_hosts
quiet cmake --install "$build" --prefix "$prefix"

# 1. CMake: find_package(kx) and kx::kx, in a build folder of its own.
quiet cmake -S "$root/examples/hello" -B "$work/hello-cmake" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix"
quiet cmake --build "$work/hello-cmake" -j "$jobs"
# The guide's program, the start of an author's own: its folder alone against the install.
quiet cmake -S "$root/examples/guide" -B "$work/guide-cmake" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix"
quiet cmake --build "$work/guide-cmake" -j "$jobs"

# 2. pkg-config, with the compiler alone.
pc_dir="$(dirname "$(find "$prefix" -name kx.pc -print -quit)")"
[ -f "$pc_dir/kx.pc" ] || fail "no kx.pc under $prefix"
flags="$(PKG_CONFIG_PATH="$pc_dir" pkg-config --cflags --libs kx)" || fail "pkg-config does not know kx"
# shellcheck disable=SC2086
quiet "${CXX:-c++}" -O1 -o "$work/hello-pc" "$root/examples/hello/Hello.cpp" $flags
# One version: the package's is the one the installed headers (and so the running library) give.
pc_version="$(PKG_CONFIG_PATH="$pc_dir" pkg-config --modversion kx)"
grep -q "^#define KX_VERSION \"$pc_version\"$" "$prefix/include/kx/Version.h" ||
  fail "pkg-config says $pc_version, include/kx/Version.h says $(grep '^#define KX_VERSION ' "$prefix/include/kx/Version.h")"

# Starts a program with --port 0, checks its line and its ping answer, stops it with SIGTERM.
check_program() {
  local program="$1" out="$work/out" err="$work/err" line port response status
  rm -f "$out"  # a new file: the last program's line must not be read while this one starts
  "$program" --port 0 >"$out" 2>"$err" &
  pid=$!
  for _ in $(seq 1 200); do
    [ -s "$out" ] && break
    kill -0 "$pid" 2>/dev/null || { cat "$err" >&2; fail "$program ended before it listened"; }
    sleep 0.1
  done
  line="$(head -n 1 "$out")"
  [[ "$line" =~ ^Listening\ on\ http://127\.0\.0\.1:([0-9]+)/$ ]] || fail "$program printed: $line"
  port="${BASH_REMATCH[1]}"
  if command -v curl >/dev/null 2>&1; then
    response="$(curl -s --max-time 10 "http://127.0.0.1:$port/\$/ping")" || fail "$program: /\$/ping failed"
  else
    exec 3<>"/dev/tcp/127.0.0.1/$port"
    printf 'GET /$/ping HTTP/1.1\r\nHost: 127.0.0.1:%s\r\nConnection: close\r\n\r\n' "$port" >&3
    response="$(timeout 10 cat <&3 | tr -d '\r')"
    exec 3<&-
    response="${response##*$'\n\n'}"
  fi
  [ "$response" = "Pong" ] || fail "$program: /\$/ping answered: $response"
  kill -TERM "$pid"
  set +e
  wait "$pid"
  status=$?
  set -e
  pid=""
  [ "$status" -eq 0 ] || { cat "$err" >&2; fail "$program ended with status $status on SIGTERM"; }
  echo "check-install: ${program#"$work"/}: listening on port $port, ping answered, stopped cleanly"
}
check_program "$work/hello-cmake/hello"
check_program "$work/guide-cmake/guide"
check_program "$work/hello-pc"

# 3. add_subdirectory in an author's project, as a fresh checkout of kx is (no resources/node_modules), on a PATH of
#    every program but node and npm.
nonode="$work/no-node-bin"
mkdir -p "$nonode"
for dir in /usr/local/bin /usr/bin /bin; do
  for tool in "$dir"/*; do
    case "$(basename "$tool")" in node | nodejs | npm | npx | corepack) continue ;; esac
    [ -e "$nonode/$(basename "$tool")" ] || ln -s "$tool" "$nonode/$(basename "$tool")"
  done
done
mkdir -p "$work/author/kx"
(cd "$root" && git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf -) | tar -xf - -C "$work/author/kx"
printf '%s\n' "cmake_minimum_required(VERSION 3.25)" "project(author_app LANGUAGES CXX)" "add_subdirectory(kx)" \
  "add_executable(hello kx/examples/hello/Hello.cpp)" "target_link_libraries(hello PRIVATE kx::kx)" \
  >"$work/author/CMakeLists.txt"
# kx's install rules are on, so that the same build gives the package built without node (step 4).
PATH="$nonode" quiet cmake -S "$work/author" -B "$work/author-build" -G Ninja -DKX_INSTALL=ON
grep -q "client scripts are joined, not minified" "$work/step.log" || fail "add_subdirectory without node: $(cat "$work/step.log")"
PATH="$nonode" quiet cmake --build "$work/author-build" -j "$jobs" --target hello
check_program "$work/author-build/hello"

# 4. That kx installed, and hello built against it with find_package(kx), still without node.
prefix_nonode="$work/prefix-no-node"
PATH="$nonode" quiet cmake --install "$work/author-build" --prefix "$prefix_nonode"
PATH="$nonode" quiet cmake -S "$root/examples/hello" -B "$work/hello-no-node" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix_nonode"
PATH="$nonode" quiet cmake --build "$work/hello-no-node" -j "$jobs"
check_program "$work/hello-no-node/hello"

# The joined bundles against their lists, and both programs built without node in the browser.
(cd "$root/tests/js" && KX_BUILT_RESOURCES="$work/author-build/kx/resources" quiet "$node" --test Bundles.test.js)
echo "check-install: the joined client scripts hold every script of their lists and run"
for program in "$work/author-build/hello" "$work/hello-no-node/hello"; do
  (cd "$root/tests/e2e" && KX_HELLO="$program" KX_CHROMIUM="$chromium" \
     KX_E2E_ARTIFACTS="$build/e2e-artifacts/check-install" quiet "$node" --test --test-force-exit Hello.test.js)
  echo "check-install: ${program#"$work"/}: a name typed in chromium is greeted, no script error"
done
echo "check-install: ok (examples/hello built with find_package and pkg-config against $prefix, with add_subdirectory" \
     "without node and against that kx installed; examples/guide with find_package against $prefix)"
