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
timeout 120000
start ${SAMPLE}
wait-window "Morvane OCX Sample"
file-contains ${E2E_FLAGS}/streaming.flag go
close-window
file-contains ${E2E_FLAGS}/done.flag go
expect-exit 15000
DRIVE
e2e_wait_window "$E2E_MAIN" 60 > /dev/null || e2e_fail "the main window did not appear"

e2e_ctl click 212
e2e_wait_window StreamForm > /dev/null || e2e_fail "StreamForm did not appear"
e2e_wait_log "event 10 StreamFrame 320 240 stop=0" 20 || e2e_fail "no frames arrived"
sleep 1
e2e_screenshot StreamForm streaming
e2e_signal streaming
e2e_answer_box "ｽﾄﾘｰﾑﾁｬﾌﾟﾁｬ中です。終了できません"
sleep 1
before=$(e2e_log_count "StreamFrame")
sleep 1
after=$(e2e_log_count "StreamFrame")
[ "$after" -gt "$before" ] || e2e_fail "the capture stopped after the refused close ($before, $after frames)"
e2e_exit
e2e_verdict
log=$(tr -d '\r' < "$E2E_OUT/calls.log")
grep -q '^put 17 CallbackEnabled VT_BOOL -1$' <<< "$log" || e2e_fail "callbacks were not switched on"
grep -q 'stop=-1' <<< "$log" && e2e_fail "a frame was told to stop while the capture command ran"
grep -q '^end 35 StartStreamCapture' <<< "$log" && e2e_fail "the program returned into the capture after exit"
echo "PASS: double_close_guard ($after frames)"
