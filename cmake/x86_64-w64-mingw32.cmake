# Cross toolchain for the 64-bit Windows build that the tests run under wine64.
set(triplet x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(compiler_package g++-mingw-w64-x86-64-posix)
set(binutils_package binutils-mingw-w64-x86-64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
