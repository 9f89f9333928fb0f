#!/usr/bin/env bash
# Installs everything the library, its tests and its demo need on Debian 12.
# Idempotent: packages already present are not touched, so a second run is quick.
set -euo pipefail

packages=(
  g++ clang cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libssl-dev libboost-dev
  libpng-dev libjpeg-dev libgif-dev libsqlite3-dev libxml2-dev libidn2-dev
  chromium haproxy
)
# chromium: the browser tests (tests/e2e/) drive Debian's build through playwright-core, which downloads no browser.
# haproxy: the deployment tests (tests/deployment/, tests/e2e/Balancer.test.js) put the demo behind it.
# node and npm build the compressed client scripts and run their tests; a machine that has node already
# (with its own npm) keeps it.
command -v node >/dev/null 2>&1 || packages+=(nodejs)
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The npm packages of resources/ (jQuery, the masked-input plug-in, terser, jsdom, playwright-core), installed
# exactly as the lock file says whenever node_modules is missing or older than the lock file.
resources="$(dirname "$0")/../resources"
if [ ! -f "$resources/node_modules/.package-lock.json" ] ||
   [ "$resources/package-lock.json" -nt "$resources/node_modules/.package-lock.json" ]; then
  echo "installing the npm packages of resources/"
  (cd "$resources" && npm ci --no-audit --no-fund)
fi
