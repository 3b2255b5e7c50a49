#!/usr/bin/env bash
# Makes the release package dist/korvena-dbinstall-<version>.zip from the
# commit checked out: dbinstall.exe and dbinstall.com as the Windows tree builds
# (and scripts/test.sh tests) them, signed when a certificate is given, with an
# example dbinstall.ini, the operator's guide, the deployment recipes and the
# result document's schema, a build record and SHA256SUMS. The same commit
# gives the same bytes wherever it is built; only a signature differs.
#
# Usage: package.sh [--output FOLDER]   (dist by default)
# Environment, all optional:
#   KORVENA_SIGNING_PKCS12    a PKCS#12 file with the code-signing certificate and its key
#   KORVENA_SIGNING_PASSWORD  the file's password (read from here, never put on a command line)
#   KORVENA_TIMESTAMP_URL     an RFC 3161 timestamp server, so the signature outlives the certificate
#   SOURCE_DATE_EPOCH         the time the package's files carry; the commit's time when unset
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

fail() {
    echo "package.sh: $*" >&2
    exit 1
}

output=$top/dist
if [ "${1:-}" = "--output" ]; then
    output=${2:?usage: package.sh [--output FOLDER]}
    mkdir -p "$output"
    output=$(cd "$output" && pwd)
fi

signing_file=${KORVENA_SIGNING_PKCS12:-}
timestamp_url=${KORVENA_TIMESTAMP_URL:-}
if [ -n "$signing_file" ]; then
    [ -f "$signing_file" ] || fail "no certificate file \"$signing_file\" (KORVENA_SIGNING_PKCS12)"
    [ -n "${KORVENA_SIGNING_PASSWORD+set}" ] || fail "KORVENA_SIGNING_PKCS12 is set but KORVENA_SIGNING_PASSWORD is not"
    signing_file=$(realpath "$signing_file")
elif [ -n "$timestamp_url" ]; then
    fail "KORVENA_TIMESTAMP_URL is set but there is no certificate to sign with (KORVENA_SIGNING_PKCS12)"
fi
cd "$top"

scripts/install-deps.sh

# A package that cannot be traced to a commit proves nothing.
[ -z "$(git status --porcelain --untracked-files=no)" ] ||
    fail "the checkout has changes that are not committed; commit them first, a package is made from a commit"
commit=$(git rev-parse HEAD)
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct HEAD)}

cmake --preset windows >/dev/null
cmake --build --preset windows --target dbinstall dbinstall_console
built=build/windows/src
version=$(sed -n 's/^#define KORVENA_VERSION_TEXT "\(.*\)"$/\1/p' build/windows/src/generated/dbinstall_version.h)
[ -n "$version" ] || fail "no version in build/windows/src/generated/dbinstall_version.h"

name=korvena-dbinstall-$version
archive=$output/$name.zip
stage=build/package/$name
stripped=build/package/signature-removed
# A failed run must not leave an older package looking like its result.
rm -rf "$stage" "$stripped" "$archive"
mkdir -p "$stage" "$stripped" "$output"

programs=(dbinstall.exe dbinstall.com)
signing=(osslsigncode sign -pkcs12 "$signing_file" -readpass /dev/stdin -h sha256 -n "Korvena database installer")
[ -z "$timestamp_url" ] || signing+=(-ts "$timestamp_url")
for program in "${programs[@]}"; do
    if [ -z "$signing_file" ]; then
        cp "$built/$program" "$stage/$program"
        continue
    fi
    printf '%s' "$KORVENA_SIGNING_PASSWORD" | "${signing[@]}" -in "$built/$program" -out "$stage/$program" >/dev/null ||
        fail "signing $program failed (osslsigncode's reason above)"
    # The signature is all that signing may add to the tested program.
    osslsigncode remove-signature -in "$stage/$program" -out "$stripped/$program" >/dev/null
    cmp -s "$stripped/$program" "$built/$program" ||
        fail "$program with its signature removed is not the program that was built"
done

# dbinstall.exe reads its settings as GBK (code page 936), lines ended as Windows ends them.
iconv -f UTF-8 -t GBK package/dbinstall.ini | sed 's/$/\r/' >"$stage/dbinstall.ini"
cp package/operator-guide-zh-CN.html "$stage/"
git ls-files deploy | grep -v '/\.' | while read -r file; do
    mkdir -p "$stage/$(dirname "$file")"
    cp "$file" "$stage/$file"
done

tool_version() { dpkg-query -W -f='${Version}' "$1"; }
{
    echo "Korvena database installer $version"
    echo
    echo "Built from commit $commit"
    echo "  of $(git log -1 --format=%cI HEAD), SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH"
    echo "Toolchain (Debian 12): g++-mingw-w64-i686-posix $(tool_version g++-mingw-w64-i686-posix)," \
         "binutils-mingw-w64-i686 $(tool_version binutils-mingw-w64-i686)," \
         "mingw-w64-i686-dev $(tool_version mingw-w64-i686-dev)"
    echo
    echo "SHA-256 of the programs as built, without a signature; scripts/package.sh run on"
    echo "this commit with this toolchain builds the same bytes:"
    for program in "${programs[@]}"; do
        echo "  $(sha256sum "$built/$program" | cut -d' ' -f1)  $program"
    done
    echo
    if [ -n "$signing_file" ]; then
        if [ -n "$timestamp_url" ]; then
            echo "Signed: Authenticode, SHA-256 digest, timestamped by $timestamp_url."
        else
            echo "Signed: Authenticode, SHA-256 digest, not timestamped: the signature ends with the certificate."
        fi
        echo "Remove the signature (osslsigncode remove-signature) to compare a program with the hashes above."
    else
        echo "Not signed: Windows names no publisher when the programs ask for administrator"
        echo "rights, and SmartScreen may warn about a downloaded copy."
    fi
    echo
    echo "SHA256SUMS holds the SHA-256 of every other file of this package as shipped."
} | sed 's/$/\r/' >"$stage/BUILD-INFO.txt"

(cd "$stage" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort | xargs sha256sum) >"$stage/SHA256SUMS"
python3 scripts/zip-folder.py "$stage" "$archive"

echo "$archive  $(sha256sum "$archive" | cut -d' ' -f1)"
if [ -n "$signing_file" ]; then
    echo "signed${timestamp_url:+ and timestamped}"
else
    echo "NOT SIGNED: set KORVENA_SIGNING_PKCS12 and KORVENA_SIGNING_PASSWORD to sign" >&2
fi
