#!/usr/bin/env bash
# Builds both trees and runs every test: the stand-in's (host tree, sanitized),
# then the installer's unit, GUI and end-to-end tests under Wine, inside one
# test session (Xvfb, a throw-away prefix, a persistent wineserver).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-deps.sh
scripts/install-node-clients.sh

cmake --preset windows >/dev/null
cmake --build --preset windows
cmake --preset host >/dev/null
cmake --build --preset host

scripts/test-session.sh build/wine-test-prefix \
    bash -c 'ctest --preset windows && ctest --preset host'
