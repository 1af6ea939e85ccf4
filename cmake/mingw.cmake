# Shared by the toolchain files, which set `triplet`, the package names and
# CMAKE_SYSTEM_PROCESSOR first.
# The -posix compilers are required: Debian's default MinGW ones use the win32
# thread model, whose libstdc++ has no std::thread or std::mutex.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER ${triplet}-gcc-posix)
find_program(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
find_program(CMAKE_RC_COMPILER ${triplet}-windres)
if(NOT CMAKE_CXX_COMPILER OR NOT CMAKE_C_COMPILER OR NOT CMAKE_RC_COMPILER)
  message(FATAL_ERROR "${triplet}: cross compiler not found; install ${compiler_package} "
                      "and ${binutils_package} (scripts/test does so on Debian)")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
