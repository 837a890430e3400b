#!/usr/bin/env bash
# Reads what morvane_control_tests wrote with ffprobe and ImageMagick: a one
# second capture at 10 fps, 320x240, with a PCM tone track, its copy, a
# still frame, and a Motion JPEG capture.
set -uo pipefail
out=$1
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

check_avi() {  # file
  local file=$1
  [ -s "$file" ] || { fail "$file missing"; return; }
  local video audio frames
  video=$(ffprobe -v error -count_frames -select_streams v:0 \
    -show_entries stream=codec_type,width,height,r_frame_rate,nb_read_frames -of csv=p=0 "$file") ||
    { fail "ffprobe cannot read $file"; return; }
  echo "$file video: $video"
  IFS=, read -r type width height rate frames <<<"$video"
  [ "$type" = video ] || fail "$file: first stream is $type"
  [ "$width" = 320 ] && [ "$height" = 240 ] || fail "$file: size ${width}x$height"
  [ "$rate" = 10/1 ] || fail "$file: rate $rate"
  # Frames dropped under load are empty chunks, which ffprobe does not count;
  # most frames must be there.
  [ "$frames" -ge 5 ] && [ "$frames" -le 10 ] || fail "$file: $frames frames"
  audio=$(ffprobe -v error -select_streams a:0 -show_entries stream=codec_name,sample_rate,channels -of csv=p=0 "$file")
  echo "$file audio: $audio"
  [ "$audio" = "pcm_s16le,22050,1" ] || fail "$file: audio stream '$audio'"
  ffmpeg -v error -i "$file" -f null - || fail "$file: decoding reported errors"
}

check_avi "$out/capture.avi"
check_avi "$out/saved.avi"
cmp -s "$out/capture.avi" "$out/saved.avi" || fail "the saved copy differs"

# Motion JPEG chosen in the compression dialog: every frame the control
# reported is a JPEG that ffmpeg decodes.
mjpg=$out/kept_mjpg.avi
if [ -s "$mjpg" ]; then
  probe=$(ffprobe -v error -count_frames -select_streams v:0 \
    -show_entries stream=codec_name,width,height,nb_read_frames -of csv=p=0 "$mjpg") || fail "ffprobe cannot read $mjpg"
  echo "$mjpg: $probe"
  reported=$(tr -d '\r\n' <"$out/capture_mjpg.count")
  [ "$probe" = "mjpeg,320,240,$reported" ] || fail "$mjpg: '$probe', the control reported $reported frames"
  decoded=$(ffmpeg -v error -i "$mjpg" -f framemd5 - | grep -vc '^#')
  [ "$decoded" = "$reported" ] || fail "$mjpg: ffmpeg decoded $decoded frames"
else
  fail "$mjpg missing"
fi

# The test prefix's own compressor: a codec no reader knows, so its
# packets are counted, not decoded.
mvtc=$out/kept_mvtc.avi
packets=$(ffprobe -v error -count_packets -select_streams v:0 -show_entries stream=codec_tag_string,nb_read_packets \
  -of csv=p=0 "$mvtc") || fail "ffprobe cannot read $mvtc"
echo "$mvtc: $packets"
[ "$packets" = "MVTC,$(tr -d '\r\n' <"$out/kept_mvtc.count")" ] || fail "$mvtc: '$packets'"

bmp=$(identify -format '%m %w %h %[channels]\n' "$out/frame.bmp" 2>&1) || fail "identify: $bmp"
echo "frame.bmp: $bmp"
case "$bmp" in
  "BMP 320 240 "* | "BMP3 320 240 "*) ;;
  *) fail "frame.bmp: $bmp" ;;
esac
exit $status
