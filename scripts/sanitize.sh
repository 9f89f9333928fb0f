#!/usr/bin/env bash
# The tests again under the sanitizers, each in a build folder of its own, built with clang:
#   address  the unit and integration tests and the recorded test under AddressSanitizer + UndefinedBehaviorSanitizer
#            (build-asan/)
#   thread   the tests that run threads (sessions, the host, timed threads, locks, the session stress test,
#            runtimes on two threads, the object pools, the object guard, the session flows with waiting requests, a
#            relief thread of the host, a SQLite connection shared by threads) under ThreadSanitizer (build-tsan/)
#   fuzz     every fuzz target of tests/fuzz for a few seconds from its seed corpus (scripts/fuzz.sh, build-fuzz/)
# Any sanitizer report fails the run. Only the test programs are built: no demo program, examples or browser tests.
#   scripts/sanitize.sh [-j N] [address] [thread] [fuzz]     (none named: all three)
set -euo pipefail
cd "$(dirname "$0")/.."
usage() { echo "usage: $0 [-j N] [address] [thread] [fuzz]" >&2; exit 2; }
jobs="$(nproc)"
runs=()
while (($#)); do
  case "$1" in
    -j | --jobs) (($# >= 2)) || usage; jobs="$2"; shift 2 ;;
    -j*) jobs="${1#-j}"; shift ;;
    address | thread | fuzz) runs+=("$1"); shift ;;
    *) usage ;;
  esac
done
[[ "$jobs" =~ ^[1-9][0-9]*$ ]] || usage
((${#runs[@]})) || runs=(address thread fuzz)

# The tests that start threads of their own, by GoogleTest suite.
threaded='^(TKXSessionList|TKXExpiredSessionList|TKXSessionsTest|TKXStandAloneAppTest|TKXStandAloneServerTest|'
threaded+='TKXStandAloneAppEndToEnd|TKXTimedThread|TKXCriticalSection|TKXSlimReaderWriter|TThreadSafeValue|'
threaded+='SessionStress|SessionFlowTest|TKXRuntime|ObjectPoolTest|ObjectPoolEvents|TKXDataModulePoolEvents|'
threaded+='SessionDataModulesTest|KXObjectGuard|RunReliefThreadTest|SQLiteDataSetTest)\.'
# Registered in every build with tests, but they run node alone, the demo program (behind HAProxy too, or under a
# small descriptor limit) or the browser: not sanitized here (error_log runs the failing program built with the
# sanitizer).
not_sanitized='^(client_scripts|demo_program|descriptor_limit|deployment_balancer|browser_flows)$'
# Measures the process's peak memory: AddressSanitizer's allocator keeps freed memory, so it has nothing to say there.
not_sanitized+='|^THttpRequestTest\.ASpilledPacketsFieldsAreHeldOnceWhileRead$'

# Configures build folder $1 with clang and the CMake options that follow.
configure() {
  local folder="$1"
  shift
  CC=clang CXX=clang++ cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKX_BUILD_EXAMPLES=OFF \
    -DKX_INSTALL=OFF "$@" >/dev/null
}

for run in "${runs[@]}"; do
  case "$run" in
    address)
      echo "== AddressSanitizer + UndefinedBehaviorSanitizer: unit and integration tests (build-asan/)"
      configure build-asan -DKX_BUILD_TESTS=ON -DKX_SANITIZE=address
      cmake --build build-asan -j "$jobs" --target kx_tests_platform kx_tests_foundation kx_tests_net \
        kx_tests_appserver kx_tests_data kx_tests_forms kx_tests_controls kx_tests_hosts kx_tests_integration \
        kx_recorded_test kx_failing_app
      ASAN_OPTIONS=detect_leaks=1:halt_on_error=1 \
        UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$PWD/tests/ubsan.supp" \
        ctest --test-dir build-asan --output-on-failure -j "$jobs" -E "$not_sanitized"
      ;;
    thread)
      echo "== ThreadSanitizer: the threaded tests (build-tsan/)"
      configure build-tsan -DKX_BUILD_TESTS=ON -DKX_SANITIZE=thread
      cmake --build build-tsan -j "$jobs" --target kx_tests_foundation kx_tests_appserver kx_tests_hosts \
        kx_tests_integration kx_tests_data
      TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
        ctest --test-dir build-tsan --output-on-failure -j "$jobs" -R "$threaded"
      ;;
    fuzz)
      echo "== libFuzzer: every fuzz target for 5 seconds (build-fuzz/)"
      bash scripts/fuzz.sh -j "$jobs" 5
      ;;
  esac
done
