#!/usr/bin/env bash
# End-to-end tests of the guide viewer: the real Windows program under Wine on a
# virtual display, driven with keys as a person would, checked by what shows.
#
#   viewer_e2e.sh PROGRAM.exe CASE
#
# Each case makes its own page folder of flat-coloured pages, starts the
# program with -root_dir= and -lang_id=, and probes pixels of screenshots.
set -euo pipefail

exe=$1
case_name=$2
here=$(cd "$(dirname "$0")" && pwd)
wine_run="$here/../../scripts/wine-run.sh"
work=$(mktemp -d /tmp/halvora-e2e.XXXXXX)
xvfb_pid=""
program_pid=""

cleanup() {
  [[ -n "$program_pid" ]] && kill "$program_pid" 2>/dev/null || true
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL [$case_name]: $*" >&2
  exit 1
}

start_display() {
  exec 5> >(cat >"$work/display")
  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [[ -s "$work/display" ]] && break
    sleep 0.1
  done
  [[ -s "$work/display" ]] || fail "Xvfb did not start"
  export DISPLAY=":$(head -n1 "$work/display")"
}

# A page: LANG NAME COLOUR. A flat-coloured picture of an ImageMagick colour,
# or with COLOUR "corrupt" a file that starts like a JPEG and is not one.
make_page() {
  local language=$1 name=$2 colour=$3
  local path="$work/root/PageData/$language/$name"
  mkdir -p "$(dirname "$path")"
  if [[ "$colour" == corrupt ]]; then
    printf '\xff\xd8\xff\xdb\x00\x43 this is not a picture' >"$path"
    return
  fi
  case "$name" in
    *.bmp|*.BMP) convert -size 160x100 "xc:$colour" -type truecolor "BMP3:$path" ;;
    *.jpg|*.JPG) convert -size 160x100 "xc:$colour" -quality 95 "$path" ;;
    *) printf 'notes' >"$path" ;;
  esac
}

windows_path() {
  local path=${1//\//\\}
  echo "Z:$path"
}

start_viewer() {
  local language=$1
  HALVORA_TRACE="$work/trace.txt" "$wine_run" "$exe" "-root_dir=$(windows_path "$work/root/")" \
    "-lang_id=$language" >"$work/program.log" 2>&1 &
  program_pid=$!
  window=""
  for _ in $(seq 300); do
    window=$(xdotool search --name "Trevin" 2>/dev/null | head -n1 || true)
    [[ -n "$window" ]] && break
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended before its window appeared"
    sleep 0.1
  done
  [[ -n "$window" ]] || fail "no window"
  sleep 1
}

# Window geometry in pixels: sets win_x, win_y, win_w, win_h.
read_geometry() {
  local WINDOW X Y WIDTH HEIGHT SCREEN
  eval "$(xdotool getwindowgeometry --shell "$window")"
  win_x=$X win_y=$Y win_w=$WIDTH win_h=$HEIGHT
}

shoot() {
  import -display "$DISPLAY" -window root "$work/shot.png"
}

# The colour at a point of the window, as ImageMagick names it (srgb(r,g,b)).
colour_at() {
  convert "$work/shot.png" -format "%[pixel:p{$((win_x + $1)),$((win_y + $2))}]" info:
}

# Distinct colours in a rectangle of the window (1: nothing drawn there).
colours_in() {
  convert "$work/shot.png" -crop "${3}x${4}+$((win_x + $1))+$((win_y + $2))" +repage -format %k info:
}

# True when the frame's colour is within a few levels of `want` per channel:
# JPEG pages decode flat colours to nearly, not exactly, their values.
frame_is() {
  local want=$1
  shoot
  read_geometry
  frame_colour=$(colour_at $((win_w / 2)) $((win_h / 3)))
  local -a g w
  IFS=',' read -r -a g <<<"$(tr -dc '0-9,' <<<"$frame_colour")"
  IFS=',' read -r -a w <<<"$(tr -dc '0-9,' <<<"$want")"
  for i in 0 1 2; do
    local d=$((g[i] - w[i]))
    ((d >= -6 && d <= 6)) || return 1
  done
}

# The program paints in its own time: look again for a while before failing.
expect_frame() {
  for _ in $(seq 40); do
    frame_is "$1" && return
    sleep 0.25
  done
  fail "frame shows $frame_colour, expected $1"
}

# "< Previous" lies at 225..275 x 262..276 dialog units (1033 layout); a dialog
# unit is win_w/400 pixels across and win_h/283 down.
previous_button_shown() {
  shoot
  read_geometry
  local n
  n=$(colours_in $((225 * win_w / 400 + 2)) $((262 * win_h / 283 + 2)) $((46 * win_w / 400)) $((10 * win_h / 283)))
  [[ "$n" -gt 1 ]]
}

press() {
  xdotool key --window "$window" "$@"
  sleep 0.3
}

expect_ended() {
  for _ in $(seq 100); do
    if ! kill -0 "$program_pid" 2>/dev/null; then
      program_pid=""
      [[ -z "$(xdotool search --name Trevin 2>/dev/null || true)" ]] || fail "window still there"
      return
    fi
    sleep 0.1
  done
  fail "the program did not end"
}

red=srgb\(255,0,0\)
blue=srgb\(0,0,255\)
green=srgb\(0,128,0\)

start_display
case "$case_name" in
  paging)
    make_page 0x0409 a.bmp red
    make_page 0x0409 b.jpg blue
    make_page 0x0409 c.bmp green
    start_viewer 0x0409
    expect_frame "$red"
    previous_button_shown && fail "< Previous is shown on the first page"
    press Tab space            # focus starts on Exit; Tab reaches Next
    expect_frame "$blue"
    previous_button_shown || fail "< Previous is hidden on page 2"
    press space
    expect_frame "$green"
    press space                # Finish
    expect_ended
    ;;
  exit-and-escape)
    make_page 0x0409 a.bmp red
    make_page 0x0409 b.bmp blue
    start_viewer 0x0409
    expect_frame "$red"
    press Tab space
    expect_frame "$blue"
    press Escape
    expect_ended
    start_viewer 0x0409
    expect_frame "$red"
    press space                # the focus is on Exit
    expect_ended
    ;;
  no-pages)
    mkdir -p "$work/root"
    start_viewer 0x0409
    shoot
    read_geometry
    [[ $(colours_in 4 4 $((win_w - 8)) $((win_h / 2))) -eq 1 ]] || fail "the frame is not empty"
    press space
    expect_ended
    ;;
  japanese)
    make_page 0x0409 a.bmp red
    make_page 0x0411 a.bmp red
    start_viewer 0x0409
    expect_frame "$red"
    english_width=$win_w
    press Escape
    expect_ended
    start_viewer 0x0411
    read_geometry
    [[ "$(xdotool getwindowname "$window")" == "Trevinのインストールに関する指示" ]] ||
      fail "caption: $(xdotool getwindowname "$window")"
    # 411 against 400 dialog units.
    [[ $((win_w * 400)) -gt $((english_width * 405)) ]] || fail "width $win_w is not wider than $english_width"
    expect_frame "$red"
    press Escape
    expect_ended
    ;;
  corrupt-page-and-trace)
    make_page 0x0409 a.bmp red
    make_page 0x0409 b.jpg corrupt
    make_page 0x0409 notes.txt -
    make_page 0x0409 c.bmp blue
    start_viewer 0x0409
    expect_frame "$red"
    press Tab space            # to the corrupt page
    sleep 0.5
    press space                # and past it
    expect_frame "$blue"
    grep -q "Reach last file!" "$work/trace.txt" || fail "no 'Reach last file!' in the trace"
    # The trace lists what the enumeration delivered, in its order, and the
    # pages shown follow that order.
    found=$(sed -n 's/^Find file = \(.*\)\.$/\1/p' "$work/trace.txt" | grep -E '\.(bmp|jpg)$' | tr '\n' ' ')
    shown=$(sed -n 's/^File .*\\\([^\\]*\): width.*/\1/p' "$work/trace.txt" | tr '\n' ' ')
    [[ "$found" == "a.bmp b.jpg c.bmp " ]] || fail "pages found: $found"
    [[ "$shown" == "$found" ]] || fail "pages shown: $shown"
    press space
    expect_ended
    ;;
  *)
    fail "unknown case"
    ;;
esac
echo "PASS [$case_name]"
