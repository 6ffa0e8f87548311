#!/usr/bin/env bash
# Printing end to end on a real X server and a real CUPS queue: the viewer from build/bin
# starts on the demo catalogue; the search box selects Wolfenstein 3D; the print button
# opens the maximised preview; its "Print" sends the report to the queue, whose PDF must
# hold the game's title, its platform and every line of its codes. Only mouse and keyboard
# events reach the program.
#   print_xvfb.sh BIN_DIR CUPS_QUEUE_HELPER CODES_TEXT
set -euo pipefail
bin_dir=$1
cups_helper=$2
codes=$3
xvfb_tag=print
. "$(dirname "$0")/xvfb.sh"

need_tools Xvfb xdotool xprop pdftotext /usr/bin/import /usr/bin/convert md5sum
[ -x "$bin_dir/trickfolio" ] || fail "no $bin_dir/trickfolio"
[ -f "$bin_dir/trickfolio.dat" ] || { echo "print: no $bin_dir/trickfolio.dat, skipped"; exit 77; }
cp "$bin_dir/trickfolio" "$bin_dir/trickfolio.dat" "$work/"

# Polls a condition for up to 60 s.
until_true() {
  for _ in $(seq 1200); do
    "$@" && return 0
    kill -0 "$app_pid" 2>/dev/null || { cat "$work/app.log" >&2; fail "the program ended"; }
    sleep 0.05
  done
  return 1
}
geometry() {
  xdotool getwindowgeometry --shell "$1" |
    awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x, y, w, h}'
}
# A rectangle of the screen (WIDTH HEIGHT X Y): its checksum, and its number of colours.
screen_sum() { /usr/bin/import -window root -crop "$1x$2+$3+$4" +repage rgb:- | md5sum; }
screen_colours() {
  /usr/bin/import -window root -crop "$1x$2+$3+$4" +repage png:- | /usr/bin/convert - -format %k info:
}

start_cups "$cups_helper"
start_xvfb
(cd "$work" && exec ./trickfolio -ns) >"$work/app.log" 2>&1 &
app_pid=$!
main=$(visible_window 'Trickfolio v1.29')
[ -n "$main" ] || fail "no main window"
xdotool windowfocus --sync "$main"
read -r x y w h < <(geometry "$main")

# Offsets in the main window as its layout places them: the game list (8, 165) 280 x 230,
# the code area's title bar (310, 108) 460 x 20, the search box (100, 145) and the print
# button, 22 x 22, whose centre lies 292 and 29 pixels in from the right and bottom edges.
list_shown() {
  [ "$(screen_colours 280 230 $((x + 8)) $((y + 165)))" -gt 20 ] &&
    [ "$(screen_colours 460 20 $((x + 310)) $((y + 108)))" -gt 5 ]
}
until_true list_shown || fail "the game list or the code area's title stayed empty"
title_sum=$(screen_sum 460 20 $((x + 310)) $((y + 108)))
xdotool mousemove --sync $((x + 100)) $((y + 145)) click 1
xdotool type --delay 50 'wolf'
title_changed() { [ "$(screen_sum 460 20 $((x + 310)) $((y + 108)))" != "$title_sum" ]; }
until_true title_changed || fail "typing into the search box selected no other game"
xdotool mousemove --sync $((x + w - 292)) $((y + h - 29)) click 1

preview=$(visible_window 'Предпросмотр печати')
[ -n "$preview" ] || { cat "$work/app.log" >&2; fail "no preview window"; }
state=$(xprop -id "$preview" _NET_WM_STATE)
[[ $state == *_NET_WM_STATE_MAXIMIZED_HORZ* && $state == *_NET_WM_STATE_MAXIMIZED_VERT* ]] ||
  fail "the preview is not maximised: $state"
echo "print: maximised preview $preview"

# The tool bar's buttons are found on the screen rather than placed by their text widths:
# the first pixel row of the window that crosses all eight as runs of colour other than
# the window's own (taken at its left edge). Sets $buttons to "LEFT RIGHT ROW" lines.
find_buttons() {
  local px py pw ph row
  read -r px py pw ph < <(geometry "$preview")
  for row in $(seq 0 15); do
    buttons=$(/usr/bin/import -window root -crop "${pw}x1+$px+$((py + row))" +repage txt:- |
      awk -v row=$((py + row)) -v px="$px" '
        NR == 1 { next }
        { split($1, at, /[,:]/); colour = $3 }
        NR == 2 { ground = colour }
        colour != ground && left == "" { left = at[1] }
        colour == ground && left != "" {
          if (at[1] - left >= 20) print px + left, px + at[1] - 1, row
          left = ""
        }')
    [ "$(echo "$buttons" | grep -c .)" -ge 8 ] && return 0
  done
  return 1
}
until_true find_buttons || fail "the preview's tool bar shows no row of eight buttons"
# Zoom In, Zoom Out, Zoom Page Width, Zoom Whole Page, Prev Page, Next Page, Print, Done.
click_button() {
  local left right row
  read -r left right row < <(echo "$buttons" | sed -n "$1p")
  xdotool mousemove --sync $(((left + right) / 2)) $((row + 8)) click 1
}
click_button 7

# The settings may ask for the range first: the setup window then takes OK (its default
# button) before the job is printed.
job=
job_done() {
  job=$(ls "$cups_dir"/out/job-*.pdf 2>/dev/null | head -1)
  [ -n "$job" ] && return 0
  local setup
  setup=$(xdotool search --onlyvisible --name '^Установки печати$' 2>/dev/null | head -1) || true
  if [ -n "$setup" ]; then
    xdotool windowfocus --sync "$setup"
    xdotool key --window "$setup" Return
  fi
  return 1
}
until_true job_done || fail "no job reached the queue: $(cat "$cups_dir/log/error_log" 2>/dev/null)"
echo "print: the queue produced $(basename "$job")"

# The job's title is the report's; its text holds the list line's title and platform and
# each line of the codes (blanks and line ends compared as single blanks).
title=$(cat "${job%.pdf}.title")
[ "$title" = 'Печать' ] || fail "the job is titled '$title'"
pdftotext -layout "$job" "$work/job.txt" || fail "pdftotext cannot read $job"
text=" $(tr -s '[:space:]' ' ' <"$work/job.txt") "
for want in ' Wolfenstein 3D PC '; do
  [[ $text == *"$want"* ]] || fail "the PDF lacks '$want'"
done
lines=0
while IFS= read -r line; do
  line=$(echo "$line" | tr -s '[:space:]' ' ' | sed 's/^ //; s/ $//')
  [ -z "$line" ] && continue
  [[ $text == *" $line "* ]] || fail "the PDF lacks the code line '$line'"
  lines=$((lines + 1))
done <"$codes"
echo "print: the PDF holds the title and all $lines lines of the codes"

# "Done" closes the preview; the program goes on.
click_button 8
preview_gone() { [ -z "$(xdotool search --onlyvisible --name '^Предпросмотр печати$' 2>/dev/null)" ]; }
until_true preview_gone || fail "Done left the preview open"
[ "$(ls "$cups_dir"/out/job-*.pdf | wc -l)" -eq 1 ] || fail "more than one job reached the queue"
echo "print: the preview closed, the program runs on"
