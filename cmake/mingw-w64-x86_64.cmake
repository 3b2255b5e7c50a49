# Cross-compiles the Windows tree for x86-64, for test machines whose kernel
# cannot run 32-bit programs and so has only 64-bit Wine: the tests then run
# this build of the same source (scripts/wine-arch.sh). What ships is the
# i686 build.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(korvena_mingw_target x86_64-w64-mingw32)
find_program(WINE_PROGRAM wine64 PATHS /usr/lib/wine REQUIRED)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
