#!/usr/bin/env bash
# The package tests' fixture: the commit checked out, built and packaged,
# unsigned, in two folders. When this checkout has no uncommitted changes it
# is the first folder, whose programs the test command has just built and
# tested, so that only the second, a fresh clone elsewhere, builds the two
# programs (about a minute on two idle cores). Otherwise two fresh clones
# build. The packages are kept in WORK_FOLDER as first.zip and second.zip,
# and first.folder names the first folder.
# Usage: make_two_packages.sh WORK_FOLDER
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
work=${1:?usage: make_two_packages.sh WORK_FOLDER}
commit=$(git -C "$top" rev-parse HEAD)

rm -rf "$work"
mkdir -p "$work"

clone() {
    git clone --quiet --no-checkout "$top" "$1"
    git -C "$1" checkout --quiet --detach "$commit"
}

package_in() {  # FOLDER NAME
    if ! "$1/scripts/package.sh" --output "$work/$2" >"$work/$2.log" 2>&1; then
        cat "$work/$2.log"
        exit 1
    fi
    mv "$work/$2"/*.zip "$work/$2.zip"
}

first=$top
if [ -n "$(git -C "$top" status --porcelain --untracked-files=no)" ]; then
    first=$work/first
    clone "$first"
fi
second=$work/second/checked-out/elsewhere
clone "$second"
echo "$first" >"$work/first.folder"
package_in "$first" first
package_in "$second" second
