#!/usr/bin/env bash
# Whole-process start-up: the built Tonvale beside a bare Qt main window (menu bar, tree
# view), each started as a new process on a private Xvfb server with a fresh home folder and
# a silent sound device, timed from the launch to its first window mapped and painted with
# its menus. Prints the median of ROUNDS starts of each, their ratio, and the peak resident
# memory of each over its first HOLD milliseconds.
# The silent device is a private PulseAudio server with a null sink, which takes sound at the
# pace of a real card; without pulseaudio installed, ALSA's null output stands in, which takes
# it as fast as it comes (the synthesizer's audio thread then keeps a core busy).
#   bench/startup/wholeprocess.sh [build-folder]     (default: ./build)
# Environment: ROUNDS (10), HOLD (10000), MEMORY_RUNS (3), TONVALE (another build's program
# to measure instead, e.g. an older one to compare with).
set -euo pipefail
BUILD=$(cd "${1:-build}" && pwd)
ROUNDS=${ROUNDS:-10}
HOLD=${HOLD:-10000}
MEMORY_RUNS=${MEMORY_RUNS:-3}
WATCH=$BUILD/bench/startup/bench_window_watch
BARE=$BUILD/bench/startup/bench_bare_window
TONVALE=${TONVALE:-$BUILD/student/app/Tonvale}
for f in "$WATCH" "$BARE" "$TONVALE"; do
  [ -x "$f" ] || { echo "missing $f: build first" >&2; exit 2; }
done

WORK=$(mktemp -d)
PULSE_PID=
cleanup() {
  [ -n "$PULSE_PID" ] && kill "$PULSE_PID" 2>/dev/null && wait "$PULSE_PID" 2>/dev/null
  stop_private_display
  rm -rf "$WORK"
}
trap cleanup EXIT

. "$(dirname "$0")/../../scripts/private-display.sh"
start_private_display "$WORK" || { echo "the X server did not start" >&2; exit 2; }
. "$(dirname "$0")/../../scripts/silent-sound.sh"
if start_silent_sound "$WORK"; then
  echo "silent sound device: a PulseAudio null sink"
else
  PULSE_SOCKET=
  echo "silent sound device: ALSA's null output (no PulseAudio server; it does not pace the synthesizer)"
fi
# One start of a program: a fresh home, nothing of the caller's environment but PATH.
run() {  # run <hold-ms> <program>
  local home
  home=$(mktemp -d "$WORK/home.XXXXXX")
  mkdir -m 700 "$home/run"
  printf 'pcm.!default { type null }\n' >"$home/.asoundrc"
  env -i PATH="$PATH" HOME="$home" XDG_RUNTIME_DIR="$home/run" DISPLAY="$DISPLAY" \
      ${PULSE_SOCKET:+PULSE_SERVER=unix:$PULSE_SOCKET} QT_QPA_PLATFORM=xcb "$WATCH" --hold "$1" -- "$2"
  rm -rf "$home"
}

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

run 0 "$BARE" >/dev/null  # the first start warms the disk cache for both
run 0 "$TONVALE" >/dev/null
: >"$WORK/bare" && : >"$WORK/tonvale"
for _ in $(seq "$ROUNDS"); do
  run 0 "$BARE" | awk '{ print $4 }' >>"$WORK/bare"
  run 0 "$TONVALE" | awk '{ print $4 }' >>"$WORK/tonvale"
done
BARE_MS=$(median <"$WORK/bare")
TONVALE_MS=$(median <"$WORK/tonvale")
echo "first window mapped and painted, median of $ROUNDS starts:"
echo "  bare Qt window  $BARE_MS ms   ($(tr '\n' ' ' <"$WORK/bare"))"
echo "  Tonvale         $TONVALE_MS ms   ($(tr '\n' ' ' <"$WORK/tonvale"))"
awk -v t="$TONVALE_MS" -v b="$BARE_MS" 'BEGIN { printf "  ratio           %.2f (target at most 1.30)\n", t / b }'

peak() {  # largest peak of MEMORY_RUNS starts, in MiB
  for _ in $(seq "$MEMORY_RUNS"); do run "$HOLD" "$1" | awk '{ print $6 }'; done |
    sort -g | tail -1 | awk '{ printf "%.1f", $1 / 1024 }'
}
echo "peak resident memory over the first $((HOLD / 1000)) s (largest of $MEMORY_RUNS starts):"
echo "  bare Qt window  $(peak "$BARE") MiB"
echo "  Tonvale         $(peak "$TONVALE") MiB (target under 50)"
