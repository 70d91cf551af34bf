#!/usr/bin/env bash
# scripts/package --show: a maker's new show packed as NAME_VERSION_ARCH.deb from
# a built tree; the package's command and desktop entry are NAME, the engine and
# the show sit in /usr/lib/NAME, and the unpacked command plays that show (not
# the engine's own) from another folder.
# Usage: show_package.sh SOURCE_DIR BUILD_DIR VERSION
set -euo pipefail
source_dir="$1"
build="$2"
version="$3"
source "$(dirname "${BASH_SOURCE[0]}")/../support/script_preamble.sh"
skip_without dpkg-deb "dpkg-deb is not installed: this is no Debian system, no Debian package can be made here"

"$build/orvane-new-show" "$work/mine" >"$work/new.log" 2>&1 || { cat "$work/new.log" >&2; fail "orvane-new-show"; }
status=0
"$source_dir/scripts/package" --show "$work/mine" --name "My Show" --tree "$build" "$work/out" 2>"$work/bad.log" || status=$?
[ "$status" -eq 2 ] || fail "a name with a space and capitals ended with status $status, not 2"
package=$("$source_dir/scripts/package" --show "$work/mine" --name myshow --tree "$build" "$work/out") ||
  fail "scripts/package --show"
arch=$(dpkg --print-architecture)
[ "$package" = "$work/out/myshow_${version}_${arch}.deb" ] || fail "the package is $package"
[ "$(dpkg-deb -f "$package" Package)" = myshow ] || fail "the package is called $(dpkg-deb -f "$package" Package)"

dpkg-deb -c "$package" | awk '{ print $6 }' | sed 's|/$||' | sort >"$work/contents"
for entry in ./usr/bin/myshow ./usr/lib/myshow/orvane ./usr/lib/myshow/data/air.ogg ./usr/lib/myshow/data/qel/show.qel \
  ./usr/share/applications/myshow.desktop ./usr/share/icons/hicolor/48x48/apps/myshow.png; do
  grep -qx -- "$entry" "$work/contents" || fail "the package lacks $entry"
done
! grep -q '^\./usr/share/orvane' "$work/contents" || fail "the package holds the engine's own show"

dpkg-deb -x "$package" "$work/root"
grep -qx "Exec=myshow" "$work/root/usr/share/applications/myshow.desktop" || fail "the desktop entry does not start myshow"
grep -qx "Icon=myshow" "$work/root/usr/share/applications/myshow.desktop" || fail "the desktop entry names another icon"
cmp -s "$work/root/usr/lib/myshow/data/air.ogg" "$work/mine/data/air.ogg" || fail "the packaged music is not the show's"
mkdir "$work/elsewhere"
(cd "$work/elsewhere" && env -u DISPLAY -u WAYLAND_DISPLAY "$work/root/usr/bin/myshow" --capture frames --size 160x90 \
  --fps 2 2>"$work/run.log") || { cat "$work/run.log" >&2; fail "the packaged command"; }
# The generated music lasts 16 s: 33 frames at 2 a second; the engine's own show would give far more.
count=$(find "$work/elsewhere/frames" -name '*.png' | wc -l)
[ "$count" -eq 33 ] || fail "the packaged command captured $count frames, not the new show's 33"
! grep -q "playing the show in" "$work/run.log" || fail "the packaged show is not the program's own: $(cat "$work/run.log")"
echo "$(basename "$package"): $(wc -l <"$work/contents") entries"
