#!/usr/bin/env bash
# Measures what the installer costs beyond the work it must do: one unattended
# install onto the stand-in, against a floor made of `cp` of the template to
# the staging path plus the same statements sent by FreeTDS's tsql, on a
# template of 1 GiB whose data bytes are not zeros. The two alternate, five
# times each after a warm-up; the medians, their ratio and the spread are
# printed. Wine's own process start and its file copy are measured alongside.
# The server reads the template where it lies; with --unreadable the template
# lies in a folder the server's service account may not open, so the
# installer must stage it as the floor does.
# Usage: benchmark-install.sh [--unreadable] [ROUNDS]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
template_folder=template
if [ "${1:-}" = --unreadable ]; then
    template_folder=unreadable
    shift
fi
rounds=${1:-5}

source scripts/wine-arch.sh
korvena_windows_note
[ "$korvena_windows_preset" = windows ] || korvena_use_64bit_wine "$top/build/wine64-only"
cmake --preset "$korvena_windows_preset" >/dev/null
cmake --build --preset "$korvena_windows_preset" --target dbinstall >/dev/null
installer=build/$korvena_windows_preset/src/dbinstall.exe
cmake --preset host-release >/dev/null && cmake --build --preset host-release >/dev/null

work=build/benchmark
rm -rf "$work"
mkdir -p "$work"
scripts/wine-prefix.sh "$work/prefix"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
WINEPREFIX=$(cd "$work/prefix" && pwd)
drive_c=$WINEPREFIX/drive_c
mkdir -p "$drive_c/data" "$drive_c/template" "$drive_c/unreadable"
wineserver -w  # the prefix script's server lingers a moment
wineserver -p

password=bench-$$
emulator_pid=
cleanup() {
    [ -n "$emulator_pid" ] && kill "$emulator_pid" 2>/dev/null && wait "$emulator_pid" 2>/dev/null
    wineserver -k 2>/dev/null || true
}
trap cleanup EXIT
build/host-release/tools/sqlserver-emulator/sqlserver-emulator --sa-password "$password" \
    --listen 127.0.0.1:0 --drive "C=$drive_c" --unreadable 'C:\unreadable' >"$work/emulator.log" 2>&1 &
emulator_pid=$!
for _ in $(seq 100); do grep -q '^listening on ' "$work/emulator.log" && break; sleep 0.05; done
port=$(sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' "$work/emulator.log")

sql() {  # sql LOGIN PASSWORD: runs the batches on stdin, each ended by "go"
    TDSVER=7.4 tsql -H 127.0.0.1 -p "$port" -U "$1" -P "$2" -o q >"$work/tsql.out" 2>&1
    if grep -q -E '^Msg [0-9]+, Level (1[1-9]|2[0-9])' "$work/tsql.out"; then cat "$work/tsql.out" >&2; return 1; fi
}

# The template: a 1 GiB data file filled with random bytes before the backup.
sql sa "$password" <<'SQL'
CREATE DATABASE bench_template ON PRIMARY (NAME = N'mirvox_data', FILENAME = N'C:\template\bench_Data.MDF', SIZE = 1024) LOG ON (NAME = N'mirvox_log', FILENAME = N'C:\template\bench_Log.LDF', SIZE = 1)
go
use bench_template
go
create table t_sys_system (sys_var_id nvarchar(40), sys_var_name nvarchar(80), sys_var_value nvarchar(80), sys_ver_flag nvarchar(10), sys_inited nvarchar(1))
go
insert into t_sys_system (sys_var_id, sys_var_name, sys_var_value, sys_ver_flag, sys_inited) values ('Is_Distributed', N'单店', '0', '', '1')
go
SQL
head -c 1073741824 /dev/urandom >"$drive_c/template/bench_Data.MDF"
sql sa "$password" <<'SQL'
BACKUP DATABASE bench_template TO DISK = N'C:\template\mirvox.dat'
go
DROP DATABASE bench_template
go
SQL
if [ "$template_folder" = unreadable ]; then
    mv "$drive_c/template/mirvox.dat" "$drive_c/unreadable/mirvox.dat"
    echo "The template lies where the server may not open it: the installer stages it."
else
    echo "The template lies where the server reads it."
fi
template=$drive_c/$template_folder/mirvox.dat

reset_server() {
    sql sa "$password" <<'SQL' || true
Drop DATABASE mirvox
go
dbo.sp_droplogin mirvox
go
SQL
    rm -f "$drive_c/zq.tmp"
    sync
}

floor_run() {
    cp "$template" "$drive_c/zq.tmp"
    sql sa "$password" <<'SQL'
SET QUOTED_IDENTIFIER OFF
go
select name from master.dbo.sysdatabases where name =N'mirvox' 
go
CREATE DATABASE mirvox  ON PRIMARY (NAME = N'mirvox_Data', FILENAME = N'C:\data\mirvox_Data.MDF' , SIZE = 12, FILEGROWTH = 30%) LOG ON (NAME = N'mirvox_Log', FILENAME = N'C:\data\mirvox_Log.LDF' , SIZE = 12, FILEGROWTH = 30%)
go
RESTORE DATABASE mirvox FROM  DISK = N'c:\zq.tmp' WITH  FILE = 1,  NOUNLOAD ,  STATS = 10,  RECOVERY ,  REPLACE ,MOVE 'mirvox_log' TO N'C:\data\mirvox_Log.LDF',MOVE 'mirvox_data' TO N'C:\data\mirvox_Data.MDF'
go
dbo.sp_addlogin 'mirvox','rovtakl',mirvox
go
dbo.sp_addsrvrolemember 'mirvox', sysadmin
go
SQL
    sql mirvox rovtakl <<'SQL'
SET QUOTED_IDENTIFIER OFF
go
exec dbo.sp_defaultdb N'mirvox', N'mirvox'
go
use mirvox
go
Delete from t_sys_system where sys_var_id ="Is_Distributed" 
go
insert into t_sys_system ( sys_var_id , sys_var_name , sys_var_value , sys_ver_flag , sys_inited ) values ( 'Is_Distributed' , '分店/配送中心' , '2' , '' , '1' ) 
go
SQL
    rm -f "$drive_c/zq.tmp"
}

installer_run() {
    KORVENA_SA_PASSWORD=$password wine "$installer" --unattended \
        --server "127.0.0.1,$port" --template "C:\\$template_folder\\mirvox.dat" --data-path 'C:\data' \
        --store-mode branch --result-json 'C:\result.json' >"$work/installer.out" 2>&1 ||
        { cat "$work/installer.out" >&2; return 1; }
}

# The installer's own phases, from its result document: "name milliseconds" lines.
installer_phases() {
    /usr/bin/python3 -c 'import json, sys
for phase in json.load(open(sys.argv[1], encoding="utf-8"))["phases"]: print(phase["name"], phase["milliseconds"])' \
        "$drive_c/result.json"
}

wine_start_run() {
    wine "$installer" --help >/dev/null 2>&1
}

# The staging copy alone, both ways: the host's cp, and Windows' CopyFileW
# as Wine implements it (cmd's copy calls it; its own start is in wine_start).
cp_run() {
    cp "$template" "$drive_c/zq.tmp"
    rm -f "$drive_c/zq.tmp"
}
wine_copy_run() {
    wine cmd /c copy /y "C:\\$template_folder\\mirvox.dat" 'C:\zq.tmp' >/dev/null 2>&1
    rm -f "$drive_c/zq.tmp"
}

seconds() {  # seconds COMMAND: prints how long COMMAND took
    local start end
    start=$(date +%s.%N)
    "$@"
    end=$(date +%s.%N)
    awk -v start="$start" -v end="$end" 'BEGIN { printf "%.3f\n", end - start }'
}

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
minimum() { printf '%s\n' "$@" | sort -g | head -n 1; }
maximum() { printf '%s\n' "$@" | sort -g | tail -n 1; }
report() {  # report NAME VALUES...
    local name=$1
    shift
    printf '%-24s median %7.3f s   min %7.3f s   max %7.3f s\n' "$name" "$(median "$@")" "$(minimum "$@")" "$(maximum "$@")"
}

echo "Warm-up"
reset_server; floor_run
reset_server; installer_run

floor_times=()
installer_times=()
wine_start_times=()
cp_times=()
wine_copy_times=()
declare -A phase_times
for round in $(seq "$rounds"); do
    reset_server; floor_times+=("$(seconds floor_run)")
    reset_server; installer_times+=("$(seconds installer_run)")
    while read -r name milliseconds; do
        phase_times[$name]+="$(awk -v ms="$milliseconds" 'BEGIN { printf "%.3f", ms / 1000 }') "
    done < <(installer_phases)
    wine_start_times+=("$(seconds wine_start_run)")
    cp_times+=("$(seconds cp_run)")
    wine_copy_times+=("$(seconds wine_copy_run)")
    echo "round $round: floor ${floor_times[-1]} s, installer ${installer_times[-1]} s"
done
reset_server

echo
report "floor (cp + tsql)" "${floor_times[@]}"
report "installer (unattended)" "${installer_times[@]}"
echo "Where the difference goes:"
report "wine process start" "${wine_start_times[@]}"
report "staging copy, cp" "${cp_times[@]}"
report "staging copy, wine" "${wine_copy_times[@]}"
echo "The installer's phases (the template's check, and its staging copy when needed, in preflight):"
for name in connect preflight old_database create_database restore login store_mode completion; do
    # shellcheck disable=SC2086  # the times are one word each
    report "  $name" ${phase_times[$name]}
done
awk -v installer="$(median "${installer_times[@]}")" -v floor="$(median "${floor_times[@]}")" \
    'BEGIN { printf "ratio installer / floor: %.3f\n", installer / floor }'
