# Cross toolchain for the shipping 32-bit Windows program.
set(triplet i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(compiler_package g++-mingw-w64-i686-posix)
set(binutils_package binutils-mingw-w64-i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
