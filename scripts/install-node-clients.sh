#!/usr/bin/env bash
# Installs the Node.js SQL Server client (tedious) that the stand-in's tests
# talk to, from the npm registry, at the versions the lock file pins.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
client_dir="$top/tests/emulator/protocol/tedious"
if [ -f "$client_dir/package-lock.json" ]; then
    npm ci --prefix "$client_dir" --no-audit --no-fund --loglevel=error
fi
