#!/usr/bin/env bash
# Runs a command with a fresh SQL Server stand-in on a free loopback port,
# its C: drive mapped to the Wine prefix's drive_c, and stops it afterwards.
# The command finds the server in KORVENA_TEST_SERVER ("127.0.0.1,PORT") and
# the administrator's password in KORVENA_TEST_SA_PASSWORD.
# Usage: with-emulator.sh EMULATOR [EMULATOR_ARGS...] -- COMMAND [ARGS...]
set -euo pipefail
emulator=${1:?usage: with-emulator.sh EMULATOR [ARGS...] -- COMMAND [ARGS...]}
shift
emulator_args=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    emulator_args+=("$1")
    shift
done
shift

export KORVENA_TEST_SA_PASSWORD="Sa-Test;Pw{1}"
drive_c="${WINEPREFIX:?WINEPREFIX must name the test prefix}/drive_c"
output=$(mktemp)
"$emulator" --sa-password "$KORVENA_TEST_SA_PASSWORD" --listen 127.0.0.1:0 \
    --drive "C=$drive_c" "${emulator_args[@]}" >"$output" &
emulator_pid=$!
trap 'kill "$emulator_pid" 2>/dev/null; wait "$emulator_pid" 2>/dev/null; rm -f "$output"' EXIT

for _ in $(seq 100); do
    grep -q '^listening on ' "$output" && break
    kill -0 "$emulator_pid" 2>/dev/null || { echo "the SQL Server stand-in did not start" >&2; exit 1; }
    sleep 0.05
done
port=$(sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' "$output" | head -n 1)
[ -n "$port" ] || { echo "the SQL Server stand-in did not report its port" >&2; exit 1; }
export KORVENA_TEST_SERVER="127.0.0.1,$port"
"$@"
