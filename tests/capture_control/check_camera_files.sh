#!/usr/bin/env bash
# Reads what morvane_camera_tests wrote with ffmpeg: each frame's number,
# drawn by the test camera as 16 black or white blocks across the top, must
# follow the one before, and each file must hold exactly its frames.
set -uo pipefail
out=$1
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

check() {  # file width height frames rate
  local file=$1 width=$2 height=$3 frames=$4 rate=$5
  [ -s "$file" ] || { fail "$file missing"; return; }
  local probe
  probe=$(ffprobe -v error -count_frames -select_streams v:0 \
    -show_entries stream=width,height,r_frame_rate,nb_read_frames -of csv=p=0 "$file") ||
    { fail "ffprobe cannot read $file"; return; }
  echo "$file: $probe"
  IFS=, read -r w h r n <<<"$probe"
  [ "$w" = "$width" ] && [ "$h" = "$height" ] || fail "$file: size ${w}x$h"
  # ffprobe counts nothing in a file without frames.
  [ "$n" = "$frames" ] || { [ "$frames" = 0 ] && [ "$n" = N/A ]; } || fail "$file: $n frames, not $frames"
  [ "$frames" = 0 ] && return
  [[ "$r" =~ ^($rate)$ ]] || fail "$file: rate $r"
  ffmpeg -v error -i "$file" -f null - || fail "$file: decoding reported errors"
  # One grey row per frame, an eighth of the way down; the blocks' middles.
  # Grey first: a JPEG's subsampled chroma cannot be cut to one row.
  ffmpeg -v error -i "$file" -vf "format=gray,crop=iw:1:0:ih/8" -f rawvideo -pix_fmt gray - |
    python3 -c '
import sys
width = int(sys.argv[1]); data = sys.stdin.buffer.read()
numbers = []
for f in range(len(data) // width):
    row = data[f * width:(f + 1) * width]; n = 0
    for bit in range(16):
        v = row[(2 * bit + 1) * width // 32]
        if 64 < v < 192: sys.exit("frame %d: block %d is grey (%d)" % (f, bit, v))
        n = n * 2 + (v >= 192)
    numbers.append(n)
bad = [i for i in range(1, len(numbers)) if numbers[i] != numbers[i - 1] + 1]
if bad: sys.exit("frame numbers out of order at %s: %s" % (bad[:5], numbers[:40]))
print("frames %d..%d in order" % (numbers[0], numbers[-1]))
' "$width" || fail "$file: frame numbers"
}

# A capture from a camera at half its announced rate: its video stream and
# its sound both last the capture's length (within a frame), the dropped
# slots held as empty chunks, and the frames that are there in order.
check_timeline() {  # file seconds
  local file=$1 seconds=$2
  [ -s "$file" ] || { fail "$file missing"; return; }
  local streams
  # The video's length from its header (ffmpeg skips the empty chunks when
  # it reads packets), the sound's from its samples.
  streams=$(ffprobe -v error -show_entries stream=codec_type,duration,sample_rate,nb_frames -of csv=p=0 "$file") ||
    { fail "ffprobe cannot read $file"; return; }
  echo "$file:" $streams
  python3 -c '
import sys
seconds = float(sys.argv[1]); kinds = {}
for line in sys.argv[2].split():
    fields = line.split(",")
    if fields[0] == "video": kinds["video"] = float(fields[1])
    if fields[0] == "audio": kinds["audio"] = int(fields[3]) / int(fields[1])
for kind in ("video", "audio"):
    if kind not in kinds: sys.exit("no %s stream" % kind)
    if abs(kinds[kind] - seconds) > 1 / 30 + 1e-6: sys.exit("%s lasts %.3f s, not %.3f" % (kind, kinds[kind], seconds))
' "$seconds" "$streams" || fail "$file: timeline"
  ffmpeg -v error -i "$file" -vf "format=gray,crop=iw:1:0:ih/8" -f rawvideo -pix_fmt gray - |
    python3 -c '
import sys
width = int(sys.argv[1]); data = sys.stdin.buffer.read(); numbers = []
for f in range(len(data) // width):
    row = data[f * width:(f + 1) * width]
    numbers.append(sum((row[(2 * b + 1) * width // 32] >= 192) << (15 - b) for b in range(16)))
if any(b < a for a, b in zip(numbers, numbers[1:])): sys.exit("frames out of order: %s" % numbers[:40])
print("frames %d..%d, none back in time" % (numbers[0], numbers[-1]))
' "$(ffprobe -v error -select_streams v:0 -show_entries stream=width -of csv=p=0 "$file")" || fail "$file: frame order"
}

check "$out/camera.avi" 640 480 150 "30/1|1000000/33333"
check "$out/camera_mjpg.avi" 640 480 30 "30/1|1000000/33333"
check "$out/camera_mjpg_kept.avi" 640 480 30 "30/1|1000000/33333"
check "$out/camera_encoded.avi" 640 480 30 "30/1|1000000/33333"
for file in camera_mjpg_kept.avi camera_encoded.avi; do
  codec=$(ffprobe -v error -select_streams v:0 -show_entries stream=codec_name -of csv=p=0 "$out/$file")
  [ "$codec" = mjpeg ] || fail "$file holds $codec, not Motion JPEG"
done
# The sample cut short is not in the file: 29 frames of 30 slots.
cut=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 \
  "$out/camera_mjpg_cut.avi")
[ "$cut" = 29 ] || fail "camera_mjpg_cut.avi: $cut frames"
ffmpeg -v error -i "$out/camera_mjpg_cut.avi" -f null - || fail "camera_mjpg_cut.avi: decoding reported errors"
check "$out/camera_stall.avi" 320 240 20 "30/1|1000000/33333"
check "$out/camera_vanish.avi" 320 240 25 "30/1|1000000/33333"
check "$out/camera_fail_start.avi" 320 240 0 ""
check_timeline "$out/camera_half.avi" 5
exit $status
