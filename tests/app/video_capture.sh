#!/usr/bin/env bash
# A capture to a video file streams its frames into the encoder: decoded from a
# lossless capture they are byte for byte the PNG files of the same run, no
# picture is left on disk, the music of the frames is in the file, a bench
# reports the capture's rate, and a file that cannot be written ends the capture
# with one line and a non-zero status.
# Usage: video_capture.sh PROGRAM (run in a folder that holds data/)
set -euo pipefail
program="$1"
source "$(dirname "${BASH_SOURCE[0]}")/../support/script_preamble.sh"
skip_without ffmpeg "ffmpeg is not installed: the videos cannot be decoded (scripts/install-deps installs it)"

# capture TARGET [OPTION...]: 160.2 s on, petals and a flash (as in frame_ranges.sh).
capture() {
  local target="$1"
  shift
  env -u DISPLAY -u WAYLAND_DISPLAY "$program" --capture "$target" --size 160x90 --fps 8 --start 160.2 --frames 5 "$@"
}
mkdir "$work/videos"
capture "$work/frames" 2>"$work/frames.log" || { cat "$work/frames.log" >&2; fail "the PNG capture"; }
for video in lossless.mkv archive.mp4; do
  quality=${video%.*}
  capture "$work/videos/$video" --video-quality "$quality" 2>"$work/$quality.log" ||
    { cat "$work/$quality.log" >&2; fail "the $quality capture"; }
done
[ "$(ls -A "$work/videos" | tr '\n' ' ')" = "archive.mp4 lossless.mkv " ] ||
  fail "the videos' folder holds $(ls -A "$work/videos" | tr '\n' ' ')"

ffmpeg -loglevel error -framerate 8 -i "$work/frames/%06d.png" -f rawvideo -pix_fmt rgb24 - >"$work/png.rgb"
ffmpeg -loglevel error -i "$work/videos/lossless.mkv" -f rawvideo -pix_fmt rgb24 - >"$work/video.rgb"
[ "$(stat -c %s "$work/png.rgb")" -eq $((160 * 90 * 3 * 5)) ] || fail "the PNG files do not hold 5 frames"
cmp -s "$work/png.rgb" "$work/video.rgb" || fail "the lossless video's frames are not the PNG files' pixels"

music=$(($(stat -c %s "$work/frames/audio.wav") - 44))
for video in lossless.mkv archive.mp4; do
  streams=$(ffprobe -v error -count_frames -show_entries stream=codec_type,pix_fmt,nb_read_frames -of csv=p=0 \
    "$work/videos/$video" | tr '\n' ' ')
  [[ "$streams" =~ video,(gbrp|yuv420p),5\ .*audio, ]] || fail "$video: streams $streams"
  decoded=$(ffmpeg -loglevel error -i "$work/videos/$video" -map 0:a -f s16le - | wc -c)
  # AAC codes 1024 sample frames a packet: the decoded music ends on a whole packet.
  ((decoded >= music && decoded < music + 2 * 1024 * 4)) ||
    fail "$video holds $decoded bytes of music for frames with $music"
done
[[ "$(ffprobe -v error -show_entries stream=pix_fmt -of csv=p=0 "$work/videos/archive.mp4")" == yuv420p* ]] ||
  fail "the archive video is not 4:2:0, which players need"

env -u DISPLAY -u WAYLAND_DISPLAY "$program" --bench --capture "$work/bench.mp4" --video-quality preview \
  --size 160x90 --fps 8 --start 160.2 --frames 5 >"$work/bench.txt" 2>"$work/bench.log" ||
  { cat "$work/bench.log" >&2; fail "the bench of a capture"; }
grep -qE "^frames +5$" "$work/bench.txt" || fail "bench: $(cat "$work/bench.txt")"
grep -qE "^written +[0-9.]+ frames/s \(5 frames" "$work/bench.txt" || fail "bench: $(cat "$work/bench.txt")"
grep -qE "^encoder share +[0-9.]+ %" "$work/bench.txt" || fail "bench: $(cat "$work/bench.txt")"
[ -s "$work/bench.mp4" ] || fail "the bench's capture wrote no video"

# refused TARGET MESSAGE: the capture fails with exactly one line besides its progress.
refused() {
  if capture "$1" 2>"$work/refused.log"; then
    fail "a capture to $1 succeeded"
  fi
  local lines
  lines=$(grep -v "^capture: frame" "$work/refused.log" || true)
  [ "$lines" = "orvane: $2" ] || fail "a capture to $1 said: $lines"
}
ln -s /dev/full "$work/full.mp4"
refused "$work/full.mp4" "cannot write $work/full.mp4: No space left on device"
refused "$work/missing/show.mkv" "cannot write $work/missing/show.mkv: No such file or directory"
echo "the video holds the PNG capture's frames and music"
