#!/usr/bin/env bash
# Runs a command inside a test session: an Xvfb display on a free number, a
# fresh throw-away Wine prefix and one persistent wineserver, all stopped
# when the command ends, whatever its outcome.
# Usage: test-session.sh PREFIX_DIR COMMAND [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=${1:?usage: test-session.sh PREFIX_DIR COMMAND [ARGS...]}
shift

display_number=90
while [ -e "/tmp/.X${display_number}-lock" ] || [ -e "/tmp/.X11-unix/X${display_number}" ]; do
    display_number=$((display_number + 1))
done
Xvfb ":${display_number}" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!

rm -rf "$prefix"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=":${display_number}"
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
wineserver -p
wineboot >/dev/null 2>&1 </dev/null
"$@"
