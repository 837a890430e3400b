#!/usr/bin/env bash
# Reads the capture file that the Windows build wrote under Wine with the
# host's ffprobe/ffmpeg/ImageMagick: frame count, audio length, continuation
# segments, and the last frame's pixels against the still written with it.
#   check_wine_avi.sh SOURCE_DIR WINE_STATE EXE WORK_DIR
set -euo pipefail
src=$1 state=$2 exe=$3 work=$4
frames=75
mkdir -p "$work"
rm -f "$work/wine.avi" "$work/wine.bmp"
winpath() { echo "Z:$1" | tr / '\\'; }

"$src/scripts/wine-run.sh" "$state" "$exe" "$(winpath "$work/wine.avi")" "$(winpath "$work/wine.bmp")" $frames 2097152

probe=$(ffprobe -v error -count_frames -show_streams -of flat "$work/wine.avi")
expect() {  # key value
  local got
  got=$(printf '%s\n' "$probe" | sed -n "s/^$1=\"\{0,1\}\([^\"]*\)\"\{0,1\}$/\1/p")
  if [ "$got" != "$2" ]; then echo "FAIL: $1 is '$got', expected '$2'"; exit 1; fi
}
expect streams.stream.0.nb_read_frames $frames
expect streams.stream.0.width 320
expect streams.stream.0.height 240
expect streams.stream.1.sample_rate 22050
expect streams.stream.1.channels 2
expect streams.stream.1.nb_frames $((frames * 735))

segments=$(grep -c AVIX "$work/wine.avi" || true)
if [ "$segments" -lt 2 ]; then echo "FAIL: expected continuation segments, found $segments"; exit 1; fi

last=$(ffmpeg -v error -i "$work/wine.avi" -map 0:v -vf "select=eq(n\\,$((frames - 1)))" -frames:v 1 -f rawvideo -pix_fmt bgr24 - | md5sum)
still=$(convert "$work/wine.bmp" -depth 8 bgr:- | md5sum)
if [ "$last" != "$still" ]; then echo "FAIL: last frame differs from the still"; exit 1; fi
echo "OK: $frames frames, $segments continuation segments, last frame matches"
