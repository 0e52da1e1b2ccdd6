#!/usr/bin/env bash
# Runs a Windows program of this project under Wine; the cross build uses it as
# CMake's cross-compiling emulator, so CTest runs every .exe through it.
#
#   scripts/wine-run.sh PROGRAM.exe [ARGS...]   run it; its exit code is ours
#   scripts/wine-run.sh --init                  only prepare the Wine prefix
#
# The Wine prefix is throw-away and belongs to one build tree: <build>/wineprefix,
# where <build> is the nearest folder above the program (for --init: above the
# working directory) that holds CMakeCache.txt. HALVORA_WINEPREFIX overrides it;
# an inherited WINEPREFIX is ignored on purpose, so tests never touch a user's
# own prefix. The prefix is created once (wineboot -i), under a lock, by
# whichever call needs it first.
#
# Environment variables named HALVORA_* whose value is an absolute Linux path
# (HALVORA_TESTDATA_DIR, HALVORA_SOURCE_DIR, HALVORA_TRACE=/tmp/x.log) are
# handed to the program as the same path on Wine's drive Z:, which maps the
# Linux root, so the program can open them whatever its current drive is.
set -euo pipefail

die() { echo "wine-run.sh: $*" >&2; exit 125; }

find_wine_loader() {
  # Debian 12's wine64 package has the 64-bit loader here; /usr/bin/wine is a
  # wrapper that looks for a 32-bit Wine first.
  local candidate
  for candidate in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
    if [[ -n "$candidate" && -x "$candidate" ]]; then
      echo "$candidate"
      return
    fi
  done
  die "no Wine found (install the packages wine64 and wine)"
}

find_build_tree() {
  local dir
  dir=$(cd "$1" && pwd -P)
  while [[ "$dir" != / ]]; do
    if [[ -f "$dir/CMakeCache.txt" ]]; then
      echo "$dir"
      return
    fi
    dir=$(dirname "$dir")
  done
  die "no build tree (CMakeCache.txt) above $1; set HALVORA_WINEPREFIX"
}

# A prefix is usable once wineboot has finished and the wine server has
# written the registry; the marker file records exactly that.
# Wine has none of the fonts that Windows links behind Tahoma for Chinese,
# Japanese and Korean text, so those dialogs would show empty boxes. Link the
# WenQuanYi font (package fonts-wqy-microhei) behind the dialog fonts instead.
link_cjk_font() {
  local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
  local face
  for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2"; do
    "$WINELOADER" reg add "$key" /v "$face" /t REG_MULTI_SZ /d "wqy-microhei.ttc,WenQuanYi Micro Hei" /f \
      || return 1
  done
}

ensure_prefix() {
  local marker="$WINEPREFIX/.halvora-prefix-ready"
  [[ -f "$marker" ]] && return
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [[ ! -f "$marker" ]]; then
    local log="$WINEPREFIX.init.log"
    # No Mono or Gecko: the test programs need neither, and without a network
    # their installers would only stall.
    if ! WINEDLLOVERRIDES="mscoree,mshtml=" "$WINELOADER" wineboot -i >"$log" 2>&1 9>&- \
       || ! link_cjk_font >>"$log" 2>&1 9>&- \
       || ! "$WINESERVER_BIN" -w 9>&-; then
      cat "$log" >&2
      die "creating the Wine prefix $WINEPREFIX failed (see above); delete it and retry"
    fi
    touch "$marker"
  fi
  exec 9>&-
}

# When no wine server runs for the prefix, the next Wine program would start it
# together with the prefix's background programs (services.exe, explorer.exe,
# winedevice.exe, ...), and those outlive the program holding its standard
# output; CTest waits for that to close and times the test out. So the server
# and the background programs are started here, holding no one's output. The
# server stays 10 seconds after the last program, so consecutive tests share it.
# (Nothing started under the lock may inherit its descriptor: a server holding
# it would block every other test until the server ends.)
start_session() {
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if "$WINESERVER_BIN" -p10 </dev/null >/dev/null 2>&1 9>&-; then
    "$WINELOADER" wineboot </dev/null >/dev/null 2>&1 9>&- ||
      die "starting Wine in the prefix $WINEPREFIX failed"
  fi
  exec 9>&-
}

translate_paths_to_drive_z() {
  local name value
  while IFS= read -r name; do
    value=${!name}
    if [[ "$value" == /* ]]; then
      export "$name=Z:$value"
    fi
  done < <(compgen -e | grep '^HALVORA_' || true)
}

[[ $# -ge 1 ]] || die "usage: wine-run.sh PROGRAM.exe [ARGS...] | wine-run.sh --init"

WINELOADER=$(find_wine_loader)
WINESERVER_BIN="$(dirname "$WINELOADER")/wineserver64"
[[ -x "$WINESERVER_BIN" ]] || WINESERVER_BIN="$(dirname "$WINELOADER")/wineserver"
export WINELOADER
export WINEDEBUG=-all

if [[ "$1" == --init ]]; then
  start_dir=.
else
  start_dir=$(dirname "$1")
fi
WINEPREFIX=${HALVORA_WINEPREFIX:-"$(find_build_tree "$start_dir")/wineprefix"}
export WINEPREFIX
ensure_prefix
[[ "$1" == --init ]] && exit 0

start_session
translate_paths_to_drive_z
exec "$WINELOADER" "$@"
