# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (POSIX threads,
# so that std::thread and std::mutex work), e.g.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# scripts/build-windows sets this up, with the libraries built for Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KORVAN_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KORVAN_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORVAN_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KORVAN_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KORVAN_MINGW_TRIPLET} ${KORVAN_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tests run under Wine, as on a Chinese Windows.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/windows/wine-run)
# One file with no DLL beside it: zlib is linked in as well.
set(ZLIB_USE_STATIC_LIBS ON)
