#!/usr/bin/env bash
# Installs what is missing, builds everything once, runs every test, checks the installed package as an
# author uses it (scripts/check-install.sh), then runs the tests under the sanitizers and the fuzz targets
# briefly (scripts/sanitize.sh).
#   scripts/test.sh [-j N | --jobs N]    N: parallel build and test jobs (default: nproc)
set -euo pipefail
cd "$(dirname "$0")/.."
usage() { echo "usage: $0 [-j N | --jobs N]" >&2; exit 2; }
jobs="$(nproc)"
while (($#)); do
  case "$1" in
    -j | --jobs) (($# >= 2)) || usage; jobs="$2"; shift 2 ;;
    -j* ) jobs="${1#-j}"; shift ;;
    --jobs=*) jobs="${1#--jobs=}"; shift ;;
    *) usage ;;
  esac
done
[[ "$jobs" =~ ^[1-9][0-9]*$ ]] || usage
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DKX_BUILD_TESTS=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"
bash scripts/check-install.sh -j "$jobs" build
bash scripts/sanitize.sh -j "$jobs"
