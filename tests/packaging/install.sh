#!/usr/bin/env bash
# `cmake --install` into a temporary prefix: the program, the show under
# share/orvane, the desktop entry, its icons and the man page; the installed
# program plays three frames from another folder, and a program with no show
# anywhere says where it looked.
# Usage: install.sh BUILD_DIR BUILT_FOR_DATA_FOLDER
set -euo pipefail
build="$1"
built_for="$2"
source "$(dirname "${BASH_SOURCE[0]}")/../support/script_preamble.sh"

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log" >&2; fail "cmake --install"; }
for file in bin/orvane share/orvane/data/air.ogg share/orvane/data/definition/sceneLineDefine.txt \
  share/orvane/data/shader/finalScreenShader.fx share/orvane/data/texture/dialog_art.bmp share/orvane/README.md \
  share/applications/orvane.desktop share/man/man6/orvane.6.gz; do
  [ -s "$prefix/$file" ] || fail "$file is not installed"
done
[ -x "$prefix/bin/orvane" ] && [ -x "$prefix/bin/orvane-assemble" ] && [ -x "$prefix/bin/orvane-import" ] &&
  [ -x "$prefix/bin/orvane-new-show" ] ||
  fail "bin/orvane, bin/orvane-assemble, bin/orvane-import or bin/orvane-new-show is missing"
grep -qx "Exec=orvane" "$prefix/share/applications/orvane.desktop" || fail "the desktop entry does not start orvane"
grep -qx "Icon=orvane" "$prefix/share/applications/orvane.desktop" || fail "the desktop entry names no icon"
for size in 48 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/orvane.png"
  [ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "$icon is not a PNG file"
  # Width and height, big-endian at bytes 16 and 20.
  [ "$(od -An -tx1 -j16 -N8 "$icon" | tr -d ' \n')" = "$(printf '%08x%08x' "$size" "$size")" ] ||
    fail "$icon is not $size x $size"
done
gzip -dc "$prefix/share/man/man6/orvane.6.gz" | grep -q '^\.TH ORVANE 6' || fail "the man page is not a section 6 page"
gzip -dc "$prefix/share/man/man6/orvane.6.gz" | grep -q 'frames " FIRST" \\- LAST' || fail "the man page lacks --frames FIRST-LAST"

# From another folder, with no display: the show comes from the prefix, the
# frames go where the relative path points from the starting folder.
mkdir "$work/elsewhere"
(cd "$work/elsewhere" && env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/orvane" --capture frames --size 160x90 \
  --fps 10 --start 20 --frames 3 2>"$work/run.log") || { cat "$work/run.log" >&2; fail "the installed program"; }
for name in 000000.png 000001.png 000002.png audio.wav; do
  [ -s "$work/elsewhere/frames/$name" ] || fail "the installed program wrote no frames/$name"
done
[ ! -e "$work/elsewhere/frames/000003.png" ] || fail "more than three frames"

# A maker's show from the installed orvane-new-show, played by the installed program.
"$prefix/bin/orvane-new-show" "$work/mine" --music "$prefix/share/orvane/data/air.ogg" >"$work/new.log" 2>&1 ||
  { cat "$work/new.log" >&2; fail "orvane-new-show"; }
(cd "$work/elsewhere" && env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/orvane" --show "$work/mine" --capture mine \
  --size 160x90 --fps 10 --start 1 --frames 2 2>"$work/mine.log") || { cat "$work/mine.log" >&2; fail "the new show"; }
grep -qx "orvane: playing the show in $work/mine" "$work/mine.log" || fail "the new show was not named: $(cat "$work/mine.log")"
[ -s "$work/elsewhere/mine/000001.png" ] || fail "the new show wrote no frames"

# The program alone, far from any show: the message names every place, in order.
mkdir -p "$work/lone/bin" "$work/empty"
cp "$prefix/bin/orvane" "$work/lone/bin/"
if [ -d "$built_for/data" ]; then
  echo "$built_for holds a show: the message of a program without one is not checked"
  exit 0
fi
status=0
(cd "$work/empty" && "$work/lone/bin/orvane" --no-dialog --frames 1 2>"$work/lone.log") || status=$?
[ "$status" -eq 1 ] || fail "a program with no show ended with status $status, not 1"
expected="orvane: no show data: looked for a data folder in $work/lone/bin, $work/lone/share/orvane, $built_for and $work/empty"
[ "$(cat "$work/lone.log")" = "$expected" ] || fail "message: $(cat "$work/lone.log"), expected: $expected"
echo "installed into $prefix; three frames from another folder"
