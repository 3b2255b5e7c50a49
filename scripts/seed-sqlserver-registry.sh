#!/usr/bin/env bash
# Writes the registry values by which the installer recognises a local SQL
# Server (32-bit view, as a 32-bit program sees them), or removes them.
# Usage: seed-sqlserver-registry.sh PREFIX_DIR DEFAULT_DOMAIN DATA_ROOT
#        seed-sqlserver-registry.sh PREFIX_DIR --remove
set -euo pipefail
prefix=${1:?usage: seed-sqlserver-registry.sh PREFIX_DIR DEFAULT_DOMAIN DATA_ROOT | --remove}
export WINEPREFIX
WINEPREFIX=$(cd "$prefix" && pwd)
export WINEDEBUG=-all LC_ALL=C.UTF-8

server_key='HKLM\SOFTWARE\Microsoft\MSSQLServer\MSSQLServer'
setup_key='HKLM\SOFTWARE\Microsoft\MSSQLServer\Setup'

if [ "${2:-}" = "--remove" ]; then
    wine reg delete 'HKLM\SOFTWARE\Microsoft\MSSQLServer' /reg:32 /f >/dev/null 2>&1 || true
else
    wine reg add "$server_key" /v DefaultDomain /t REG_SZ /d "${2:?DEFAULT_DOMAIN}" /reg:32 /f >/dev/null
    wine reg add "$setup_key" /v SQLDataRoot /t REG_SZ /d "${3:?DATA_ROOT}" /reg:32 /f >/dev/null
fi
