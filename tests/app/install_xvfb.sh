#!/usr/bin/env bash
# Installs the build into a temporary prefix (with a space in it) and checks the result as
# a desktop would use it: the viewer and its catalogue in lib/trickfolio/, a link in bin/,
# the catalogue tool, a valid desktop entry and its icons. Then starts the installed viewer
# through its link on a real X server: it must find the catalogue beside the resolved
# executable, and, with the catalogue taken away, must say it found none.
#   install_xvfb.sh BUILD_DIR
set -euo pipefail
build_dir=$1
xvfb_tag=install
. "$(dirname "$0")/xvfb.sh"

need_tools Xvfb xdotool desktop-file-validate /usr/bin/identify
[ -f "$build_dir/bin/trickfolio.dat" ] || { echo "install: no catalogue built, skipped"; exit 77; }

prefix="$work/pre fix"
cmake --install "$build_dir" --prefix "$prefix" >"$work/install.log" || fail "cmake --install failed"
id=ru.trickfolio.Trickfolio

[ "$(readlink "$prefix/bin/trickfolio")" = ../lib/trickfolio/trickfolio ] ||
  fail "bin/trickfolio is not a link to ../lib/trickfolio/trickfolio"
[ -x "$prefix/lib/trickfolio/trickfolio" ] || fail "no lib/trickfolio/trickfolio"
"$prefix/bin/trickfolio-cat" check "$prefix/lib/trickfolio/trickfolio.dat" ||
  fail "the installed catalogue tool finds fault with the installed catalogue"

entry="$prefix/share/applications/$id.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
grep -qx "Exec=\"$prefix/bin/trickfolio\"" "$entry" || fail "Exec is not the quoted link: $(grep ^Exec "$entry")"
grep -qx "Icon=$id" "$entry" || fail "Icon is not $id"
for size in 16 24 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x$size/apps/$id.png"
  [ "$(/usr/bin/identify -format %wx%h "$icon")" = "${size}x$size" ] || fail "no ${size}px icon"
done
echo "install: layout, desktop entry and icons"

start_xvfb
# Started through the link from elsewhere, as the desktop entry starts it.
(cd / && exec "$prefix/bin/trickfolio" -ns) >"$work/app.log" 2>&1 &
app_pid=$!
[ -n "$(visible_window 'Trickfolio v1.29')" ] || fail "the installed viewer shows no main window"
for _ in $(seq 40); do
  [ -z "$(xdotool search --onlyvisible --name '^Error$' 2>/dev/null)" ] ||
    fail "the installed viewer could not read its catalogue"
  kill -0 "$app_pid" 2>/dev/null || fail "the installed viewer ended"
  sleep 0.05
done
kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=
echo "install: the installed viewer reads its catalogue"

# The control: without its catalogue the same start ends in the "not found" message box.
rm "$prefix/lib/trickfolio/trickfolio.dat"
(cd / && exec "$prefix/bin/trickfolio" -ns) >"$work/app-missing.log" 2>&1 &
app_pid=$!
[ -n "$(visible_window Error)" ] || fail "without its catalogue the viewer showed no error"
echo "install: without the catalogue the viewer reports it missing"
