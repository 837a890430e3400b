#!/usr/bin/env bash
# 圧縮 with the real control: the dialog lists uncompressed, the built-in
# Motion JPEG and the machine's compressors; Motion JPEG chosen, a 2-second
# file capture gives an MJPG AVI whose every frame ffmpeg decodes, as many
# as the completion report says. The choice is put back to uncompressed.
#   real_compressed_capture.sh <source-dir> <tree> <wine-state-dir>
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin real_compressed_capture "$1" "$2" "$3"
win_out="Z:$(echo "$E2E_OUT" | tr '/' '\\')"
title="ﾋﾞﾃﾞｵ圧縮"

choose_compression() {  # index
  e2e_ctl click 211
  e2e_wait_window "$title" 20 > /dev/null || e2e_fail "圧縮 showed no dialog"
  choices=$(e2e_probe items "$title" 100 | tr -d '\r')
  e2e_screenshot "$title" "compression_dialog_$1"
  e2e_probe select-item "$title" 100 "$1" || e2e_fail "could not pick compression $1"
  e2e_close_dialog "$title" "the compression dialog"
}

e2e_launch
choose_compression 1
echo "choices offered:"; echo "$choices"
[ "$(echo "$choices" | sed -n 1p)" = "非圧縮 (全ﾌﾚｰﾑ)" ] || e2e_fail "first choice: $(echo "$choices" | sed -n 1p)"
[ "$(echo "$choices" | sed -n 2p)" = "Motion JPEG (内蔵)" ] || e2e_fail "second choice: $(echo "$choices" | sed -n 2p)"

e2e_set_file_capture "$win_out\\compressed.avi" 2
e2e_run_capture 7
e2e_report_counts
e2e_probe answer-box sample 1
sleep 1
# The control keeps its settings: uncompressed and no time limit for whoever comes next.
choose_compression 0
e2e_probe ensure-check "$E2E_MAIN" 104 0 || e2e_fail "could not switch the time limit off"
e2e_exit
e2e_verdict

file="$E2E_OUT/compressed.avi"
[ -s "$file" ] || e2e_fail "no capture file"
probe=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=codec_name,nb_read_frames \
  -of csv=p=0 "$file" | tr -d '\r\n') || e2e_fail "ffprobe cannot read the capture"
decoded=$(ffmpeg -v error -i "$file" -f framemd5 - | grep -vc '^#')
echo "captured $captured; ffprobe: $probe; ffmpeg decoded $decoded frames"
[ "$captured" -gt 0 ] || e2e_fail "nothing was captured"
[ "$probe" = "mjpeg,$captured" ] || e2e_fail "the AVI holds '$probe', the report said $captured MJPG frames"
[ "$decoded" = "$captured" ] || e2e_fail "ffmpeg decoded $decoded frames of $captured"
echo "PASS: real_compressed_capture"
