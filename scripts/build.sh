#!/usr/bin/env bash
# Configures and builds one configuration in build/<configuration>:
#   native  Linux, GCC, optimised with debug information
#   asan    Linux, GCC, AddressSanitizer + UndefinedBehaviorSanitizer, assertions on
#   win64   Windows x86-64, cross-built with MinGW-w64 (tests run under Wine)
#   viewer  the Windows configuration without tests (README command 1)
#   fuzz    Linux, clang, the fuzz targets (libFuzzer, ASan, UBSan)
# Usage: scripts/build.sh CONFIGURATION [CMAKE-BUILD-ARGS...]
# With CI=true warnings are errors (HALVORA_WERROR).
set -euo pipefail
cd "$(dirname "$0")/.."

configuration=${1:?usage: scripts/build.sh native|asan|win64|viewer|fuzz [cmake --build arguments]}
shift

werror=OFF
if [[ "${CI:-}" == true ]]; then
  werror=ON
fi

case "$configuration" in
  # The configurations are the presets of CMakePresets.json: the asan one keeps
  # assertions on and builds with -O1, so the reports are exact and the
  # corpus runs fast.
  native|asan|win64|viewer|fuzz) ;;
  *) echo "build.sh: unknown configuration '$configuration' (native, asan, win64, viewer or fuzz)" >&2; exit 2 ;;
esac

cmake --preset "$configuration" -DHALVORA_WERROR=$werror
cmake --build "build/$configuration" -j "$(nproc)" "$@"
