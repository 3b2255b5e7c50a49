#!/usr/bin/env bash
# Installs, from Debian's packages only, what building, testing and packaging
# need, when something is missing. Run as root on Debian 12.
set -euo pipefail
packages=(
    cmake g++ make googletest libgtest-dev          # host tree and its tests
    libssl-dev                                      # the stand-in's password hashes (libcrypto)
    g++-mingw-w64-i686-posix mingw-w64-i686-dev     # Windows tree: the 32-bit program
    wine wine64 wine32:i386 xvfb xauth              # running it in 64-bit and 32-bit prefixes
    fonts-wqy-microhei                              # the forms' Chinese text
    unixodbc unixodbc-dev tdsodbc freetds-bin       # ODBC to SQL Server, tsql
    libodbc2:i386 tdsodbc:i386                      # the same for a 32-bit Wine process
    imagemagick xdotool                             # screenshots of the windows
    python3-jsonschema                              # validating result documents
    ansible ansible-lint                            # checking the deployment recipes
    git osslsigncode openssl                        # the package: its commit, signature, test certificates
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
    # A 32-bit Wine process loads the i386 builds of the host's libraries.
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
