#!/usr/bin/env bash
# Installs what is missing, builds the library and starts the demo application (options: --port N, --bind ADDR).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja
cmake --build build
exec build/examples/demo/kx_demo "$@"
