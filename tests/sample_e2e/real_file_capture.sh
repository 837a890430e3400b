#!/usr/bin/env bash
# A file capture with the real control: callbacks answered Yes and a time
# limit of 2 seconds give the completion report; the AVI holds the reported
# number of frames (read by ffprobe); "保存" writes a copy ffprobe reads; a
# save into a missing folder is reported and the program goes on.
#   real_file_capture.sh <source-dir> <tree> <wine-state-dir>
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin real_file_capture "$1" "$2" "$3"
win_out="Z:$(echo "$E2E_OUT" | tr '/' '\\')"
export E2E_CAPTURE="$win_out\\capture.avi" E2E_SAVED="$win_out\\saved.avi" E2E_MISSING="$win_out\\no\\such\\saved.avi"

e2e_drive <<'DRIVE'
timeout 30000
start ${SAMPLE}
wait-window "Morvane OCX Sample"
set-text 302 "${E2E_CAPTURE}"
focus 302
focus 303
set-text 305 "2"
file-contains ${E2E_FLAGS}/limit.flag go
click 201
expect-msgbox "ｺｰﾙﾊﾞｯｸしますか？" sample question
answer yes
file-contains ${E2E_FLAGS}/reported.flag go
wait-window "Morvane OCX Sample"
set-text 301 "${E2E_SAVED}"
click 202
expect-no-msgbox 3000
set-text 301 "${E2E_MISSING}"
click 202
file-contains ${E2E_FLAGS}/missing.flag go
wait-window "Morvane OCX Sample"
expect-text 301 "${E2E_MISSING}"
click 206
expect-exit 10000
DRIVE

e2e_wait_window "Morvane OCX Sample" 30 > /dev/null || e2e_fail "the main window did not appear"
e2e_probe ensure-check "Morvane OCX Sample" 104 1 || e2e_fail "could not switch the time limit on"
e2e_signal limit

report=$(e2e_wait_box 60) || e2e_fail "no completion report"
echo "report: $report"
if [[ "$report" =~ ^ｷｬﾌﾟﾁｬしたﾌﾚｰﾑ\(([0-9]+)\)\ ﾄﾞﾛｯﾌﾟしたﾌﾚｰﾑ\(([0-9]+)\)$ ]]; then
  captured=${BASH_REMATCH[1]}
  dropped=${BASH_REMATCH[2]}
else
  e2e_fail "the report is not the completion report: $report"
fi
e2e_probe answer-box sample 1
e2e_signal reported

missing=$(e2e_wait_box 20) || e2e_fail "the save into a missing folder was not reported"
echo "missing folder report: $missing"
e2e_probe answer-box sample 1
e2e_signal missing
e2e_finish_driver

frames() {
  ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$1" \
    | tr -d '\r\n'
}
[ -s "$E2E_OUT/capture.avi" ] || e2e_fail "no capture file"
read_frames=$(frames "$E2E_OUT/capture.avi") || e2e_fail "ffprobe cannot read the capture"
echo "captured $captured, dropped $dropped, ffprobe reads $read_frames frames"
[ "$captured" -gt 0 ] || e2e_fail "nothing was captured"
[ "$read_frames" = "$captured" ] || e2e_fail "the AVI holds $read_frames frames, the report said $captured"
[ -s "$E2E_OUT/saved.avi" ] || e2e_fail "保存 wrote no file"
saved_frames=$(frames "$E2E_OUT/saved.avi") || e2e_fail "ffprobe cannot read the saved copy"
[ "$saved_frames" = "$captured" ] || e2e_fail "the saved copy holds $saved_frames frames"
echo "PASS: real_file_capture"
