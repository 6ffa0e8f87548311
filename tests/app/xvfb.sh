# Sourced by the tests that start the program on a real X server. Expects $work (a
# temporary folder the caller removes) and fail(); starts Xvfb on a free display, exports
# DISPLAY, XDG_RUNTIME_DIR and QT_QPA_PLATFORM, and kills the server on exit.
xvfb_pid=
stop_xvfb() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }

start_xvfb() {
  local display= n
  for n in $(seq 91 140); do
    if [ ! -e /tmp/.X$n-lock ] && [ ! -e /tmp/.X11-unix/X$n ]; then display=:$n; break; fi
  done
  [ -n "$display" ] || fail "no free X display"
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  export DISPLAY=$display
  for _ in $(seq 100); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.05; done
  export XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=xcb
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
}

# The id of the first visible window titled exactly $1, polled for up to 20 s; empty if none.
visible_window() {
  local w=
  for _ in $(seq 400); do
    w=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) || true
    [ -n "$w" ] && break
    sleep 0.05
  done
  echo "$w"
}
