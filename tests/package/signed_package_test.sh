#!/usr/bin/env bash
# The fixture's fresh clone packaged again, signed with a throw-away
# certificate and timestamped by a loopback timestamp server: osslsigncode
# verifies both programs and their timestamps against the test's certificate
# authority; the signature is all that differs from the unsigned package; the
# signed files pass the PE checks and run under Wine. A wrong password ends
# the packaging with no package at all.
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
make_certificate() {  # NAME SUBJECT EXTENSIONS... (signed by the test authority, which signs itself)
    local issuer=(-CA "$keys/ca.pem" -CAkey "$keys/ca.key" -CAcreateserial)
    [ "$1" != ca ] || issuer=(-signkey "$keys/ca.key")
    printf '%s\n' "${@:3}" >"$keys/$1.ext"
    openssl req -new -newkey rsa:2048 -nodes -keyout "$keys/$1.key" -subj "$2" -out "$keys/$1.csr" 2>/dev/null
    openssl x509 -req -in "$keys/$1.csr" "${issuer[@]}" -days 2 -extfile "$keys/$1.ext" -out "$keys/$1.pem" 2>/dev/null
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

clone=$work/second/checked-out/elsewhere
signed_packages=$work/signed-packages
package() {  # PASSWORD
    KORVENA_SIGNING_PKCS12=$keys/signer.p12 KORVENA_SIGNING_PASSWORD=$1 KORVENA_TIMESTAMP_URL=$tsa_url \
        "$clone/scripts/package.sh" --output "$signed_packages"
}
package "$password" >"$work/signed.log" 2>&1 || { cat "$work/signed.log"; fail "the signed package was not made"; }
signed=$(unpack "$signed_packages"/*.zip "$work/signed")
unsigned=$(unpack "$work/second.zip" "$work/unsigned-again")

for program in dbinstall.exe dbinstall.com; do
    verified=$(osslsigncode verify -in "$signed/$program" -CAfile "$keys/ca.pem" -TSA-CAfile "$keys/ca.pem" 2>&1) ||
        fail "the signature of $program does not verify:"$'\n'"$verified"
    # The timestamp server signs with SHA-384, so that only the signature's own digest is SHA-256.
    for line in "Message digest algorithm *: SHA256" "Subject: /CN=Korvena Test Code Signing/O=Korvena" \
        "Timestamp Server Signature verification: ok" "^Signature verification: ok"; do
        grep -qE "$line" <<<"$verified" || fail "osslsigncode verify does not say \"$line\" of $program:"$'\n'"$verified"
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

source "$(dirname "$0")/../../scripts/wine-arch.sh"
if [ "$korvena_windows_preset" = windows ]; then
    KORVENA_PROGRAM_FOLDER="Z:$signed" wine "$windows_build/tests/unit/program/program_files_test.exe" >"$work/pe.log" 2>&1 ||
        { cat "$work/pe.log"; fail "the signed programs fail the PE checks"; }
    version=$(wine "$signed/dbinstall.com" --version 2>&1 | tr -d '\r')
    [[ "$version" == "dbinstall "* ]] || fail "the signed dbinstall.com does not run: $version"
else
    echo "this machine cannot run 32-bit programs: the signed programs' PE checks and --version are skipped"
fi

if package "wrong password" >"$work/refused.log" 2>&1; then
    fail "a wrong certificate password made a package"
fi
grep -qF "package.sh: signing dbinstall.exe failed" "$work/refused.log" || { cat "$work/refused.log"; fail "no reason given"; }
! ls "$signed_packages"/*.zip >/dev/null 2>&1 || fail "a failed signing left a package behind"
echo "signed, timestamped and verified"
