#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test in the four
# configurations: native, asan (AddressSanitizer + UndefinedBehaviorSanitizer),
# win64 (the Windows build, its tests run under Wine) and fuzz (clang's
# libFuzzer runs each fuzz target for a short while). Every configuration
# is tried even when an earlier one fails; the last line says what passed, and
# the exit status is non-zero when anything failed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh

# The Windows tests get a virtual display, so a test may open a real window
# without a screen (and never on the developer's own).
run_ctest() {
  local configuration=$1
  local command=(ctest --test-dir "build/$configuration" --output-on-failure --no-tests=error
                 --timeout 300 -j "$(nproc)")
  if [[ "$configuration" == win64 ]]; then
    command=(xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" "${command[@]}")
  fi
  "${command[@]}"
}

summary=()
failed=0
started=$SECONDS
for configuration in native asan win64 fuzz; do
  echo "=== $configuration: build"
  if ! scripts/build.sh "$configuration"; then
    summary+=("$configuration BUILD FAILED")
    failed=1
    continue
  fi
  echo "=== $configuration: test"
  log="build/$configuration/test-all.log"
  if run_ctest "$configuration" 2>&1 | tee "$log"; then
    result=passed
  else
    result=FAILED
    failed=1
  fi
  # ctest's own count line, e.g. "92% tests passed, 1 tests failed out of 12"
  counts=$(sed -n 's/^[0-9]*% tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\)$/\1 \2/p' "$log")
  if [[ -n "$counts" ]]; then
    read -r failed_tests all_tests <<<"$counts"
    summary+=("$configuration $result, $((all_tests - failed_tests))/$all_tests tests passed")
  else
    summary+=("$configuration $result, no test count")
  fi
done

elapsed=$((SECONDS - started))
line=$(printf '%s; ' "${summary[@]}")
line=${line%; }
if [[ $failed -eq 0 ]]; then
  echo "test-all: ALL PASSED in ${elapsed}s: $line"
else
  echo "test-all: FAILED in ${elapsed}s: $line"
fi
exit $failed
