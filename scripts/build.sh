#!/usr/bin/env bash
# Configures and builds one configuration in build/<configuration>:
#   native  Linux, GCC, optimised with debug information
#   asan    Linux, GCC, AddressSanitizer + UndefinedBehaviorSanitizer, assertions on
#   win64   Windows x86-64, cross-built with MinGW-w64 (tests run under Wine)
# Usage: scripts/build.sh CONFIGURATION [CMAKE-BUILD-ARGS...]
# With CI=true warnings are errors (HALVORA_WERROR).
set -euo pipefail
cd "$(dirname "$0")/.."

configuration=${1:?usage: scripts/build.sh native|asan|win64 [cmake --build arguments]}
shift

werror=OFF
if [[ "${CI:-}" == true ]]; then
  werror=ON
fi

case "$configuration" in
  native) options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  # Assertions stay on; -O1 keeps the reports exact and the corpus runs fast.
  asan)   options=(-DCMAKE_BUILD_TYPE=Debug "-DCMAKE_C_FLAGS_DEBUG=-g -O1" "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1"
                   -DHALVORA_SANITIZE=ON) ;;
  win64)  options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake") ;;
  *) echo "build.sh: unknown configuration '$configuration' (native, asan or win64)" >&2; exit 2 ;;
esac

cmake -S . -B "build/$configuration" -G Ninja -DHALVORA_WERROR=$werror "${options[@]}"
cmake --build "build/$configuration" -j "$(nproc)" "$@"
