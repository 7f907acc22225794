#!/usr/bin/env bash
# The real Tonvale started and quit as a person does, on the X display it is given (xvfb-run),
# a few times over one display and one sound device, each start with a fresh home folder:
#   1. the splash tune heard (so the synthesizer and its soundfont are loaded), the splash and
#      the player boxes dismissed with the keyboard, then File > Exit;
#   2. the same boxes, then the main window's close box, under a window manager (openbox;
#      this start is left out where it is not installed).
# Each passes when the program ends by itself with exit status 0 and printed no sanitizer
# report, nor that its synthesizer outlived the program's sound.
#   startquit_test.sh <Tonvale>
# The silent device is a private PulseAudio server with a null sink: its monitor is where the
# tune is heard. Keys are typed through the X server's test extension (xdotool), so they reach
# the program as a keyboard's do. Exit status 77 (skipped) when a tool for that is missing.
set -uo pipefail
TONVALE=$1
[ -x "$TONVALE" ] || { echo "missing $TONVALE" >&2; exit 2; }
[ -n "${DISPLAY:-}" ] || { echo "needs an X display (run under xvfb-run)" >&2; exit 77; }
for tool in xdotool pulseaudio parec; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped" >&2; exit 77; }
done
# A sanitizer build starts several times slower: every wait is bounded, but generously.
WAIT=${WAIT:-90}

WORK=$(mktemp -d)
PULSE_PID=
TONVALE_PID=
WM_PID=
cleanup() {
  [ -n "$TONVALE_PID" ] && kill -KILL "$TONVALE_PID" 2>/dev/null
  [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null
  [ -n "$PULSE_PID" ] && kill "$PULSE_PID" 2>/dev/null && wait "$PULSE_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*" >&2
  echo "---- windows on the display ----" >&2
  windows >&2
  echo "---- Tonvale's output ----" >&2
  cat "$WORK/tonvale.log" >&2 2>/dev/null
  exit 1
}
alive() { kill -0 "$TONVALE_PID" 2>/dev/null; }

. "$(dirname "$0")/../../../scripts/silent-sound.sh"
start_silent_sound "$WORK" || { echo "the PulseAudio server did not start: skipped" >&2; exit 77; }

# A fresh home: a first start, with no players yet. Nothing of the caller's environment but
# the display, PATH and the sanitizers' options.
RUN=0
start() {
  RUN=$((RUN + 1))
  mkdir -p "$WORK/home$RUN/run" && chmod 700 "$WORK/home$RUN/run"
  env -i PATH="$PATH" HOME="$WORK/home$RUN" XDG_RUNTIME_DIR="$WORK/home$RUN/run" DISPLAY="$DISPLAY" \
      ${XAUTHORITY:+XAUTHORITY=$XAUTHORITY} PULSE_SERVER="unix:$PULSE_SOCKET" QT_QPA_PLATFORM=xcb \
      ${ASAN_OPTIONS:+ASAN_OPTIONS=$ASAN_OPTIONS} ${UBSAN_OPTIONS:+UBSAN_OPTIONS=$UBSAN_OPTIONS} \
      "$TONVALE" >"$WORK/tonvale.log" 2>&1 &
  TONVALE_PID=$!
}

# The visible windows, one "id title" a line. (Titles are compared here: xdotool's own search
# reads only the old-style title, which a window without a caption of its own lacks.)
windows() {
  local w
  for w in $(xdotool search --onlyvisible --name '.*' 2>/dev/null); do
    echo "$w $(xdotool getwindowname "$w" 2>/dev/null)"
  done
}
# The visible window with this title, once it is there (empty when it never came).
window() {  # window <title>
  local deadline=$((SECONDS + WAIT)) w
  while [ $SECONDS -lt $deadline ] && alive; do
    w=$(windows | awk -v t="$1" '{ id = $1; sub(/^[0-9]+ /, "") } $0 == t { print id; exit }')
    [ -n "$w" ] && { echo "$w"; return; }
    sleep 0.1
  done
}
gone() {  # gone <window id>
  local deadline=$((SECONDS + WAIT))
  while [ $SECONDS -lt $deadline ] && alive; do
    windows | grep -q "^$1 " || return 0
    sleep 0.1
  done
  return 1
}
# Types keys into a window, as a person does after clicking it.
keys() {  # keys <window id> <key>...
  local w=$1
  shift
  timeout 10 xdotool windowfocus --sync "$w" 2>/dev/null
  for k in "$@"; do
    xdotool key --clearmodifiers "$k"
    sleep 0.2
  done
}

sounding() {  # true once a sample that is not silence comes within 5 s
  timeout 5 parec --server="unix:$PULSE_SOCKET" -d silent.monitor --raw --format=s16le --channels=1 \
      --rate=8000 2>/dev/null | od -An -v -td2 -w2 | awk '$1 != 0 { found = 1; exit } END { exit !found }'
  return "${PIPESTATUS[2]}"  # the recorder itself ends on the closed pipe
}
# The splash (its tune heard first when asked: "tune"), the New Player message and the player
# box, each dismissed with the keyboard; then the main window's id.
past_the_boxes() {
  local splash box player deadline heard=no
  splash=$(window tonvale)
  [ -n "$splash" ] || fail "no splash box"
  if [ "${1:-}" = tune ]; then
    # The splash box plays its tune once the synthesizer has loaded the soundfont.
    deadline=$((SECONDS + WAIT))
    while [ $SECONDS -lt $deadline ] && alive; do
      sounding && { heard=yes; break; }
      sleep 0.1
    done
    [ $heard = yes ] || fail "the splash tune was never heard"
  fi
  keys "$splash" Escape
  gone "$splash" || fail "the splash box stayed"
  # A first start tells that there is no player yet, then shows the player box: cancelled.
  box=$(window 'New Player')
  [ -n "$box" ] || fail "no New Player message"
  keys "$box" Return
  gone "$box" || fail "the New Player message stayed"
  player=$(window Player)
  [ -n "$player" ] || fail "no player box"
  keys "$player" Escape
  gone "$player" || fail "the player box stayed"
  MAIN=$(window 'Tonvale 1.3')
  [ -n "$MAIN" ] || fail "no main window"
}
# File > Exit: Alt+F opens the File menu; Exit is its last item, one step up from the first.
file_exit() {
  keys "$MAIN" alt+f
  [ -n "$(window tonvale)" ] || fail "the File menu did not open"
  xdotool key Up
  sleep 0.2
  xdotool key Return
}
# The program ends by itself, with exit status 0 and nothing reported.
ended() {  # ended <how>
  local deadline=$((SECONDS + WAIT)) status
  while [ $SECONDS -lt $deadline ] && alive; do sleep 0.1; done
  alive && fail "Tonvale did not end after $1"
  wait "$TONVALE_PID"
  status=$?
  TONVALE_PID=
  [ $status -eq 0 ] || fail "exit status $status after $1"
  if grep -Eq 'Sanitizer|runtime error:|malloc|free\(\)|double free|corrupted|synthesizer engine' "$WORK/tonvale.log"; then
    fail "a sanitizer, the allocator or the program's sound reported an error after $1"
  fi
  echo "Tonvale quit through $1 with exit status 0"
}

start
past_the_boxes tune
file_exit
ended "File > Exit, the splash tune heard"

if command -v openbox >/dev/null; then
  openbox --sm-disable >/dev/null 2>&1 &
  WM_PID=$!
  start
  past_the_boxes
  keys "$MAIN" alt+F4
  ended "the main window's close box"
  kill "$WM_PID" 2>/dev/null
  wait "$WM_PID" 2>/dev/null
else
  echo "openbox is not installed: quitting through the close box left out"
fi
