#!/usr/bin/env bash
# Installs what is missing, builds everything once and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DKX_BUILD_TESTS=ON
cmake --build build
ctest --test-dir build --output-on-failure -j "$(nproc)"
