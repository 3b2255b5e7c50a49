#!/usr/bin/env bash
# Installs, from Debian's packages only, what building and testing need, when
# something is missing. Run as root on Debian 12.
set -euo pipefail
packages=(
    cmake g++ make googletest libgtest-dev          # host tree and its tests
    libssl-dev                                      # the stand-in's password hashes (libcrypto)
    mingw-w64 g++-mingw-w64-x86-64-posix            # Windows tree
    wine wine64 xvfb xauth fonts-wqy-microhei       # running dbinstall.exe
    unixodbc unixodbc-dev tdsodbc freetds-bin       # ODBC to SQL Server, tsql
    imagemagick xdotool                             # screenshots of the windows
    python3-jsonschema                              # validating result documents
    ansible ansible-lint                            # checking the deployment recipes
)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
# Node.js may come from elsewhere with its own npm, which Debian's npm
# package conflicts with: only a machine without npm gets Debian's.
command -v npm >/dev/null 2>&1 || missing+=(nodejs npm)  # the tedious client tests
if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
