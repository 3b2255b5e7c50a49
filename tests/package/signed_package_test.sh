#!/usr/bin/env bash
# The package signed with a throw-away certificate and timestamped by a
# loopback timestamp server: osslsigncode verifies both programs against the
# test's certificate authority and the timestamp against its timestamping
# certificate; the signature is all that differs from the unsigned package;
# the signed files pass the PE checks and run under Wine. A wrong password
# ends the packaging with no package at all.
# Usage: signed_package_test.sh WORK_FOLDER WINDOWS_BUILD_TREE (in a test session)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
work=${1:?usage: signed_package_test.sh WORK_FOLDER WINDOWS_BUILD_TREE}
windows_build=${2:?usage: signed_package_test.sh WORK_FOLDER WINDOWS_BUILD_TREE}
source "$top/tests/package/package_checks.sh"
[ -n "${WINEPREFIX:-}" ] || fail "run inside scripts/test-session.sh: the signed programs are run under Wine"

keys=$work/keys
rm -rf "$keys"
mkdir -p "$keys"
make_certificate() {  # NAME SUBJECT EXTENSIONS... (signed by the test authority unless NAME is ca)
    local issuer=()
    [ "$1" = ca ] || issuer=(-CA "$keys/ca.pem" -CAkey "$keys/ca.key")
    openssl req -new -newkey rsa:2048 -nodes -keyout "$keys/$1.key" -subj "$2" -out "$keys/$1.csr" 2>/dev/null
    local extensions=$keys/$1.ext
    printf '%s\n' "${@:3}" >"$extensions"
    if [ "$1" = ca ]; then
        openssl x509 -req -in "$keys/$1.csr" -signkey "$keys/$1.key" -days 2 -extfile "$extensions" -out "$keys/$1.pem" 2>/dev/null
    else
        openssl x509 -req -in "$keys/$1.csr" "${issuer[@]}" -CAcreateserial -days 2 -extfile "$extensions" -out "$keys/$1.pem" 2>/dev/null
    fi
}
make_certificate ca "/CN=Korvena Test Root" "basicConstraints=critical,CA:true" "keyUsage=critical,keyCertSign,cRLSign"
make_certificate signer "/CN=Korvena Test Code Signing/O=Korvena" "keyUsage=critical,digitalSignature" \
    "extendedKeyUsage=codeSigning"
make_certificate tsa "/CN=Korvena Test Timestamps" "keyUsage=critical,digitalSignature" \
    "extendedKeyUsage=critical,timeStamping"
password='p&ss;"word'
openssl pkcs12 -export -inkey "$keys/signer.key" -in "$keys/signer.pem" -certfile "$keys/ca.pem" \
    -out "$keys/signer.p12" -passout "pass:$password"

"$top/tests/package/timestamp_server.py" "$keys/tsa.pem" "$keys/tsa.key" "$keys" >"$keys/tsa.url" &
tsa_pid=$!
trap 'kill "$tsa_pid" 2>/dev/null; wait "$tsa_pid" 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -s "$keys/tsa.url" ] && break; sleep 0.1; done
tsa_url=$(cat "$keys/tsa.url")
[ -n "$tsa_url" ] || fail "the timestamp server did not start"

clone=$work/first
package() {  # PASSWORD
    (cd "$clone" && KORVENA_SIGNING_PKCS12=$keys/signer.p12 KORVENA_SIGNING_PASSWORD=$1 \
        KORVENA_TIMESTAMP_URL=$tsa_url scripts/package.sh)
}
package "$password" >"$work/signed.log" 2>&1 || { cat "$work/signed.log"; fail "the signed package was not made"; }
signed=$(unpack "$clone"/dist/*.zip "$work/signed")
unsigned=$(unpack "$work/first.zip" "$work/unsigned-again")

for program in dbinstall.exe dbinstall.com; do
    verified=$(osslsigncode verify -in "$signed/$program" -CAfile "$keys/ca.pem" -TSA-CAfile "$keys/ca.pem" 2>&1) ||
        fail "the signature of $program does not verify:"$'\n'"$verified"
    for line in "Message digest algorithm: SHA256" "Subject: /CN=Korvena Test Code Signing/O=Korvena" \
        "Timestamp Server Signature verification: ok" "Signature verification: ok"; do
        grep -qF "$line" <<<"$verified" || fail "osslsigncode verify does not say \"$line\" of $program:"$'\n'"$verified"
    done
    rm -f "$work/$program.stripped"
    osslsigncode remove-signature -in "$signed/$program" -out "$work/$program.stripped" >/dev/null
    cmp "$work/$program.stripped" "$unsigned/$program" || fail "signing changed more of $program than its signature"
done
expect_sums_hold "$signed"
expect_build_info "$signed" "Signed: Authenticode, SHA-256 digest, timestamped by $tsa_url"
for file in BUILD-INFO.txt SHA256SUMS; do
    ! cmp -s "$signed/$file" "$unsigned/$file" || fail "$file is the unsigned package's"
done

KORVENA_PROGRAM_FOLDER="Z:$signed" wine "$windows_build/tests/unit/program/program_files_test.exe" >"$work/pe.log" 2>&1 ||
    { cat "$work/pe.log"; fail "the signed programs fail the PE checks"; }
version=$(wine "$signed/dbinstall.com" --version 2>&1 | tr -d '\r')
[[ "$version" == "dbinstall "* ]] || fail "the signed dbinstall.com does not run: $version"

if package "wrong password" >"$work/refused.log" 2>&1; then
    fail "a wrong certificate password made a package"
fi
grep -qF "package.sh: signing dbinstall.exe failed" "$work/refused.log" || { cat "$work/refused.log"; fail "no reason given"; }
! ls "$clone"/dist/*.zip >/dev/null 2>&1 || fail "a failed signing left a package in dist/"
echo "signed, timestamped and verified"
