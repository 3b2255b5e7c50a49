#!/usr/bin/env bash
# The same commit, built and packaged in two folders, gave the same bytes; the
# package holds what it should, unsigned and saying so; and its programs are
# the ones the test command tested when this checkout is that commit.
# Usage: same_bytes_test.sh WORK_FOLDER (made by make_two_packages.sh)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
work=${1:?usage: same_bytes_test.sh WORK_FOLDER}
source "$top/tests/package/package_checks.sh"

cmp "$work/first.zip" "$work/second.zip" || fail "the two packages of the same commit differ"
first=$(cat "$work/first.folder")
for program in dbinstall.exe dbinstall.com; do
    cmp "$first/build/windows/src/$program" "$work/second/checked-out/elsewhere/build/windows/src/$program" ||
        fail "the two builds of $program differ"
done

unpacked=$(unpack "$work/first.zip" "$work/unsigned")
expect_files "$unpacked" \
    BUILD-INFO.txt SHA256SUMS dbinstall.com dbinstall.exe dbinstall.ini \
    deploy/ansible/group_vars/stores/vault.yml.example deploy/ansible/install-korvena-database.yml \
    deploy/ansible/inventory.example.yml deploy/dbinstall-result.schema.json deploy/intune/README.md \
    deploy/intune/install.cmd deploy/summarize-checks.py operator-guide-zh-CN.html
expect_sums_hold "$unpacked"
expect_build_info "$unpacked" "Built from commit $(git -C "$top" rev-parse HEAD)" "Not signed:"
if osslsigncode verify -in "$unpacked/dbinstall.exe" >/dev/null 2>&1; then
    fail "an unsigned package holds a signed dbinstall.exe"
fi

if [ -z "$(git -C "$top" status --porcelain --untracked-files=no)" ]; then
    for program in dbinstall.exe dbinstall.com; do
        cmp "$unpacked/$program" "$top/build/windows/src/$program" ||
            fail "the packaged $program is not the one build/windows built and the tests ran"
    done
else
    echo "not compared with build/windows: this checkout has changes that are not committed"
fi
echo "the same bytes from both folders"
