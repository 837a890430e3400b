#!/usr/bin/env bash
# A stream capture with the real control: moving frames appear in StreamForm;
# closing StreamForm mid-capture re-creates it hidden and the capture goes on;
# the close box of the main window is refused with the message and the
# capture goes on; the exit button ends the program without a message.
#   real_stream_capture.sh <source-dir> <tree> <wine-state-dir>
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin real_stream_capture "$1" "$2" "$3"

e2e_drive <<'DRIVE'
timeout 120000
start ${SAMPLE}
wait-window "Morvane OCX Sample"
file-contains ${E2E_FLAGS}/shots.flag go
close-window StreamForm
wait-gone StreamForm
file-contains ${E2E_FLAGS}/recreated.flag go
wait-window "Morvane OCX Sample"
close-window
file-contains ${E2E_FLAGS}/done.flag go
expect-exit 15000
DRIVE
e2e_wait_window "$E2E_MAIN" 60 > /dev/null || e2e_fail "the main window did not appear"

# The control keeps its settings between runs; a time limit left on by an
# earlier capture would end this one early.
e2e_probe ensure-check "$E2E_MAIN" 104 0 || e2e_fail "could not switch the time limit off"
e2e_ctl click 212
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

e2e_answer_box "ｽﾄﾘｰﾑﾁｬﾌﾟﾁｬ中です。終了できません"
# Still capturing: the control's status line keeps counting frames.
status_a=$(e2e_ctl get-text 304)
sleep 1.5
status_b=$(e2e_ctl get-text 304)
echo "status: '$status_a' then '$status_b'"
[ "$status_a" != "$status_b" ] || e2e_fail "the capture did not go on after the refused close"
# The exit button ends the program during the capture, without a message.
e2e_exit
e2e_verdict
echo "PASS: real_stream_capture"
