# Sourced by the tests that start the program on a real X server, with $xvfb_tag naming the
# test in its messages. Makes $work (removed on exit), kills the program in $app_pid and the
# server on exit, and gives fail() and need_tools(); start_xvfb starts Xvfb on a free
# display and exports DISPLAY, XDG_RUNTIME_DIR and QT_QPA_PLATFORM; start_cups starts the
# tests' private CUPS scheduler.
work=$(mktemp -d)
app_pid=
xvfb_pid=
cups_pid=
stop_xvfb() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  stop_xvfb
  # Waited for: the scheduler's helper removes its folder on the way out.
  if [ -n "$cups_pid" ]; then kill "$cups_pid" 2>/dev/null && wait "$cups_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "$xvfb_tag: $*" >&2; exit 1; }
need_tools() {
  local tool
  for tool in "$@"; do command -v "$tool" >/dev/null || fail "missing $tool"; done
}

start_xvfb() {
  # Xvfb picks a free display itself and names it on descriptor 3, so that tests running
  # side by side never race for the same one.
  # -noreset: by default the server resets when its last client leaves, and a program
  # started in that moment cannot connect.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1000); do [ -s "$work/display" ] && break; sleep 0.05; done
  [ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=:$(head -1 "$work/display")
  for _ in $(seq 100); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.05; done
  export XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=xcb
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
}

# start_cups HELPER: the scheduler with its default PDF queue "pdf" that HELPER (the
# test-cups-queue program) keeps until it is stopped; programs started afterwards print on
# it and $cups_dir/out/job-N.pdf is what the queue produced.
start_cups() {
  "$1" >"$work/cups.dir" 2>"$work/cups.log" &
  cups_pid=$!
  for _ in $(seq 1200); do
    [ -s "$work/cups.dir" ] && break
    kill -0 "$cups_pid" 2>/dev/null || fail "the CUPS scheduler did not start: $(cat "$work/cups.log")"
    sleep 0.05
  done
  [ -s "$work/cups.dir" ] || fail "the CUPS scheduler did not start within 60 s"
  cups_dir=$(head -1 "$work/cups.dir")
  # A home of its own: no lpoptions of the user's choose another printer.
  export CUPS_SERVER=$cups_dir/cups.sock HOME=$work/home
  mkdir -p "$HOME"
  unset PRINTER LPDEST
}

# The id of the first visible window titled exactly $1, polled for up to 50 s; empty if none.
visible_window() {
  local w=
  for _ in $(seq 1000); do
    w=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) || true
    [ -n "$w" ] && break
    sleep 0.05
  done
  echo "$w"
}
