#!/usr/bin/env bash
# Installs what is missing, builds, starts the bundled SQL Server stand-in and
# runs the installer against it: the window when a display is available,
# otherwise an unattended install whose log and result are printed.
# Usage: run.sh [--server NAME]   (NAME: a real SQL Server instead of the stand-in)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

server=
if [ "${1:-}" = "--server" ]; then
    server=${2:?usage: run.sh [--server NAME]}
fi

scripts/install-deps.sh
source scripts/wine-arch.sh
korvena_windows_note
[ "$korvena_windows_preset" = windows ] || korvena_use_64bit_wine "$top/build/wine64-only"
cmake --preset "$korvena_windows_preset" >/dev/null
cmake --build --preset "$korvena_windows_preset" --target dbinstall dbinstall_console
cmake --preset host-release >/dev/null
cmake --build --preset host-release

demo=build/demo
prefix=$demo/wine-prefix
scripts/wine-prefix.sh "$prefix"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
WINEPREFIX=$(cd "$prefix" && pwd)
drive_c=$WINEPREFIX/drive_c
data_root='C:\Program Files\Microsoft SQL Server\MSSQL'
mkdir -p "$drive_c/Program Files/Microsoft SQL Server/MSSQL/data"
scripts/seed-sqlserver-registry.sh "$prefix" WORKGROUP "$data_root"

# The program's folder: dbinstall.exe and dbinstall.com with the shipped
# template beside them.
program_dir=$demo/program
mkdir -p "$program_dir"
cp "build/$korvena_windows_preset/src/dbinstall.exe" "build/$korvena_windows_preset/src/dbinstall.com" "$program_dir/"
cp build/host-release/template/mirvox.dat "$program_dir/"

emulator_pid=
stop_emulator() { [ -n "$emulator_pid" ] && kill "$emulator_pid" 2>/dev/null && wait "$emulator_pid" 2>/dev/null; true; }
trap stop_emulator EXIT
sa_password=${KORVENA_SA_PASSWORD:-Korvena-demo-1}
if [ -z "$server" ]; then
    # The form names the server by the computer name, so the stand-in listens
    # where that name resolves, on SQL Server's port.
    address=$(getent ahostsv4 "$(hostname)" | awk '{print $1; exit}')
    case "$address" in 127.*) ;; *) address=127.0.0.1 ;; esac
    mkdir -p "$demo/state"
    build/host-release/tools/sqlserver-emulator/sqlserver-emulator --sa-password "$sa_password" \
        --listen "$address:1433" --state "$demo/state" --drive "C=$drive_c" >"$demo/emulator.log" 2>&1 &
    emulator_pid=$!
    for _ in $(seq 100); do grep -q '^listening on ' "$demo/emulator.log" && break; sleep 0.05; done
    grep -q '^listening on ' "$demo/emulator.log" || { cat "$demo/emulator.log" >&2; exit 1; }
    echo "SQL Server stand-in: $(head -n 1 "$demo/emulator.log"), administrator sa, password $sa_password"
fi

cd "$program_dir"
if [ -n "${DISPLAY:-}" ]; then
    wine dbinstall.exe
else
    echo "No display: installing unattended."
    status=0
    KORVENA_SA_PASSWORD=$sa_password wine dbinstall.com --unattended --server "${server:-$address,1433}" \
        --drop-existing || status=$?
    echo "dbinstall.com exited with status $status"
    if [ -z "$server" ]; then
        echo "The server now holds:"
        printf '%s\n' "select name, filename from master.dbo.sysdatabases" \
            "select name, dbname, sysadmin from master.dbo.syslogins" \
            "select sys_var_id, sys_var_name, sys_var_value from mirvox.dbo.t_sys_system" "go" |
            TDSVER=7.4 tsql -H "$address" -p 1433 -U sa -P "$sa_password" -o q 2>&1 | grep -v -E '^(locale|using default|Setting)'
    fi
    exit "$status"
fi
