#!/usr/bin/env bash
# Writes PNG screenshots of the real w_main (dbinstall.exe, with SQL Server's
# registry keys seeded) and of the check-code dialog, taken under Xvfb, to
# build/screenshots/. Builds the Windows tree first.
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
scripts/seed-sqlserver-registry.sh "$WINEPREFIX" KORVENA 'C:\Program Files\Microsoft SQL Server\MSSQL'
# Xvfb has no window manager: Wine draws the title bar and frame itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
# No theme needs choosing: Wine 8 makes its "Light" visual style active in every
# new prefix, so the program's Common Controls 6 draw themed, as on Windows.

# Starts a Windows program, waits for its visible window (found by the X
# class Wine gives it, the program's file name), writes that window to PNG,
# then stops the program.
photograph() {
    local png=$1 program=$2
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
    import -window "$window" "$png"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "wrote $png"
}

photograph "$out/w_main.png" "$top/build/windows/src/dbinstall.exe"
photograph "$out/w_input_check_num.png" "$top/build/windows/tests/gui/show_check_num_dialog.exe"
