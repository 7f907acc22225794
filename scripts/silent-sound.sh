# Sourced by the scripts that run the real programs: a private PulseAudio server whose one
# output is a null sink named "silent". It takes sound at the pace of a real card, and what
# the program plays can be recorded from its monitor ("silent.monitor").
#   start_silent_sound <folder>   sets PULSE_SOCKET and PULSE_PID; false when pulseaudio is
#                                 not installed or did not start
start_silent_sound() {
  command -v pulseaudio >/dev/null || return 1
  mkdir -m 700 "$1/pulse"
  PULSE_SOCKET=$1/pulse/native
  env -i PATH="$PATH" HOME="$1/pulse" XDG_RUNTIME_DIR="$1/pulse" \
      pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes -F /dev/null \
      --load="module-null-sink sink_name=silent" \
      --load="module-native-protocol-unix auth-anonymous=1 socket=$PULSE_SOCKET" >/dev/null 2>&1 &
  PULSE_PID=$!
  for _ in $(seq 200); do
    [ -S "$PULSE_SOCKET" ] && return 0
    sleep 0.05
  done
  return 1
}
