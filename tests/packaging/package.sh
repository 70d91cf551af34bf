#!/usr/bin/env bash
# The Debian package that scripts/package makes, packed from this build tree:
# its name, its contents (the program, the show, the desktop entry, the icon and
# the man page under /usr, nothing else), its dependencies, and the program
# unpacked from it playing three frames from another folder.
# Usage: package.sh SOURCE_DIR BUILD_DIR VERSION
set -euo pipefail
source_dir="$1"
build="$2"
version="$3"
source "$(dirname "${BASH_SOURCE[0]}")/../support/script_preamble.sh"
skip_without dpkg-deb "dpkg-deb is not installed: this is no Debian system, no Debian package can be made here"

package=$("$source_dir/scripts/package" --tree "$build" "$work/out") || fail "scripts/package"
arch=$(dpkg --print-architecture)
[ "$package" = "$work/out/orvane_${version}_${arch}.deb" ] || fail "the package is $package"

dpkg-deb -c "$package" | awk '{ print $6 }' | sed 's|/$||' | sort >"$work/contents"
for entry in ./usr/bin/orvane ./usr/bin/orvane-assemble ./usr/bin/orvane-import ./usr/bin/orvane-new-show ./usr/share/orvane/data/air.ogg ./usr/share/orvane/data/definition/sceneLineDefine.txt \
  ./usr/share/orvane/data/definition/postEffectDefine.txt ./usr/share/orvane/data/qel/show.qel \
  ./usr/share/orvane/data/shader/core.fx ./usr/share/orvane/data/texture/dialog_art.bmp \
  ./usr/share/orvane/README.md ./usr/share/applications/orvane.desktop \
  ./usr/share/icons/hicolor/48x48/apps/orvane.png ./usr/share/icons/hicolor/128x128/apps/orvane.png \
  ./usr/share/icons/hicolor/256x256/apps/orvane.png ./usr/share/man/man6/orvane.6.gz; do
  grep -qx -- "$entry" "$work/contents" || fail "the package lacks $entry"
done
# Every file of the show, and nothing outside /usr's program, show, desktop, icon and manual folders.
(cd "$source_dir" && find data -type f | sed 's|^|./usr/share/orvane/|' | sort) >"$work/show"
comm -23 "$work/show" "$work/contents" >"$work/missing"
[ ! -s "$work/missing" ] || fail "the package lacks show files: $(head -3 "$work/missing")"
stray=$(grep -v -E '^\./usr(/bin(/orvane(-assemble|-import|-new-show)?)?|/share(/orvane(/.*)?|/applications(/orvane\.desktop)?|/icons(/hicolor(/[0-9]+x[0-9]+(/apps(/orvane\.png)?)?)?)?|/man(/man6(/orvane\.6\.gz)?)?)?)?$|^\.$' \
  "$work/contents" || true)
[ -z "$stray" ] || fail "the package holds more: $stray"
stat_line=$(dpkg-deb -c "$package" | awk '$6 == "./usr/bin/orvane" { print $1 }')
[ "$stat_line" = "-rwxr-xr-x" ] || fail "usr/bin/orvane is $stat_line"

depends=$(dpkg-deb -f "$package" Depends)
for library in libsdl2-2.0-0 libglew2.2 libvorbisfile3 libfreetype6 libfontconfig1 libgl1-mesa-dri libegl-mesa0 \
  fonts-dejavu-core; do
  grep -q "\b$library\b" <<<"$depends" || fail "Depends lacks $library: $depends"
done
[ "$(dpkg-deb -f "$package" Package Version Architecture | tr '\n' ' ')" = \
  "Package: orvane Version: $version Architecture: $arch " ] || fail "control: $(dpkg-deb -f "$package")"
dpkg-deb -f "$package" Recommends | grep -q ffmpeg || fail "ffmpeg is not recommended"

# Unpacked as dpkg would install it, run from another folder with no display.
dpkg-deb -x "$package" "$work/root"
mkdir "$work/elsewhere"
(cd "$work/elsewhere" && env -u DISPLAY -u WAYLAND_DISPLAY "$work/root/usr/bin/orvane" --capture frames --size 160x90 \
  --frames 3 2>"$work/run.log") || { cat "$work/run.log" >&2; fail "the packaged program"; }
[ -s "$work/elsewhere/frames/000002.png" ] || fail "the packaged program wrote no third frame"
echo "$(basename "$package"): $(wc -l <"$work/contents") entries; Depends: $depends"
