# Cross-compiles the Windows tree with mingw-w64 for 32-bit Windows (i686,
# posix threads): the shipped program is 32-bit, so it runs on the 32-bit
# Windows some store computers still have and, through WOW64, on 64-bit
# Windows. The executables, tests included, run under Wine.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(korvena_mingw_target i686-w64-mingw32)
find_program(WINE_PROGRAM wine REQUIRED)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
