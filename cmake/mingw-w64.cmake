# Toolchain for a Windows build of the engine and the terminal front end with MinGW-w64
# (x86_64-w64-mingw32, posix thread model), e.g. from Debian's g++-mingw-w64-x86-64-posix:
#
#   cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#     -DSCOURVANE_UI=OFF -DSCOURVANE_TESTS=OFF -DSCOURVANE_CLI11_INCLUDE_DIR=DIR
#
# where DIR holds CLI11's CLI/ folder and nothing else (CLI11 is header-only).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SCOURVANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SCOURVANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SCOURVANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${SCOURVANE_MINGW_TRIPLE}-windres)

# Headers, libraries and packages come from the MinGW tree only, never from the host's /usr.
set(CMAKE_FIND_ROOT_PATH /usr/${SCOURVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Link libstdc++, libgcc and winpthread statically: the .exe then needs no MinGW DLLs
# (and runs under Wine as it is).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
