#!/usr/bin/env bash
# End to end on a real X server: the viewer from build/bin starts, shows its splash, then
# the main window titled "Trickfolio v1.29"; typing into the search box moves the list; a
# screenshot is taken; the title bar's close button ends the program.
#   e2e_xvfb.sh BIN_DIR SCREENSHOT.png
set -euo pipefail
bin_dir=$1
shot=$2
xvfb_tag=e2e
. "$(dirname "$0")/xvfb.sh"

need_tools Xvfb xdotool /usr/bin/import /usr/bin/convert
[ -x "$bin_dir/trickfolio" ] || fail "no $bin_dir/trickfolio"
# The build packs the demo catalogue once the catalogue tool is built; without it there is
# nothing to show (reported as skipped).
[ -f "$bin_dir/trickfolio.dat" ] || { echo "e2e: no $bin_dir/trickfolio.dat, skipped"; exit 77; }

# A copy in a folder of its own: the executable needs nothing but the catalogue beside it.
cp "$bin_dir/trickfolio" "$bin_dir/trickfolio.dat" "$work/"

start_xvfb
(cd "$work" && exec ./trickfolio) >"$work/app.log" 2>&1 &
app_pid=$!

size_of() {
  xdotool getwindowgeometry --shell "$1" | awk -F= '/^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print w "x" h}'
}
# The splash: the 320 x 200 picture with a one-pixel bevel all round, shown before the main
# window exists.
splash=
for _ in $(seq 1000); do
  for w in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
    [ "$(size_of "$w")" = 322x202 ] && splash=$w && break 2
  done
  sleep 0.05
done
[ -n "$splash" ] || fail "no splash window"
[ -z "$(xdotool search --onlyvisible --name '^Trickfolio v1.29$' 2>/dev/null)" ] ||
  fail "the main window showed before the splash hid"
echo "e2e: splash window $splash"

main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Trickfolio v1.29$' | head -1) ||
  fail "no main window titled Trickfolio v1.29"
echo "e2e: main window $main"
sleep 0.5
xdotool windowfocus --sync "$main"
read -r x y w h < <(xdotool getwindowgeometry --shell "$main" |
  awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x, y, w, h}')
[ "$w" -ge 785 ] && [ "$h" -ge 460 ] || fail "main window ${w}x$h is smaller than 785x460"

# The search box lies at (6 + 53, 27 + 79 + 26 + 4) in the window: click it, type.
xdotool mousemove --sync $((x + 100)) $((y + 145)) click 1
sleep 0.2
xdotool type --delay 80 'du'
sleep 0.7
mkdir -p "$(dirname "$shot")"
/usr/bin/import -window root -crop "${w}x${h}+${x}+${y}" +repage "$shot"
colours=$(/usr/bin/convert "$shot" -format '%k' info:)
[ "$colours" -gt 200 ] || fail "the screenshot looks empty ($colours colours)"
echo "e2e: screenshot $shot (${w}x$h, $colours colours)"

# The title bar's close button: 75 pixels into the title bar's 102-pixel right end.
xdotool mousemove --sync $((x + w - 102 + 75 + 10)) $((y + 3 + 10)) click 1
for _ in $(seq 1000); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$app_pid" 2>/dev/null; then cat "$work/app.log" >&2; fail "the close button did not end the program"; fi
wait "$app_pid" || fail "the program ended with status $?"
app_pid=
echo "e2e: closed"

# With -ns there is no splash: the first window of the program is the main window. Polled
# rather than timed, so a loaded machine cannot fail it.
(cd "$work" && exec ./trickfolio -ns) >"$work/app-ns.log" 2>&1 &
app_pid=$!
main=
for _ in $(seq 1000); do
  for w in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
    [ "$(size_of "$w")" != 322x202 ] || fail "-ns: a splash window showed"
  done
  main=$(xdotool search --onlyvisible --name '^Trickfolio v1.29$' 2>/dev/null | head -1) || true
  [ -n "$main" ] && break
  sleep 0.05
done
[ -n "$main" ] || fail "-ns: no main window"
kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=
echo "e2e: -ns shows the main window without the splash"
