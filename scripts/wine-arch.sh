# Sourced by the scripts that run the Windows programs: which Windows build
# this machine's Wine can run. The shipped program is 32-bit, and Wine runs a
# 32-bit program only where the kernel runs 32-bit Linux programs (IA32
# emulation). Some virtual machines' kernels do not: there only 64-bit Wine
# starts, and the tests and the demo run the x86-64 build of the same source
# (preset windows-x64), which says so.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    korvena_windows_preset=windows
else
    korvena_windows_preset=windows-x64
fi

# korvena_use_64bit_wine DIR: `wine` (and `wine-stable`, which Wine's own
# wineboot and reg start) in DIR, first in PATH, starts 64-bit Wine.
korvena_use_64bit_wine() {
    mkdir -p "$1"
    local name
    for name in wine wine-stable; do
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$1/$name"
        chmod +x "$1/$name"
    done
    export PATH="$1:$PATH" WINELOADER=/usr/lib/wine/wine64
}

korvena_windows_note() {
    if [ "$korvena_windows_preset" = windows-x64 ]; then
        echo "note: this machine cannot run 32-bit programs (no IA32 emulation in its kernel): the Windows" \
             "programs are tested as their x86-64 build (build/windows-x64); the 32-bit prefix and the PE" \
             "checks of the 32-bit files are skipped." >&2
    fi
}
