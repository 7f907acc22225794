#!/usr/bin/env bash
# The program's sound through a sound server, as a student hears it: a private PulseAudio
# server with a null sink (scripts/silent-sound.sh), which takes sound at the pace of a real
# card, and its monitor recorded.
#   1. bench_sound_load: gaps in a lesson 2 question on an idle and on a fully loaded machine,
#      press-to-sound of the drum pad (see soundload.cpp);
#   2. the idle share: the built Tonvale started on a private Xvfb server with a fresh home,
#      the splash and the player boxes dismissed with the keyboard (xdotool), then its CPU
#      time and the sound server's over IDLE seconds at the lesson list (target under 2% of a
#      core for Tonvale).
#   bench/sound/soundload.sh [build-folder]      (default: ./build)
# Environment: IDLE (10), TONVALE (another build's program to measure instead, e.g. an older
# one to compare with), BENCH (likewise for bench_sound_load).
set -uo pipefail
BUILD=$(cd "${1:-build}" && pwd)
IDLE=${IDLE:-10}
BENCH=${BENCH:-$BUILD/bench/sound/bench_sound_load}
TONVALE=${TONVALE:-$BUILD/student/app/Tonvale}
for f in "$BENCH" "$TONVALE"; do
  [ -x "$f" ] || { echo "missing $f: build first" >&2; exit 2; }
done
for tool in pulseaudio Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 2; }
done

WORK=$(mktemp -d)
PULSE_PID=
TONVALE_PID=
cleanup() {
  [ -n "$TONVALE_PID" ] && kill "$TONVALE_PID" 2>/dev/null && wait "$TONVALE_PID" 2>/dev/null
  [ -n "$PULSE_PID" ] && kill "$PULSE_PID" 2>/dev/null && wait "$PULSE_PID" 2>/dev/null
  stop_private_display
  rm -rf "$WORK"
}
trap cleanup EXIT

. "$(dirname "$0")/../../scripts/silent-sound.sh"
. "$(dirname "$0")/../../scripts/private-display.sh"
start_silent_sound "$WORK" || { echo "the PulseAudio server did not start" >&2; exit 2; }

env -i PATH="$PATH" HOME="$WORK" PULSE_SERVER="unix:$PULSE_SOCKET" QT_QPA_PLATFORM=offscreen "$BENCH"

# ---- the idle share of the real program ----
start_private_display "$WORK" || { echo "the X server did not start" >&2; exit 2; }
mkdir -p "$WORK/home/run" && chmod 700 "$WORK/home/run"
env -i PATH="$PATH" HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/home/run" DISPLAY="$DISPLAY" \
    PULSE_SERVER="unix:$PULSE_SOCKET" QT_QPA_PLATFORM=xcb "$TONVALE" >"$WORK/tonvale.log" 2>&1 &
TONVALE_PID=$!
press() {  # press <title> <key>
  local w
  w=$(window_titled "$1" 30)
  [ -n "$w" ] || { echo "no window \"$1\"" >&2; exit 1; }
  timeout 10 xdotool windowfocus --sync "$w" 2>/dev/null
  xdotool key "$2"
  sleep 0.5
}
sleep 3   # the splash tune plays a while
press tonvale Escape
press 'New Player' Return
press Player Escape
sleep 3   # the tune's last sound has died away
cpu() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
T0=$(cpu "$TONVALE_PID") S0=$(cpu "$PULSE_PID")
sleep "$IDLE"
T1=$(cpu "$TONVALE_PID") S1=$(cpu "$PULSE_PID")
HZ=$(getconf CLK_TCK)
awk -v t=$((T1 - T0)) -v s=$((S1 - S0)) -v hz="$HZ" -v secs="$IDLE" 'BEGIN {
  printf "idle at the lesson list over %d s: Tonvale %.1f%% of a core (target under 2), sound server %.1f%%\n",
         secs, 100 * t / hz / secs, 100 * s / hz / secs }'
