# Cross-builds the Windows programs on Debian with mingw-w64 (package g++-mingw-w64-x86-64-posix):
# 64-bit Windows executables with the C and C++ runtimes linked in, so that shift-loom.exe and
# shift-loom-store.exe need no DLL beside them. Tests run under wine (see cmake/wine-run.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_shiftloom_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_shiftloom_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_shiftloom_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_shiftloom_mingw}-windres)
set(CMAKE_AR ${_shiftloom_mingw}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${_shiftloom_mingw}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${_shiftloom_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runtime (libgcc, libstdc++, winpthread) linked statically.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Programs built here (tests, test discovery) run under wine, in a prefix of the build tree made
# when first needed; remove build/<preset>/wineprefix for a fresh one.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../wine-run.sh ${CMAKE_BINARY_DIR}/wineprefix)
