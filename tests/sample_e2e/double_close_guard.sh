#!/usr/bin/env bash
# During a stream capture the close box is refused with the message and the
# capture goes on (every frame is answered 0); the exit button then ends the
# program at once, without a message and without returning into the capture.
#   double_close_guard.sh <source-dir> <tree> <double-state-dir>
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin double_close_guard "$1" "$2" "$3"
e2e_scenario <<'SCENARIO'
capture StartStreamCapture frames=100000 size=320x240 delay=30
SCENARIO

e2e_drive <<'DRIVE'
timeout 20000
start ${SAMPLE}
wait-window "Morvane OCX Sample"
click 212
wait-window StreamForm
wait-window "Morvane OCX Sample"
file-contains ${E2E_FLAGS}/streaming.flag go
close-window
expect-msgbox "ｽﾄﾘｰﾑﾁｬﾌﾟﾁｬ中です。終了できません" sample none
answer ok
file-contains ${E2E_FLAGS}/still.flag go
click 206
expect-exit 10000
DRIVE

e2e_wait_log "event 10 StreamFrame 320 240 stop=0" 20 || e2e_fail "no frames arrived"
sleep 1
e2e_screenshot StreamForm streaming
e2e_signal streaming
# The refusal is answered by the driver; the capture must still be running after it.
e2e_wait_box 20 > /dev/null || e2e_fail "the close request was not refused with a message"
for _ in $(seq 1 40); do
  e2e_probe box-text sample > /dev/null 2>&1 || break
  sleep 0.25
done
sleep 1
before=$(e2e_log_count "StreamFrame")
sleep 1
after=$(e2e_log_count "StreamFrame")
[ "$after" -gt "$before" ] || e2e_fail "the capture stopped after the refused close ($before, $after frames)"
e2e_signal still
e2e_finish_driver
log=$(tr -d '\r' < "$E2E_OUT/calls.log")
grep -q '^put 17 CallbackEnabled VT_BOOL -1$' <<< "$log" || e2e_fail "callbacks were not switched on"
grep -q 'stop=-1' <<< "$log" && e2e_fail "a frame was told to stop while the capture command ran"
grep -q '^end 35 StartStreamCapture' <<< "$log" && e2e_fail "the program returned into the capture after exit"
echo "PASS: double_close_guard ($after frames)"
