#!/usr/bin/env bash
# Runs one fuzzer for a while from its seed folders, in a fresh working
# corpus. Any failure it finds fails the run; the input that caused it is
# kept in build/fuzz-findings/ to be added to the fuzzer's regression corpus
# (tests/fuzz/regressions/<target>/).
# Usage: run_fuzzer.sh FUZZER SECONDS DICTIONARY [SEED_FOLDER...]
set -euo pipefail
fuzzer=$1 seconds=$2 dictionary=$3
shift 3
findings=$(dirname "$fuzzer")/../../fuzz-findings/$(basename "$fuzzer")
mkdir -p "$findings"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$fuzzer" -max_total_time="$seconds" -dict="$dictionary" -rss_limit_mb=2560 -timeout=25 \
          -artifact_prefix="$findings/" -print_final_stats=1 "$work" "$@"
