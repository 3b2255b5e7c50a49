#!/usr/bin/env bash
# Writes the registry values by which the installer recognises a local SQL
# Server, or removes them.
#   seed-sqlserver-registry.sh PREFIX_DIR DEFAULT_DOMAIN DATA_ROOT
#       SQL Server 2000's keys (32-bit view, as a 32-bit program sees them)
#   seed-sqlserver-registry.sh PREFIX_DIR --current DATA_ROOT
#       only a current SQL Server's keys: the default instance MSSQL16.MSSQLSERVER
#       and its data root (64-bit view)
#   seed-sqlserver-registry.sh PREFIX_DIR --instance NAME DATA_ROOT LOGIN_MODE
#       an instance of a current SQL Server, MSSQL16.NAME (64-bit view),
#       with its data root and LoginMode (1 Windows authentication only, 2 mixed)
#   seed-sqlserver-registry.sh PREFIX_DIR --remove
#       both sets (the client aliases under MSSQLServer\Client stay)
set -euo pipefail
usage='usage: seed-sqlserver-registry.sh PREFIX_DIR DEFAULT_DOMAIN DATA_ROOT | --current DATA_ROOT |
       --instance NAME DATA_ROOT LOGIN_MODE | --remove'
prefix=${1:?$usage}
export WINEPREFIX
WINEPREFIX=$(cd "$prefix" && pwd)
export WINEDEBUG=-all LC_ALL=C.UTF-8

server_key='HKLM\SOFTWARE\Microsoft\MSSQLServer\MSSQLServer'
setup_key='HKLM\SOFTWARE\Microsoft\MSSQLServer\Setup'
instance_names_key='HKLM\SOFTWARE\Microsoft\Microsoft SQL Server\Instance Names\SQL'

# register_instance NAME DATA_ROOT [LOGIN_MODE]: a SQL Server 2022 instance.
register_instance() {
    local id="MSSQL16.$1"
    local root="HKLM\\SOFTWARE\\Microsoft\\Microsoft SQL Server\\$id"
    wine reg add "$instance_names_key" /v "$1" /t REG_SZ /d "$id" /reg:64 /f >/dev/null
    wine reg add "$root\\Setup" /v SQLDataRoot /t REG_SZ /d "$2" /reg:64 /f >/dev/null
    if [ -n "${3:-}" ]; then
        wine reg add "$root\\MSSQLServer" /v LoginMode /t REG_DWORD /d "$3" /reg:64 /f >/dev/null
    fi
}

case "${2:?$usage}" in
--remove)
    for key in "$server_key" "$setup_key"; do
        wine reg delete "$key" /reg:32 /f >/dev/null 2>&1 || true
    done
    for view in /reg:64 /reg:32; do
        wine reg delete 'HKLM\SOFTWARE\Microsoft\Microsoft SQL Server' "$view" /f >/dev/null 2>&1 || true
    done
    ;;
--current)
    register_instance MSSQLSERVER "${3:?$usage}"
    ;;
--instance)
    register_instance "${3:?$usage}" "${4:?$usage}" "${5:?$usage}"
    ;;
*)
    wine reg add "$server_key" /v DefaultDomain /t REG_SZ /d "$2" /reg:32 /f >/dev/null
    wine reg add "$setup_key" /v SQLDataRoot /t REG_SZ /d "${3:?$usage}" /reg:32 /f >/dev/null
    ;;
esac
