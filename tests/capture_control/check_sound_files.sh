#!/usr/bin/env bash
# Reads back with ffprobe and ffmpeg the sound that morvane_control_tests
# recorded from the test bed's sound server (4 s at 10 fps, 22,050 Hz mono):
#   check_sound_files.sh OUT_DIR
# - sound_steps.avi: a tone stepping 400, 700, 1000, 1300 Hz once a second,
#   played from the capture's first frame: each second's frequency;
# - sound_click.avi: a click played at 2 s: where it lands, within a frame;
# - sound_long.avi: a longer capture with clicks a second after its start
#   and a second before its end: their distance, within a frame;
# - sound_removed.avi: a 500 Hz tone whose input is taken away after 1.5 s:
#   silence after that;
# and in every file the sound lasts as long as the picture, within a frame.
# The end-to-end tests use its two measures on their own files:
#   check_sound_files.sh --analyse FILE | --lengths FILE
set -uo pipefail
out=$1
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

# Per quarter second: "frequency/rms" from zero crossings; then the times
# of the clicks (runs louder than a third of full scale, half a second
# apart at least).
analyse() {  # file
  ffmpeg -v error -i "$1" -map 0:a:0 -f s16le -ac 1 -ar 22050 - | python3 -c '
import struct, sys
data = sys.stdin.buffer.read()
samples = struct.unpack("<%dh" % (len(data) // 2), data)
window = 22050 // 4
cells = []
for start in range(0, len(samples) - window + 1, window):
    part = samples[start:start + window]
    crossings = sum(1 for a, b in zip(part, part[1:]) if (a < 0) != (b < 0))
    rms = (sum(x * x for x in part) / len(part)) ** 0.5
    cells.append("%d/%d" % (crossings * 2, rms))
print(" ".join(cells))
clicks = []
for i, x in enumerate(samples):
    if abs(x) > 10000 and (not clicks or i - clicks[-1] > 11025):
        clicks.append(i)
print(" ".join("%.4f" % (i / 22050.0) for i in clicks) or "-1")
'
}

lengths_agree() {  # file
  local file=$1 video audio
  video=$(ffprobe -v error -select_streams v:0 -show_entries stream=nb_frames,r_frame_rate -of csv=p=0 "$file")
  audio=$(ffprobe -v error -select_streams a:0 -show_entries stream=nb_frames,sample_rate -of csv=p=0 "$file")
  echo "$file: video $video, audio $audio"
  python3 -c '
import sys
rate, frames = sys.argv[1].split(",")
num, den = rate.split("/")
video = int(frames) * int(den) / int(num)
sample_rate, samples = sys.argv[2].split(",")
audio = int(samples) / int(sample_rate)
frame = int(den) / int(num)
print("video %.4f s, audio %.4f s, one frame %.4f s" % (video, audio, frame))
sys.exit(0 if abs(video - audio) <= frame else 1)
' "$video" "$audio" || fail "$file: sound and picture lengths differ by more than a frame"
}

case "$out" in
  --analyse) analyse "$2"; exit ;;
  --lengths) lengths_agree "$2"; exit $status ;;
esac

for name in sound_steps sound_click sound_long sound_removed; do
  [ -s "$out/$name.avi" ] || { fail "$name.avi missing"; continue; }
  lengths_agree "$out/$name.avi"
done

# The steps: every quarter second but those next to a step is the second's
# frequency within 5% (zero crossings of a quarter second).
if [ -s "$out/sound_steps.avi" ]; then
  mapfile -t lines < <(analyse "$out/sound_steps.avi")
  read -r -a cells <<<"${lines[0]}"
  echo "sound_steps.avi per quarter second: ${cells[*]}"
  for i in "${!cells[@]}"; do
    (( i % 4 == 0 || i % 4 == 3 )) && continue
    expected=$(( 400 + 300 * (i / 4) ))
    hz=${cells[$i]%/*}
    (( hz * 100 >= expected * 95 && hz * 100 <= expected * 105 )) ||
      fail "sound_steps.avi: quarter $i is $hz Hz, expected $expected"
  done
  [ "${#cells[@]}" -ge 16 ] || fail "sound_steps.avi: ${#cells[@]} quarter seconds of sound"
fi

# The click: at 2 s, within one frame (0.1 s at 10 fps).
if [ -s "$out/sound_click.avi" ]; then
  mapfile -t lines < <(analyse "$out/sound_click.avi")
  at=${lines[1]%% *}
  echo "sound_click.avi: click at $at s (played at 2.0 s)"
  python3 -c 'import sys; sys.exit(0 if abs(float(sys.argv[1]) - 2.0) <= 0.1 else 1)' "$at" ||
    fail "sound_click.avi: click at $at s, not within a frame of 2.0 s"
fi

# The long capture: its two clicks as far apart as played, within a frame.
if [ -s "$out/sound_long.avi" ]; then
  mapfile -t lines < <(analyse "$out/sound_long.avi")
  read -r -a clicks <<<"${lines[1]}"
  samples=$(ffprobe -v error -select_streams a:0 -show_entries stream=nb_frames -of csv=p=0 "$out/sound_long.avi")
  echo "sound_long.avi: clicks at ${clicks[*]} s of $((samples / 22050)) s (played 1 s in and 1 s before the end)"
  if [ "${#clicks[@]}" != 2 ]; then
    fail "sound_long.avi: ${#clicks[@]} clicks"
  else
    python3 -c '
import sys
first, last, seconds = float(sys.argv[1]), float(sys.argv[2]), int(sys.argv[3]) / 22050
drift = (last - first) - (seconds - 2)
print("drift over %.0f s: %+.4f s" % (seconds - 2, drift))
sys.exit(0 if abs(drift) <= 0.1 else 1)' "${clicks[0]}" "${clicks[1]}" "$samples" ||
      fail "sound_long.avi: the clicks are not as far apart as played, within a frame"
  fi
fi

# The input taken away at 1.5 s: its 500 Hz tone until then, silence from
# 2 s on.
if [ -s "$out/sound_removed.avi" ]; then
  mapfile -t lines < <(analyse "$out/sound_removed.avi")
  read -r -a cells <<<"${lines[0]}"
  echo "sound_removed.avi per quarter second: ${cells[*]}"
  for i in "${!cells[@]}"; do
    hz=${cells[$i]%/*}
    if (( i >= 1 && i <= 4 )); then
      (( hz >= 475 && hz <= 525 )) || fail "sound_removed.avi: quarter $i is $hz Hz, expected 500"
    elif (( i >= 8 )); then
      [ "${cells[$i]#*/}" = 0 ] || fail "sound_removed.avi: quarter $i is not silent (${cells[$i]})"
    fi
  done
fi

exit $status
