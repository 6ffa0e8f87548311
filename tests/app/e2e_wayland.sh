#!/usr/bin/env bash
# End to end on a Wayland compositor: the viewer from build/bin under a headless weston, with
# Qt's wayland platform. Such a weston has no keyboard and never activates a window, yet the
# game list must fill: weston's screenshots are searched for the main window (by the left end
# of its title bar, an exact skin bitmap) and its list area must hold game names.
#   e2e_wayland.sh BIN_DIR TITLE_LEFT.bmp
set -euo pipefail
bin_dir=$1
title_left=$2
xvfb_tag=e2e-wayland
# The X tests' set-up: $work, fail(), need_tools(), and the clean-up that stops the program
# and the display server, here weston, in $xvfb_pid.
. "$(dirname "$0")/xvfb.sh"

need_tools weston weston-screenshooter /usr/bin/python3
/usr/bin/python3 -c 'import PIL' 2>/dev/null || fail "missing Pillow (python3-pil)"
[ -x "$bin_dir/trickfolio" ] || fail "no $bin_dir/trickfolio"
[ -f "$bin_dir/trickfolio.dat" ] || { echo "e2e-wayland: no $bin_dir/trickfolio.dat, skipped"; exit 77; }
cp "$bin_dir/trickfolio" "$bin_dir/trickfolio.dat" "$work/"

# A runtime folder and a socket name of this run's own, so runs side by side never meet.
export XDG_RUNTIME_DIR=$work/runtime WAYLAND_DISPLAY=trickfolio-$(basename "$work")
mkdir -m 700 "$XDG_RUNTIME_DIR" "$work/shots"
# --idle-time=0: after five idle minutes weston blanks its output and a screenshot then
# waits for a frame that never comes.
weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --use-pixman --debug \
  --idle-time=0 --width=1280 --height=1024 >"$work/weston.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 600); do [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break; sleep 0.05; done
[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || fail "weston did not start: $(cat "$work/weston.log")"

(cd "$work" && QT_QPA_PLATFORM=wayland exec ./trickfolio) >"$work/app.log" 2>&1 &
app_pid=$!

# Prints the ink in the window's list area (the left column below the search box), or
# "none" while no main window shows.
list_ink() {
  /usr/bin/python3 - "$1" "$title_left" <<'EOF'
import sys
from PIL import Image

shot = Image.open(sys.argv[1]).convert("RGB")
corner = Image.open(sys.argv[2]).convert("RGB")
w, cw = shot.width, corner.width
data, first = shot.tobytes(), corner.tobytes()[:3 * cw]
rows = [corner.tobytes()[3 * cw * y:3 * cw * (y + 1)] for y in range(corner.height)]
at = data.find(first)
while at >= 0:
    x, y = at // 3 % w, at // 3 // w
    if at % 3 == 0 and x + cw <= w and all(
            data[3 * ((y + r) * w + x):3 * ((y + r) * w + x + cw)] == rows[r]
            for r in range(len(rows))):
        # The list lies at (6, 165) in the window, 297 wide; its first rows are enough.
        area = shot.crop((x + 8, y + 167, x + 200, y + 260))
        print(sum(1 for p in area.getdata() if sum(p) < 300))
        sys.exit(0)
    at = data.find(first, at + 1)
print("none")
EOF
}

ink=none
for _ in $(seq 60); do
  kill -0 "$app_pid" 2>/dev/null || { cat "$work/app.log" >&2; fail "the viewer ended"; }
  rm -f "$work"/shots/*.png
  (cd "$work/shots" && timeout 20 weston-screenshooter --debug) >/dev/null 2>&1 ||
    fail "weston-screenshooter failed"
  shot=$(ls "$work"/shots/*.png 2>/dev/null | head -1)
  [ -n "$shot" ] || fail "weston-screenshooter wrote no file"
  ink=$(list_ink "$shot")
  [ "$ink" != none ] && [ "$ink" -gt 200 ] && break
  sleep 0.5
done
[ "$ink" != none ] || fail "no main window on the screen"
[ "$ink" -gt 200 ] || fail "the game list stayed empty ($ink dark pixels)"
echo "e2e-wayland: the game list shows ($ink dark pixels)"
