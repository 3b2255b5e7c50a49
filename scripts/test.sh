#!/usr/bin/env bash
# Builds both trees and runs every test: the stand-in's (host tree, sanitized),
# then the installer's unit, GUI and end-to-end tests under Wine, inside one
# test session (Xvfb, a throw-away prefix, a persistent wineserver).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-deps.sh
scripts/install-node-clients.sh
source scripts/wine-arch.sh
korvena_windows_note

cmake --preset "$korvena_windows_preset" >/dev/null
cmake --build --preset "$korvena_windows_preset"
cmake --preset host -DKORVENA_WINDOWS_BUILD="$top/build/$korvena_windows_preset" >/dev/null
cmake --build --preset host

scripts/test-session.sh build/wine-test-prefix \
    bash -c "ctest --preset $korvena_windows_preset && ctest --preset host"
korvena_windows_note
