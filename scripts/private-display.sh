# Sourced by the scripts that run the real programs on a screen of their own, beside
# silent-sound.sh: a private Xvfb server, a window manager on it, and a way to find the
# programs' windows by their titles (xdotool).
#   start_private_display <folder> [WxH]  starts Xvfb (1280x1024 by default) on a display number
#                                         it picks itself; exports DISPLAY, sets XVFB_PID; false
#                                         when Xvfb is not installed or did not start
#   start_window_manager                  openbox on that display, once it manages windows;
#                                         sets WM_PID; false when openbox is not installed or
#                                         did not come up
#   stop_window_manager, stop_private_display
#   windows                               the visible windows, one "id title" a line
#   window_titled <title> <seconds> [check]
#                                         the id of the visible window with this title once it
#                                         is there, trying for <seconds> while the command
#                                         `check` (if given) succeeds; empty when it never came
start_private_display() {
  command -v Xvfb >/dev/null || return 1
  # Xvfb writes the number it took once it takes connections: no race with other servers.
  Xvfb -displayfd 3 -screen 0 "${2:-1280x1024}x24" -nolisten tcp 3>"$1/display" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 200); do
    if [ -s "$1/display" ]; then
      export DISPLAY=":$(head -1 "$1/display")"
      return 0
    fi
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.05
  done
  return 1
}
stop_private_display() {
  stop_window_manager
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=
}

start_window_manager() {
  command -v openbox >/dev/null || return 1
  # A window mapped while openbox is still taking over the screen can be left in a frame it
  # never shows (seen on a loaded machine): nothing starts before it says it is up.
  local ready
  ready=$(mktemp -u)
  openbox --sm-disable --startup "touch $ready" >/dev/null 2>&1 &
  WM_PID=$!
  for _ in $(seq 600); do
    [ -e "$ready" ] && { rm -f "$ready"; return 0; }
    kill -0 "$WM_PID" 2>/dev/null || break
    sleep 0.05
  done
  stop_window_manager
  return 1
}
stop_window_manager() {
  [ -n "${WM_PID:-}" ] && kill "$WM_PID" 2>/dev/null && wait "$WM_PID" 2>/dev/null
  WM_PID=
}

# Titles are compared here: xdotool's own search reads only the old-style title, which a
# window without a caption of its own lacks.
windows() {
  local w
  for w in $(xdotool search --onlyvisible --name '.*' 2>/dev/null); do
    echo "$w $(xdotool getwindowname "$w" 2>/dev/null)"
  done
}
window_titled() {  # window_titled <title> <seconds> [check]
  local deadline=$((SECONDS + $2)) w
  while [ $SECONDS -lt $deadline ] && { [ -z "${3:-}" ] || $3; }; do
    w=$(windows | awk -v t="$1" '{ id = $1; sub(/^[0-9]+ /, "") } $0 == t { print id; exit }')
    [ -n "$w" ] && { echo "$w"; return; }
    sleep 0.1
  done
}
