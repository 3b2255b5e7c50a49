# What both Windows toolchains share: mingw-w64 with posix threads for
# `korvena_mingw_target` (set by the including toolchain file), the runtime
# linked in so the programs run alone, and Wine to run what is built.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${korvena_mingw_target}-gcc-posix)
set(CMAKE_CXX_COMPILER ${korvena_mingw_target}-g++-posix)
set(CMAKE_RC_COMPILER ${korvena_mingw_target}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${korvena_mingw_target})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_PROGRAM})

# The runtime libraries are linked in, so dbinstall.exe runs alone.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
