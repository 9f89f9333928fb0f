#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz (clang, -fsanitize=fuzzer,address,undefined) in build-fuzz/ and runs
# each for SECONDS (default 60) from its checked-in seeds (tests/fuzz/corpus/<target>/) and the inputs it found
# before (build-fuzz/corpus/<target>/). A crash, a sanitizer report, a leak, a failed check, a timeout or running
# out of memory stops the target, leaves the input in build-fuzz/artifacts/ and fails the script.
#   scripts/fuzz.sh [-j N] [SECONDS] [TARGET...]     targets: request_packet url_decode multipart template images
#                                                    http_execute (none named: all)
#   scripts/fuzz.sh 600 multipart                    ten minutes on the multipart parser
# Reproduce a finding with: build-fuzz/tests/fuzz/kx_fuzz_<target> build-fuzz/artifacts/<file>
set -euo pipefail
cd "$(dirname "$0")/.."
usage() { echo "usage: $0 [-j N] [SECONDS] [TARGET...]" >&2; exit 2; }
all=(request_packet url_decode multipart template images http_execute)
jobs="$(nproc)"
seconds=60
targets=()
while (($#)); do
  case "$1" in
    -j | --jobs) (($# >= 2)) || usage; jobs="$2"; shift 2 ;;
    -j*) jobs="${1#-j}"; shift ;;
    [0-9]*) seconds="$1"; shift ;;
    *) [[ " ${all[*]} " == *" $1 "* ]] || usage; targets+=("$1"); shift ;;
  esac
done
[[ "$jobs" =~ ^[1-9][0-9]*$ && "$seconds" =~ ^[1-9][0-9]*$ ]] || usage
((${#targets[@]})) || targets=("${all[@]}")

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKX_BUILD_TESTS=OFF \
  -DKX_BUILD_EXAMPLES=OFF -DKX_INSTALL=OFF -DKX_BUILD_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "$jobs" --target "${targets[@]/#/kx_fuzz_}"

mkdir -p build-fuzz/artifacts
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in "${targets[@]}"; do
  echo "== fuzzing $target for ${seconds}s"
  mkdir -p "build-fuzz/corpus/$target"
  # New inputs go to the first folder: the checked-in seeds stay as they are.
  (cd build-fuzz && "tests/fuzz/kx_fuzz_$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=20 \
    -print_final_stats=1 -artifact_prefix="artifacts/$target-" "corpus/$target" "../tests/fuzz/corpus/$target" \
    2>"fuzz-$target.log") || { tail -n 60 "build-fuzz/fuzz-$target.log"; echo "fuzz target $target failed" >&2; exit 1; }
  grep -E '^stat::number_of_executed_units|^Done' "build-fuzz/fuzz-$target.log" || true
done
echo "fuzz: ${#targets[@]} passed, 0 failed"
