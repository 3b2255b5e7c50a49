# The checks both package tests make on an unpacked package; sourced.

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# Unpacks ZIP into FOLDER and prints the package's own folder in it.
unpack() {
    rm -rf "$2"
    mkdir -p "$2"
    python3 -m zipfile -e "$1" "$2"
    local inside=("$2"/*)
    [ ${#inside[@]} -eq 1 ] && [ -d "${inside[0]}" ] || fail "$1 does not hold exactly one folder"
    echo "${inside[0]}"
}

# The package holds exactly these files.
expect_files() {
    local folder=$1
    shift
    local expected found
    expected=$(printf '%s\n' "$@" | LC_ALL=C sort)
    found=$(cd "$folder" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
    [ "$found" = "$expected" ] || fail "the package holds"$'\n'"$found"$'\n'"instead of"$'\n'"$expected"
}

# SHA256SUMS names every other file of the package, with its hash as shipped.
expect_sums_hold() {
    local listed present
    (cd "$1" && sha256sum --check --quiet --strict SHA256SUMS) || fail "SHA256SUMS does not match the files"
    listed=$(cut -d' ' -f3- "$1/SHA256SUMS" | LC_ALL=C sort)
    present=$(cd "$1" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort)
    [ "$listed" = "$present" ] || fail "SHA256SUMS does not list every file of the package"
}

# BUILD-INFO.txt holds each of the given texts.
expect_build_info() {
    local folder=$1
    shift
    for text in "$@"; do
        grep -qF "$text" "$folder/BUILD-INFO.txt" || fail "BUILD-INFO.txt does not say \"$text\""$'\n'"$(cat "$folder/BUILD-INFO.txt")"
    done
}
