#!/usr/bin/env bash
# The package tests' fixture: the commit checked out, cloned into two folders
# of different names and depths and packaged, unsigned, in each, as a release
# engineer would on a fresh clone. Each builds only the two programs (about
# a minute on two idle cores). The two packages are kept beside the clones,
# since the signing test packages the first clone again.
# Usage: make_two_packages.sh WORK_FOLDER
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
work=${1:?usage: make_two_packages.sh WORK_FOLDER}
commit=$(git -C "$top" rev-parse HEAD)

rm -rf "$work"
mkdir -p "$work"
for clone in first second/checked-out/elsewhere; do
    git clone --quiet --no-checkout "$top" "$work/$clone"
    git -C "$work/$clone" checkout --quiet --detach "$commit"
    log=$work/$(basename "$clone").log
    if ! (cd "$work/$clone" && scripts/package.sh) >"$log" 2>&1; then
        cat "$log"
        exit 1
    fi
done
cp "$work"/first/dist/*.zip "$work/first.zip"
cp "$work"/second/checked-out/elsewhere/dist/*.zip "$work/second.zip"
