#!/usr/bin/env bash
# Installs what is missing, builds the demo program and starts it; every argument but the job count goes to the
# demo (--port N, --bind ADDR, --session-timeout MINUTES, --help).
#   scripts/demo.sh [-j N | --jobs N] [demo options]    N: parallel build jobs (default: nproc)
# It builds in build/, the folder scripts/test.sh uses, without changing the options cached there: only the demo
# and the libraries it needs are built, and a later scripts/test.sh builds the rest without rebuilding them.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="$(nproc)"
demo_args=()
while (($#)); do
  case "$1" in
    -j | --jobs) (($# >= 2)) || { echo "$0: $1 needs a number" >&2; exit 2; }; jobs="$2"; shift 2 ;;
    -j*) jobs="${1#-j}"; shift ;;
    --jobs=*) jobs="${1#--jobs=}"; shift ;;
    --) shift; demo_args+=("$@"); break ;;
    *) demo_args+=("$1"); shift ;;
  esac
done
[[ "$jobs" =~ ^[1-9][0-9]*$ ]] || { echo "$0: the job count must be a positive number, not \"$jobs\"" >&2; exit 2; }
bash scripts/install-deps.sh >&2
cmake -S . -B build -G Ninja >&2
cmake --build build -j "$jobs" --target kx_demo >&2
exec build/examples/demo/kx_demo "${demo_args[@]}"
