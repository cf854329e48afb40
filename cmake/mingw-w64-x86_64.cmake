# Cross-builds the Windows programs with Debian's MinGW-w64 (the posix thread
# model, which GoogleTest needs for its threads) and runs them under Wine.
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DQUELBRIN_WINDOWS_DEPS=DIR ...
# QUELBRIN_WINDOWS_DEPS is a prefix holding the cross-built GoogleTest.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_AR ${triple}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${triple}-gcc-ranlib-posix CACHE FILEPATH "")

# Libraries, headers and packages come from the target's tree only, never from
# the build machine's /usr.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUELBRIN_WINDOWS_DEPS QUELBRIN_WINEPREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/${triple} ${QUELBRIN_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests and test discovery run the programs under Wine, in a prefix of their
# own (QUELBRIN_WINEPREFIX, by default one in the build tree), without Wine's
# own diagnostics mixed into what the programs print.
find_program(QUELBRIN_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(QUELBRIN_WINE)
  if(NOT QUELBRIN_WINEPREFIX)
    set(QUELBRIN_WINEPREFIX "${CMAKE_BINARY_DIR}/wine")
  endif()
  set(CMAKE_CROSSCOMPILING_EMULATOR env WINEPREFIX=${QUELBRIN_WINEPREFIX} WINEDEBUG=-all ${QUELBRIN_WINE})
endif()
