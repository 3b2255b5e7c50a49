#!/usr/bin/env bash
# Builds the demo template backup with the stand-in itself: runs the template
# script as sa on a throw-away server whose C: drive is a scratch folder, then
# copies the backup it wrote (C:\template\mirvox.dat) to OUTPUT.
# Usage: make-template.sh EMULATOR TEMPLATE_SQL OUTPUT
set -euo pipefail
emulator=${1:?usage: make-template.sh EMULATOR TEMPLATE_SQL OUTPUT}
script=${2:?usage: make-template.sh EMULATOR TEMPLATE_SQL OUTPUT}
output=${3:?usage: make-template.sh EMULATOR TEMPLATE_SQL OUTPUT}

scratch=$(mktemp -d)
emulator_pid=
cleanup() {
    [ -n "$emulator_pid" ] && kill "$emulator_pid" 2>/dev/null && wait "$emulator_pid" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT
mkdir -p "$scratch/c/template"

"$emulator" --sa-password "template-$$" --listen 127.0.0.1:0 --drive "C=$scratch/c" \
    --init-sql "$script" >"$scratch/stdout" &
emulator_pid=$!
# The server listens only after the script has run; an error in it ends the process.
for _ in $(seq 600); do
    grep -q '^listening on ' "$scratch/stdout" && break
    kill -0 "$emulator_pid" 2>/dev/null || { wait "$emulator_pid" || true; emulator_pid=; echo "the template script failed" >&2; exit 1; }
    sleep 0.05
done
grep -q '^listening on ' "$scratch/stdout" || { echo "the stand-in did not start" >&2; exit 1; }
mkdir -p "$(dirname "$output")"
cp "$scratch/c/template/mirvox.dat" "$output"
