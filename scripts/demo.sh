#!/usr/bin/env bash
# Installs what is missing, builds the library and starts the demo application.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja
cmake --build build
if [ -x build/examples/demo/kx_demo ]; then
  exec build/examples/demo/kx_demo "$@"
fi
echo "The library is built; the demo application arrives with the stand-alone host."
