#!/usr/bin/env bash
# Pieces of a capture (--frames FIRST-LAST) against one whole run of the real
# show: every PNG file byte for byte, and the pieces' music laid end to end
# against the whole run's. Then scripts/assemble joins the pieces with the
# encoding they were captured for (lossless here: the video holds the whole
# run's pixels), and refuses pieces with a gap or from another run.
# Usage: frame_ranges.sh PROGRAM SOURCE_DIR (run in a folder that holds data/)
set -euo pipefail
program="$1"
source_dir="$2"
source "$(dirname "${BASH_SOURCE[0]}")/../support/script_preamble.sh"

capture() {  # capture FOLDER START FRAMES [OPTION...]
  env -u DISPLAY -u WAYLAND_DISPLAY "$program" --capture "$work/$1" --size 160x90 --fps 8 --start "$2" \
    --frames "$3" "${@:4}" 2>"$work/$1.log" || { cat "$work/$1.log" >&2; fail "capture $1 ($2 s, frames $3)"; }
}

# same_as_whole WHOLE PIECE...: the pieces hold exactly the whole run's files.
same_as_whole() {
  local whole="$1"
  shift
  local names=""
  for piece in "$@"; do
    for file in "$work/$piece"/*.png; do
      cmp "$file" "$work/$whole/$(basename "$file")" || fail "$piece/$(basename "$file") differs from $whole"
      names+="$(basename "$file") "
    done
    tail -c +45 "$work/$piece/audio.wav"
  done >"$work/joined.pcm"
  [ "$names" = "$(cd "$work/$whole" && echo *.png) " ] || fail "pieces hold '$names', the whole run $(cd "$work/$whole" && echo *.png)"
  tail -c +45 "$work/$whole/audio.wav" | cmp - "$work/joined.pcm" || fail "the pieces' music is not the whole run's"
  [ -s "$work/joined.pcm" ] || fail "no music"
}

# 8 frames a second: a frame is 5512.5 sample frames of the 44.1 kHz music, so
# the pieces' music meets only if every piece rounds its ends the same way.
# 143.8 s on, frames every 125 ms: frame 2 (144.05 s) is 50 ms into the climax
# scene, into a crash flash (144000-145200 ms) and into the next grading entry.
capture whole1 143.8 6
capture piece1a 143.8 0-1
capture piece1b 143.8 2-5
same_as_whole whole1 piece1a piece1b
# 160.2 s on: petals falling (particles) and a flash from 160000 to 160600 ms;
# the pieces begin 200, 325 and 575 ms into both.
capture whole2 160.2 5
capture piece2a 160.2 0-0 --video-quality lossless
capture piece2b 160.2 1-2 --video-quality lossless
capture piece2c 160.2 3-4 --video-quality lossless
same_as_whole whole2 piece2a piece2b piece2c
grep -qx "first 3" "$work/piece2c/capture.txt" || fail "capture.txt does not name the first frame"

assemble="$source_dir/scripts/assemble"
if "$assemble" "$work/piece2a" "$work/piece2c" "$work/gap.mp4" 2>"$work/gap.log"; then
  fail "assemble joined pieces with a gap"
fi
grep -q "frames 1 to 2 are missing" "$work/gap.log" || fail "gap message: $(cat "$work/gap.log")"
if "$assemble" "$work/piece1a" "$work/piece2b" "$work/mixed.mp4" 2>"$work/mixed.log"; then
  fail "assemble joined pieces of two runs"
fi
grep -q "from another run" "$work/mixed.log" || fail "mixed message: $(cat "$work/mixed.log")"
skip_without ffmpeg "ffmpeg is not installed: the video assembly is not checked (scripts/install-deps installs it)"
"$assemble" "$work/piece2c" "$work/piece2a" "$work/piece2b" "$work/show.mkv" >/dev/null
streams=$(ffprobe -v error -count_frames -show_entries stream=codec_type,nb_read_frames -of csv=p=0 "$work/show.mkv")
grep -qx "video,5" <<<"$streams" || fail "the video does not hold the 5 frames: $streams"
grep -q "^audio," <<<"$streams" || fail "the video has no music: $streams"
ffmpeg -loglevel error -framerate 8 -i "$work/whole2/%06d.png" -f rawvideo -pix_fmt rgb24 - >"$work/whole2.rgb"
ffmpeg -loglevel error -i "$work/show.mkv" -f rawvideo -pix_fmt rgb24 - | cmp -s - "$work/whole2.rgb" ||
  fail "assemble did not encode with the pieces' lossless setting: the video's pixels are not the frames'"

# x264 writes its settings into the stream; the thread count follows each
# program's own choice, everything else must be the same.
x264_settings() {
  grep -ao 'options: [^[:cntrl:]]*' "$1" | head -1 | tr ' ' '\n' | grep -Ev '^(threads|lookahead_threads|sliced_threads)='
}
capture streamed.mp4 143.8 6
"$assemble" "$work/piece1b" "$work/piece1a" "$work/archive.mp4" >/dev/null
streamed=$(x264_settings "$work/streamed.mp4")
grep -qx "crf=19.0" <<<"$streamed" || fail "the streamed archive capture is not at CRF 19: $streamed"
[ "$(x264_settings "$work/archive.mp4")" = "$streamed" ] ||
  fail "assemble's archive settings differ from the streamed capture's: $(diff <(x264_settings "$work/archive.mp4") - <<<"$streamed")"
echo "pieces match the whole runs; assemble joined 5 frames with music, and archive pieces as a streamed capture"
