# Cross-build for 64-bit Windows with MinGW-w64:
#   cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# The -posix compilers use the winpthreads threading model; the -win32 ones
# lack std::mutex and std::thread, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(HALVORA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${HALVORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HALVORA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${HALVORA_MINGW_TRIPLE}-windres)

# Headers and libraries come from the MinGW-w64 sysroot only, never from the
# Linux host; programs (code generators, the emulator) are host programs.
set(CMAKE_FIND_ROOT_PATH /usr/${HALVORA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every .exe that CTest (or a custom command) runs goes through Wine. The
# wrapper keeps a throw-away Wine prefix inside the build tree; see
# scripts/wine-run.sh and cmake/HalvoraTesting.cmake.
get_filename_component(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh ABSOLUTE)
