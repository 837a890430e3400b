#!/usr/bin/env bash
# A stream capture with the real control: moving frames appear in StreamForm;
# closing StreamForm mid-capture re-creates it hidden and the capture goes on;
# the close box of the main window is refused with the message and the
# capture goes on; the exit button ends the program without a message.
#   real_stream_capture.sh <source-dir> <tree> <wine-state-dir>
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin real_stream_capture "$1" "$2" "$3"

e2e_drive <<'DRIVE'
timeout 20000
start ${SAMPLE}
wait-window "Morvane OCX Sample"
click 212
wait-window StreamForm
file-contains ${E2E_FLAGS}/shots.flag go
close-window StreamForm
wait-gone StreamForm
file-contains ${E2E_FLAGS}/recreated.flag go
wait-window "Morvane OCX Sample"
close-window
expect-msgbox "ｽﾄﾘｰﾑﾁｬﾌﾟﾁｬ中です。終了できません" sample none
answer ok
file-contains ${E2E_FLAGS}/still.flag go
click 206
expect-exit 10000
DRIVE

e2e_wait_window StreamForm 30 > /dev/null || e2e_fail "StreamForm did not appear"
sleep 1.5
e2e_screenshot StreamForm frame_a
sleep 0.5
e2e_screenshot StreamForm frame_b
colours=$(identify -format '%k' "$E2E_OUT/frame_a.png")
differing=$(compare -metric AE "$E2E_OUT/frame_a.png" "$E2E_OUT/frame_b.png" null: 2>&1 | cut -d' ' -f1)
echo "frame a: $colours colours; a and b differ in $differing pixels"
[ "${colours:-0}" -ge 4 ] || e2e_fail "StreamForm shows no picture ($colours colours)"
[ "${differing%.*}" -gt 0 ] 2>/dev/null || e2e_fail "the frames do not move"
e2e_signal shots

# Closed by the user during the capture: the next frame creates it again, hidden.
state=""
for _ in $(seq 1 40); do
  state=$(e2e_probe window-state StreamForm 2>/dev/null | tr -d '\r')
  [ "$state" = hidden ] && break
  sleep 0.25
done
[ "$state" = hidden ] || e2e_fail "StreamForm was not re-created hidden (state '$state')"
e2e_signal recreated

e2e_wait_box 20 > /dev/null || e2e_fail "the close request was not refused with a message"
for _ in $(seq 1 40); do
  e2e_probe box-text sample > /dev/null 2>&1 || break
  sleep 0.25
done
# Still capturing: the guard refuses only while the capture call is pending,
# and the stream window is still there to draw into.
state=$(e2e_probe window-state StreamForm 2>/dev/null | tr -d '\r')
[ "$state" = hidden ] || e2e_fail "StreamForm went away after the refused close (state '$state')"
e2e_signal still
e2e_finish_driver
echo "PASS: real_stream_capture"
