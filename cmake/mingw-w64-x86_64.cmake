# Cross-builds the 64-bit Windows console program with MinGW-w64 (the
# compilers of Debian's g++-mingw-w64-x86-64-posix, whose threads the string
# passes need):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ runtime and the thread library are linked in, so that the program
# runs alone on any 64-bit Windows. The 32-bit build is the one shipped;
# this one is for machines that cannot run 32-bit programs (and so not
# 32-bit Wine), where scripts/windows.sh tests the Windows code with it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# GoogleTest is not built for this target: the unit tests run natively, and
# the end-to-end suite runs the program from a native test build.
set(MAVO_TESTS OFF CACHE BOOL "Build the test suite" FORCE)
set(MAVO_BENCH OFF CACHE BOOL "Build the benchmark program" FORCE)
