#!/usr/bin/env bash
# Makes the Debian package from an already built tree, unpacks it into a temporary root and
# checks it as a user's machine would get it: exactly the expected files, the viewer's link,
# Depends from the libraries plus the fonts, one version throughout, manual pages that
# render cleanly, valid desktop and AppStream files, no lintian errors, and the packaged
# (stripped) viewer printing a game to PDF.
#   deb_package.sh BUILD_DIR
set -euo pipefail
build_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package: $*" >&2; exit 1; }
for tool in cpack dpkg-deb dpkg-shlibdeps lintian man appstreamcli desktop-file-validate pdftotext; do
  command -v "$tool" >/dev/null || fail "missing $tool"
done

cpack --config "$build_dir/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
debs=("$work"/trickfolio_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "no single trickfolio_*.deb: ${debs[*]}"
deb=${debs[0]}
root=$work/root
dpkg-deb -x "$deb" "$root"

id=ru.trickfolio.Trickfolio
expected=(
  usr/bin/gif-frames usr/bin/report-dump usr/bin/trickfolio usr/bin/trickfolio-cat
  usr/lib/trickfolio/trickfolio usr/lib/trickfolio/trickfolio.dat
  usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml
  usr/share/doc/trickfolio/changelog.gz usr/share/doc/trickfolio/copyright
)
for page in trickfolio trickfolio-cat gif-frames report-dump; do
  expected+=("usr/share/man/man1/$page.1.gz")
done
for size in 16 24 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x$size/apps/$id.png")
done
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$root" && find . ! -type d | cut -c3- | sort) ||
  fail "the package's files differ from the expected ones (< missing, > unexpected)"
[ "$(readlink "$root/usr/bin/trickfolio")" = ../lib/trickfolio/trickfolio ] ||
  fail "usr/bin/trickfolio is not a link to ../lib/trickfolio/trickfolio"
echo "package: files and the viewer's link"

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6gui6 libjpeg62-turbo libcups2 libglib2.0-0 'fonts-liberation2 | fonts-liberation' fonts-dejavu-core; do
  [[ ", $depends," == *", $package"[\ ,]* ]] || fail "Depends lacks $package: $depends"
done
version=$(dpkg-deb -f "$deb" Version)
changelog_version=$(zcat "$root/usr/share/doc/trickfolio/changelog.gz" | sed -n '1s/^trickfolio (\([^)]*\)).*/\1/p')
release_version=$(grep -m1 -o '<release version="[^"]*"' "$root/usr/share/metainfo/$id.metainfo.xml" | cut -d'"' -f2)
[ "$changelog_version" = "$version" ] && [ "$release_version" = "$version" ] ||
  fail "versions differ: package $version, changelog $changelog_version, AppStream release $release_version"
echo "package: Depends ($depends), version $version"

for page in "$root"/usr/share/man/man1/*.1.gz; do
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page") renders with warnings: $warnings"
done
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/$id.metainfo.xml" >"$work/appstream.log" ||
  { cat "$work/appstream.log" >&2; fail "appstreamcli rejects the metadata"; }
desktop-file-validate "$root/usr/share/applications/$id.desktop" ||
  fail "desktop-file-validate rejects the desktop entry"
grep -qx "Exec=/usr/bin/trickfolio" "$root/usr/share/applications/$id.desktop" ||
  fail "Exec is not /usr/bin/trickfolio"
echo "package: manual pages, AppStream metadata and desktop entry"

lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
! grep '^E:' "$work/lintian.log" || fail "lintian reports errors"
echo "package: no lintian errors"
grep '^W:' "$work/lintian.log" || true

# The packaged viewer, stripped and run from the unpacked root, finds its catalogue beside it;
# a scheduler that does not exist keeps the machine's printers out of the layout.
CUPS_SERVER=$work/no-cups.sock "$root/usr/bin/trickfolio" --print "DOOM (PC)" --pdf "$work/doom.pdf" ||
  fail "the packaged viewer could not print"
pdftotext "$work/doom.pdf" - | grep -q "DOOM" || fail "the printed PDF lacks the game's title"
echo "package: the packaged viewer prints a game"
