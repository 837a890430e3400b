#!/usr/bin/env bash
# A file capture with the real control: callbacks answered Yes and a time
# limit of 2 seconds give the completion report; the AVI holds the reported
# number of frames (read by ffprobe); "保存" writes a copy ffprobe reads; a
# save into a missing folder is reported and the program goes on.
#   real_file_capture.sh <source-dir> <tree> <wine-state-dir>
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin real_file_capture "$1" "$2" "$3"
win_out="Z:$(echo "$E2E_OUT" | tr '/' '\\')"

e2e_launch
e2e_set_file_capture "$win_out\\capture.avi" 2
e2e_run_capture 6
# The whole screen, so that the report is seen over the main window.
import -window root "$E2E_OUT/completion_report.png" || true
e2e_report_counts
e2e_probe answer-box sample 1
sleep 1

e2e_ctl set-text 301 "$win_out\\saved.avi"
e2e_ctl click 202
e2e_expect_no_box 3
e2e_ctl set-text 301 "$win_out\\no\\such\\saved.avi"
e2e_ctl click 202
missing=$(e2e_wait_box 20) || e2e_fail "the save into a missing folder was not reported"
echo "missing folder report: $missing"
e2e_probe answer-box sample 1
sleep 1
# The program goes on: its fields still answer and the exit button ends it.
e2e_expect_text 301 "$win_out\\no\\such\\saved.avi"
# The control keeps its settings: leave the time limit off for whoever comes next.
e2e_probe ensure-check "$E2E_MAIN" 104 0 || e2e_fail "could not switch the time limit off"
e2e_exit
e2e_verdict

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
