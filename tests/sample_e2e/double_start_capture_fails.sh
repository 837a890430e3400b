#!/usr/bin/env bash
# A file capture whose StartCapture fails: the failure is reported with the
# control's own number and description, and the program goes on — its window
# can be closed afterwards, since no capture is running any more.
#   double_start_capture_fails.sh <source-dir> <tree> <double-state-dir>
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin double_start_capture_fails "$1" "$2" "$3"
e2e_scenario <<'SCENARIO'
fail StartCapture 0x80004005 デバイスが使用中です
SCENARIO

e2e_drive <<'DRIVE'
timeout 20000
start ${SAMPLE}
wait-window "Morvane OCX Sample"
set-text 303 "7.5"
set-text 305 "0"
click 201
expect-msgbox "ｺｰﾙﾊﾞｯｸしますか？" sample question
answer no
file-contains ${E2E_FLAGS}/reported.flag go
wait-window "Morvane OCX Sample"
expect-no-msgbox 1000
close-window
expect-exit 10000
DRIVE

report=$(e2e_wait_box 20) || e2e_fail "the failure was not reported"
echo "report: $report"
case "$report" in
  *80004005*デバイスが使用中です*) ;;
  *) e2e_fail "the report does not state the control's error: $report" ;;
esac
e2e_probe answer-box sample 1
e2e_signal reported
e2e_finish_driver
log=$(tr -d '\r' < "$E2E_OUT/calls.log")
for line in 'put 17 CallbackEnabled VT_BOOL 0' 'put 4 CaptureRate VT_R8 7.5' 'put 8 TimeLimit VT_R8 0' \
            'call 26 StartCapture !0x80004005'; do
  grep -qxF -- "$line" <<< "$log" || e2e_fail "missing call: $line"
done
# The handler ended at the failed call: CallbackEnabled was not put back.
[ "$(grep -c '^put 17 CallbackEnabled' <<< "$log")" = 1 ] || e2e_fail "steps after the failed call ran"
echo "PASS: double_start_capture_fails"
