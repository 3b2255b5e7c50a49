#!/usr/bin/env bash
# Writes PNG screenshots of the real w_main (dbinstall.exe, with SQL Server's
# registry keys seeded) and of the check-code dialog, taken under Xvfb, to
# build/screenshots/: w_main.png with SQL Server 2000 and two named instances,
# w_main_express.png with only the named ones (Express, Windows authentication
# only, chosen) and its server list dropped, w_main_144dpi.png the same at
# 150% system scaling. Builds the Windows tree first.
# Usage: screenshots.sh
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

if [ "${1:-}" != "--in-session" ]; then
    cmake --preset windows >/dev/null
    cmake --build --preset windows --target dbinstall show_check_num_dialog
    exec scripts/test-session.sh build/screenshot-prefix "$0" --in-session
fi

out="$top/build/screenshots"
mkdir -p "$out"
sql_root='C:\Program Files\Microsoft SQL Server'
scripts/seed-sqlserver-registry.sh "$WINEPREFIX" KORVENA "$sql_root\MSSQL"
scripts/seed-sqlserver-registry.sh "$WINEPREFIX" --instance SQLEXPRESS "$sql_root\MSSQL16.SQLEXPRESS\MSSQL" 1
scripts/seed-sqlserver-registry.sh "$WINEPREFIX" --instance POS 'D:\POS' 2
# Xvfb has no window manager: Wine draws the title bar and frame itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
# No theme needs choosing: Wine 8 makes its "Light" visual style active in every
# new prefix, so the program's Common Controls 6 draw themed, as on Windows.

# Starts a Windows program, waits for its visible window (found by the X
# class Wine gives it, the program's file name), clicks at the window-relative
# points given after the program, writes that window to PNG, then stops the
# program.
photograph() {
    local png=$1 program=$2
    shift 2
    (cd "$(dirname "$program")" && exec wine "$(basename "$program")") &
    local pid=$!
    local window=""
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --class "$(basename "$program")" 2>/dev/null | head -n 1 || true)
        [ -n "$window" ] && break
        sleep 0.2
    done
    if [ -z "$window" ]; then
        echo "no window of $program appeared" >&2
        kill "$pid" 2>/dev/null || true
        return 1
    fi
    sleep 1  # let it paint
    local point
    for point in "$@"; do
        xdotool mousemove --window "$window" ${point/,/ } click 1
        sleep 0.5
    done
    # From the screen, not the window: a dropped list is a window of its own.
    local X Y WIDTH HEIGHT SCREEN
    eval "$(xdotool getwindowgeometry --shell "$window")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$png"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "wrote $png"
}

photograph "$out/w_main.png" "$top/build/windows/src/dbinstall.exe"
photograph "$out/w_input_check_num.png" "$top/build/windows/tests/gui/show_check_num_dialog.exe"

# The server list's button lies at the right end of the server field.
scripts/seed-sqlserver-registry.sh "$WINEPREFIX" --remove
scripts/seed-sqlserver-registry.sh "$WINEPREFIX" --instance SQLEXPRESS "$sql_root\MSSQL16.SQLEXPRESS\MSSQL" 1
scripts/seed-sqlserver-registry.sh "$WINEPREFIX" --instance POS 'D:\POS' 2
photograph "$out/w_main_express.png" "$top/build/windows/src/dbinstall.exe" 660,184
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
photograph "$out/w_main_144dpi.png" "$top/build/windows/src/dbinstall.exe"
