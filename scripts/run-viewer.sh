#!/usr/bin/env bash
# Installs what is missing, builds the guide viewer alone (the Windows program
# with its resources; no tests) and starts it under Wine on the sample pages in
# samples/PageData, in the language of the environment (LANG).
# Arguments are passed on to the viewer (e.g. -lang_id=0x0411).
#
# With a display (DISPLAY set) the viewer opens there and this script ends
# when it is closed. Without one it runs on a virtual display: the script
# saves a screenshot of the first page to build/run-viewer.png, closes the
# viewer and says where the picture is.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh viewer
scripts/build.sh viewer --target halvora-guide

program=build/viewer/program/halvora-guide.exe
screenshot=build/run-viewer.png
if [[ ! -f "$program" ]]; then
  echo "run-viewer: the guide viewer is not there yet: the build made no $program" >&2
  exit 1
fi

# The program takes a Windows path; Wine's drive Z: is the Linux root.
sample_root="Z:$(pwd -P)/samples/"
root_option="-root_dir=${sample_root//\//\\}"

if [[ -n "${DISPLAY:-}" ]]; then
  echo "run-viewer: starting the guide viewer on $DISPLAY"
  exec scripts/wine-run.sh "$program" "$root_option" "$@"
fi

work=$(mktemp -d)
xvfb_pid=""
viewer_pid=""
cleanup() {
  if [[ -n "$viewer_pid" ]]; then kill "$viewer_pid" 2>/dev/null || true; fi
  if [[ -n "$xvfb_pid" ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number and writes it to the given descriptor.
exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 5>&-
for _ in $(seq 100); do
  [[ -s "$work/display" ]] && break
  sleep 0.1
done
[[ -s "$work/display" ]] || { cat "$work/xvfb.log" >&2; echo "run-viewer: Xvfb did not start" >&2; exit 1; }
DISPLAY=":$(head -n 1 "$work/display")"
export DISPLAY

scripts/wine-run.sh "$program" "$root_option" "$@" >"$work/viewer.log" 2>&1 &
viewer_pid=$!
window=""
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --name Trevin 2>/dev/null | head -n 1 || true)
  [[ -n "$window" ]] && break
  if ! kill -0 "$viewer_pid" 2>/dev/null; then
    cat "$work/viewer.log" >&2
    echo "run-viewer: the guide viewer ended before its window appeared" >&2
    exit 1
  fi
  sleep 0.1
done
[[ -n "$window" ]] || { echo "run-viewer: the guide viewer showed no window within 30 s" >&2; exit 1; }
sleep 1  # let it paint the first page
caption=$(xdotool getwindowname "$window")
import -display "$DISPLAY" -window root "$screenshot"
xdotool key --window "$window" Escape
for _ in $(seq 100); do
  kill -0 "$viewer_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$viewer_pid" 2>/dev/null; then
  echo "run-viewer: the guide viewer did not close on Escape" >&2
  exit 1
fi
viewer_pid=""
echo "run-viewer: no display (DISPLAY is not set), so the guide viewer ran on a virtual one."
echo "run-viewer: \"$caption\" on the sample pages: its first page is in $screenshot."
echo "run-viewer: run this in a desktop session (or with X forwarding) to page through it yourself."
