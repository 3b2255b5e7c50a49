#!/usr/bin/env bash
# Runs a command inside a test session: an Xvfb display on a free number, a
# fresh throw-away Wine prefix and one persistent wineserver, all stopped
# when the command ends, whatever its outcome. The prefix is a 64-bit Windows,
# or with --win32 a 32-bit one.
# Usage: test-session.sh [--win32] PREFIX_DIR COMMAND [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
usage='usage: test-session.sh [--win32] PREFIX_DIR COMMAND [ARGS...]'
architecture=win64
if [ "${1:-}" = "--win32" ]; then
    architecture=win32
    shift
fi
prefix=${1:?$usage}
shift
source "$here/wine-arch.sh"
if [ "$korvena_windows_preset" = windows-x64 ]; then
    if [ "$architecture" = win32 ]; then
        echo "test-session.sh: skipped: this machine cannot run 32-bit programs, so no 32-bit prefix" >&2
        exit 77
    fi
    korvena_use_64bit_wine "$here/../build/wine64-only"
fi

display_number=90
while [ -e "/tmp/.X${display_number}-lock" ] || [ -e "/tmp/.X11-unix/X${display_number}" ]; do
    display_number=$((display_number + 1))
done
Xvfb ":${display_number}" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!

rm -rf "$prefix"
export WINEPREFIX WINEARCH=$architecture WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=":${display_number}"
mkdir -p "$prefix"
WINEPREFIX=$(cd "$prefix" && pwd)

stop_session() {
    wineserver -k >/dev/null 2>&1 || true
    kill "$xvfb_pid" >/dev/null 2>&1 || true
    wait "$xvfb_pid" 2>/dev/null || true
}
trap stop_session EXIT

for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X${display_number}" ] && break
    sleep 0.1
done

"$here/wine-prefix.sh" "$WINEPREFIX"
# Xvfb runs no window manager: Wine would wait up to two seconds for one to
# withdraw each closing top-level window, with the window's thread stopped.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
# The prefix script's wineserver lingers a moment; the persistent one must
# replace it, and the prefix's own start-up programs must run before the
# tests, or they hold the tests' output pipes open.
wineserver -w
# Wine marks the registry it saved with the architecture it made the prefix for.
grep -qx "#arch=$architecture" "$WINEPREFIX/system.reg" || {
    echo "test-session.sh: $WINEPREFIX is not a $architecture prefix" >&2
    exit 1
}
wineserver -p
wineboot >/dev/null 2>&1 </dev/null
"$@"
