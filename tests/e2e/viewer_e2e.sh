#!/usr/bin/env bash
# End-to-end tests of the guide viewer: the real Windows program under Wine on a
# virtual display, driven with keys as a person would, checked by what shows.
#
#   viewer_e2e.sh PROGRAM.exe CASE [CASE ARGUMENTS...]
#
# Each case makes its own page folder of flat-coloured pages, starts the
# program with -root_dir= and -lang_id=, and probes pixels of screenshots.
# With HALVORA_E2E_SHOTS naming a folder, a case that says so leaves its
# screenshot there.
set -euo pipefail

exe=$1
case_name=$2
shift 2
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
  # Only Xvfb keeps the pipe. A Wine server that a case starts would inherit
  # it otherwise, and the reader behind it holds this test's output open, so
  # CTest would wait for whichever Wine server the case started to end.
  exec 5>&-
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

# Starts the program and waits for its window. Under load, Wine now and then
# ends a program as it starts (seen once in CI: gone within half a second, no
# window); one more start tells that apart from a program that cannot start,
# which ends the same way twice. Either failure shows what the program said.
start_viewer() {
  local language=$1 attempt
  for attempt in 1 2; do
    HALVORA_TRACE="$work/trace.txt" "$wine_run" "$exe" "-root_dir=$(windows_path "$work/root/")" \
      "-lang_id=$language" >"$work/program.log" 2>&1 &
    program_pid=$!
    wait_for_window && return
    if kill -0 "$program_pid" 2>/dev/null; then
      cat "$work/program.log" >&2
      fail "no window within 30 seconds"
    fi
    echo "the program ended before its window appeared (start $attempt); it said:" >&2
    cat "$work/program.log" >&2
  done
  fail "the program ended before its window appeared"
}

# True once the program's window shows (window: its id); false if the program
# ends first or shows nothing within 30 seconds.
wait_for_window() {
  window=""
  for _ in $(seq 300); do
    window=$(xdotool search --name "Trevin" 2>/dev/null | head -n1 || true)
    if [[ -n "$window" ]]; then
      sleep 1
      return 0
    fi
    kill -0 "$program_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
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

# True when colour `got` is within a few levels of `want` per channel: JPEG
# pages decode flat colours to nearly, not exactly, their values.
colour_near() {
  local -a g w
  IFS=',' read -r -a g <<<"$(tr -dc '0-9,' <<<"$1")"
  IFS=',' read -r -a w <<<"$(tr -dc '0-9,' <<<"$2")"
  for i in 0 1 2; do
    local d=$((g[i] - w[i]))
    ((d >= -6 && d <= 6)) || return 1
  done
}

frame_is() {
  shoot
  read_geometry
  frame_colour=$(colour_at $((win_w / 2)) $((win_h / 3)))
  colour_near "$frame_colour" "$1"
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

# A dialog unit is win_w/400 pixels across and win_h/283 down (the 1033 layout).
click_at_dialog_units() {
  xdotool mousemove --window "$window" $(($1 * win_w / 400)) $(($2 * win_h / 283)) click 1
  sleep 0.3
}

# True when A is within TOLERANCE of B.
within() {
  local d=$(($1 - $2))
  ((d >= -$3 && d <= $3))
}

save_shot() {
  [[ -n "${HALVORA_E2E_SHOTS:-}" ]] || return 0
  convert "$work/shot.png" -crop "${win_w}x${win_h}+${win_x}+${win_y}" +repage "$HALVORA_E2E_SHOTS/$1.png"
}

press() {
  xdotool key --window "$window" "$@"
  sleep 0.3
}

# Sets exit_status to the program's.
expect_ended() {
  for _ in $(seq 100); do
    if ! kill -0 "$program_pid" 2>/dev/null; then
      exit_status=0
      wait "$program_pid" || exit_status=$?
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
  planted-libraries)
    # $1: a library that ends any process loading it (planted_library.c);
    # $2: a program that loads a library by name (load_library_by_name.c);
    # $3: the build tree's Wine prefix, which the copies run in.
    # Planted beside a copy of the program under the name of each library it
    # loads at run time, with Wine told to prefer a library found on the
    # search path to its own, as Windows does. The other library the program
    # loads at run time, advapi32, is one of the KnownDLLs, which Windows
    # maps from the system folder alone; Wine does not, so a planted copy
    # would end every program under Wine before its first line.
    planted=(msvfw32)
    export HALVORA_WINEPREFIX=$3
    app="$work/app"
    mkdir -p "$app"
    cp "$exe" "$1" "$2" "$app/"
    exe="$app/$(basename "$exe")"
    for name in "${planted[@]}"; do cp "$1" "$app/$name.dll"; done
    export WINEDLLOVERRIDES
    WINEDLLOVERRIDES=$(printf '%s=n,b;' "${planted[@]}")
    for name in "${planted[@]}"; do
      status=0
      "$wine_run" "$app/$(basename "$2")" "$name.dll" >/dev/null 2>&1 || status=$?
      [[ $status -eq 77 && -e "$app/$name.dll.loaded" ]] ||
        fail "a planted $name.dll is not loaded by name (status $status)"
      rm "$app/$name.dll.loaded"
    done
    make_page 0x0409 a.bmp red
    start_viewer 0x0409
    expect_frame "$red"
    press space                # the focus is on Exit
    expect_ended
    [[ $exit_status -eq 0 ]] || fail "the program ended with status $exit_status"
    for name in "${planted[@]}"; do
      [[ ! -e "$app/$name.dll.loaded" ]] || fail "the planted $name.dll was loaded"
    done
    # Without the drawing library the dialog still runs, and the trace says why
    # no page shows.
    WINEDLLOVERRIDES="msvfw32="
    start_viewer 0x0409
    press space
    expect_ended
    grep -q "msvfw32.dll could not be loaded from the system folder" "$work/trace.txt" ||
      fail "no trace of the missing drawing library"
    ;;
  dpi-144)
    # $1: the Wine prefix that runs the desktop at 144 DPI.
    make_page 0x0409 a.bmp red
    make_page 0x0409 b.jpg blue
    make_page 0x0409 c.bmp green
    start_viewer 0x0409
    expect_frame "$red"
    width_96=$win_w height_96=$win_h
    press Escape
    expect_ended
    export HALVORA_WINEPREFIX=$1
    "$wine_run" --init
    "$wine_run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
    start_viewer 0x0409
    expect_frame "$red"
    save_shot dpi144
    # 1.5 times as large, give or take 3%: dialog units follow the font's
    # whole-pixel metrics (Tahoma 8 is 13 pixels high at 96 DPI, 19 at 144).
    within $((win_w * 64)) $((width_96 * 96)) $((width_96 * 3)) &&
      within $((win_h * 64)) $((height_96 * 96)) $((height_96 * 3)) ||
      fail "${win_w}x${win_h} at 144 DPI is not 1.5 times ${width_96}x${height_96}"
    # The page fills the frame (0, 0, 400, 246 dialog units) to its corners.
    frame_w=$win_w frame_h=$((246 * win_h / 283))
    for corner in "3 3" "$((frame_w - 4)) 3" "3 $((frame_h - 4))" "$((frame_w - 4)) $((frame_h - 4))"; do
      read -r x y <<<"$corner"
      colour=$(colour_at "$x" "$y")
      colour_near "$colour" "$red" || fail "the frame shows $colour at $x,$y"
    done
    press Tab space
    expect_frame "$blue"
    previous_button_shown || fail "< Previous is hidden on page 2"
    press space
    expect_frame "$green"
    click_at_dialog_units 370 269  # Exit
    expect_ended
    ;;
  *)
    fail "unknown case"
    ;;
esac
echo "PASS [$case_name]"
