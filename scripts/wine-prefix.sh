#!/usr/bin/env bash
# Makes (or refreshes) a Wine prefix in which dbinstall.exe shows readable
# Chinese: Wine's stand-ins for the form's fonts point at an installed CJK font.
# Usage: wine-prefix.sh PREFIX_DIR
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh PREFIX_DIR}
mkdir -p "$prefix"
export WINEPREFIX
WINEPREFIX=$(cd "$prefix" && pwd)
export WINEDEBUG=-all
# Without these, wineboot may stop at a dialog offering Mono or Gecko.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine decodes its command line in the host locale; the font names are Chinese.
export LC_ALL=C.UTF-8

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
fi

cjk_font="WenQuanYi Micro Hei"
for face in "宋体" "隶书" "仿宋_GB2312" "SimSun"; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "$cjk_font" /f >/dev/null
done
