#!/usr/bin/env bash
# The real Tonvale started and quit as a person does, on a private X display, a few times over
# one display and one sound device, each start with a fresh home folder:
#   1. the splash tune heard (so the synthesizer and its soundfont are loaded), the splash and
#      the player boxes dismissed with the keyboard, then File > Exit;
#   then under a window manager (openbox), each quit through the main window's close box:
#   2. the same boxes, at the lesson list;
#   3. a player made with a password in the player box, lesson 2 started (its palettes open),
#      the piano keyboard opened and the question played: closed while it is heard;
#   4. the same player, lesson 7 started (the drum pad open, its clicks sounding), the pad tapped.
# Without openbox, 3 and 4 quit through File > Exit, and 2 is left out.
# Each passes when the program ends by itself with exit status 0 and printed no sanitizer
# report, nor that its synthesizer outlived the program's sound.
#   startquit_test.sh <Tonvale>
# The silent device is a private PulseAudio server with a null sink: its monitor is where the
# sound is heard. Keys and clicks go through the X server's test extension (xdotool), so they
# reach the program as a keyboard's and a mouse's do. Exit status 77 (skipped) when a tool for
# that is missing.
set -uo pipefail
TONVALE=$1
[ -x "$TONVALE" ] || { echo "missing $TONVALE" >&2; exit 2; }
for tool in Xvfb xdotool pulseaudio parec; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped" >&2; exit 77; }
done
# A sanitizer build starts several times slower: every wait is bounded, but generously.
WAIT=${WAIT:-90}

WORK=$(mktemp -d)
PULSE_PID=
TONVALE_PID=
cleanup() {
  [ -n "$TONVALE_PID" ] && kill -KILL "$TONVALE_PID" 2>/dev/null
  stop_private_display
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

SCRIPTS=$(dirname "$0")/../../../scripts
. "$SCRIPTS/private-display.sh"
. "$SCRIPTS/silent-sound.sh"
start_private_display "$WORK" || { echo "the X server did not start: skipped" >&2; exit 77; }
start_silent_sound "$WORK" || { echo "the PulseAudio server did not start: skipped" >&2; exit 77; }

# A fresh home: a first start, with no players yet. Nothing of the caller's environment but
# the display, PATH and the sanitizers' options.
RUN=0
start() {
  RUN=$((RUN + 1))
  mkdir -p "$WORK/home$RUN/run" && chmod 700 "$WORK/home$RUN/run"
  env -i PATH="$PATH" HOME="$WORK/home$RUN" XDG_RUNTIME_DIR="$WORK/home$RUN/run" DISPLAY="$DISPLAY" \
      PULSE_SERVER="unix:$PULSE_SOCKET" QT_QPA_PLATFORM=xcb \
      ${ASAN_OPTIONS:+ASAN_OPTIONS=$ASAN_OPTIONS} ${LSAN_OPTIONS:+LSAN_OPTIONS=$LSAN_OPTIONS} \
      ${UBSAN_OPTIONS:+UBSAN_OPTIONS=$UBSAN_OPTIONS} \
      "$TONVALE" >"$WORK/tonvale.log" 2>&1 &
  TONVALE_PID=$!
}

# The visible window with this title, once it is there (empty when it never came).
window() { window_titled "$1" "$WAIT" alive; }
gone() {  # gone <window id>
  local deadline=$((SECONDS + WAIT))
  while [ $SECONDS -lt $deadline ] && alive; do
    windows | grep -q "^$1 " || return 0
    sleep 0.1
  done
  return 1
}
# Types into the window with this title, as a person does after clicking it: each word a key
# (xdotool's names), or text after a colon.
keys() {  # keys <title> <key or :text>...
  local w
  w=$(window "$1")
  [ -n "$w" ] || fail "no window \"$1\""
  shift
  timeout 10 xdotool windowfocus --sync "$w" 2>/dev/null
  for k in "$@"; do
    case $k in
      :*) xdotool type --delay 50 "${k#:}" ;;
      *) xdotool key --clearmodifiers "$k" ;;
    esac
    sleep 0.2
  done
}
click() {  # click <title> <x> <y>: in the window with this title
  local w
  w=$(window "$1")
  [ -n "$w" ] || fail "no window \"$1\""
  xdotool mousemove --window "$w" "$2" "$3" click 1
}

sounding() {  # true once a sample that is not silence comes within 5 s
  timeout 5 parec --server="unix:$PULSE_SOCKET" -d silent.monitor --raw --format=s16le --channels=1 \
      --rate=8000 2>/dev/null | od -An -v -td2 -w2 | awk '$1 != 0 { found = 1; exit } END { exit !found }'
  return "${PIPESTATUS[2]}"  # the recorder itself ends on the closed pipe
}
heard() {  # heard <what>: fails unless sound comes while the program lives
  local deadline=$((SECONDS + WAIT))
  while [ $SECONDS -lt $deadline ] && alive; do
    sounding && return
    sleep 0.1
  done
  fail "$1 was never heard"
}
# The splash (its tune heard first when asked: "tune") and the New Player message, dismissed
# with the keyboard; then the player box, cancelled ("cancel") or a player made in it with a
# password and chosen ("player"); the main window is there after.
past_the_boxes() {  # past_the_boxes cancel|player [tune]
  local splash
  splash=$(window tonvale)
  [ -n "$splash" ] || fail "no splash box"
  # The splash box plays its tune once the synthesizer has loaded the soundfont.
  [ "${2:-}" = tune ] && heard "the splash tune"
  keys tonvale Escape
  gone "$splash" || fail "the splash box stayed"
  # A first start tells that there is no player yet, then shows the player box.
  keys 'New Player' Return
  if [ "$1" = cancel ]; then
    keys Player Escape
  else
    # The name box is next after the list, then its Add button; the new password is asked
    # twice. Back in the box, the list is two steps back from where the focus went.
    keys Player Tab :Ann Tab space
    keys Password :pw Tab :pw Return
    keys Player shift+Tab shift+Tab Home Return
    keys Password :pw Return
  fi
  [ -n "$(window 'Tonvale 1.3')" ] || fail "no main window after the player box"
}
# From the lesson list (the first lesson chosen, the list focused), `keys` to the wanted row,
# then Start, answered Yes to continuing in test mode and OK to the exercise's start.
start_lesson() {  # start_lesson <key>...
  keys 'Tonvale 1.3' "$@" alt+s
  keys 'Test Mode' Return
  keys 'Test Mode' Return
}
# Quits through the close box under the window manager, else through File > Exit (Alt+F opens
# the File menu; Exit is its last item, one step up from the first). During an exercise the
# program asks first: Yes.
quit() {
  if [ -n "${WM_PID:-}" ]; then
    keys 'Tonvale 1.3' alt+F4
  else
    keys 'Tonvale 1.3' alt+f
    [ -n "$(window tonvale)" ] || fail "the File menu did not open"
    xdotool key Up
    sleep 0.2
    xdotool key Return
  fi
  [ "${1:-}" = asked ] && keys Exit Return
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
past_the_boxes cancel tune
quit
ended "File > Exit, the splash tune heard"

if start_window_manager; then
  HOW="the main window's close box"
  start
  past_the_boxes cancel
  quit
  ended "$HOW"
else
  HOW="File > Exit"
  echo "openbox is not installed: quitting through the close box left out"
fi

start
past_the_boxes player
start_lesson Home Down
[ -n "$(window 'Note Values')" ] || fail "lesson 2 opened no palette"
keys 'Tonvale 1.3' alt+v p
[ -n "$(window 'Piano Keyboard')" ] || fail "the piano keyboard did not open"
# The speaker button above the staff plays the question; the program acts on the close after it.
click 'Tonvale 1.3' 24 164
heard "lesson 2's question"
quit asked
ended "$HOW in lesson 2, palettes and the piano keyboard open, the question sounding"

start
past_the_boxes player
start_lesson End
[ -n "$(window Drum)" ] || fail "lesson 7 opened no drum pad"
heard "the drum pad's clicks"
click Drum 80 120
quit asked
ended "$HOW in lesson 7, the drum pad open and tapped"
