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
timeout 120000
start ${SAMPLE}
wait-window "Morvane OCX Sample"
file-contains ${E2E_FLAGS}/done.flag go
wait-window "Morvane OCX Sample"
close-window
expect-exit 15000
DRIVE
e2e_wait_window "$E2E_MAIN" 60 > /dev/null || e2e_fail "the main window did not appear"

e2e_ctl set-text 303 " 7.5"
e2e_ctl set-text 305 "0"
e2e_ctl click 201
e2e_answer_box "ｺｰﾙﾊﾞｯｸしますか？" 7
report=$(e2e_wait_box 20) || e2e_fail "the failure was not reported"
echo "report: $report"
case "$report" in
  *80004005*デバイスが使用中です*) ;;
  *) e2e_fail "the report does not state the control's error: $report" ;;
esac
e2e_probe answer-box sample 1
e2e_expect_no_box 1
# The close box now closes the program (uidriver posts WM_CLOSE and waits for the end).
e2e_signal done
e2e_finish_driver
e2e_verdict
log=$(tr -d '\r' < "$E2E_OUT/calls.log")
for line in 'put 17 CallbackEnabled VT_BOOL 0' 'put 4 CaptureRate VT_R8 7.5' 'put 8 TimeLimit VT_R8 0' \
            'call 26 StartCapture !0x80004005'; do
  grep -qxF -- "$line" <<< "$log" || e2e_fail "missing call: $line"
done
# The handler ended at the failed call. The only call allowed after it is
# switching the callbacks off again, so that the control is not left raising
# frame events for a capture that never ran.
after=$(sed -n '/^call 26 StartCapture !0x80004005$/,$p' <<< "$log" | tail -n +2 | grep -v '^close$' || true)
case "$after" in
  ""|"put 17 CallbackEnabled VT_BOOL 0") ;;
  *) e2e_fail "steps after the failed call ran: $after" ;;
esac
echo "PASS: double_start_capture_fails"
