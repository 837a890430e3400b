#!/usr/bin/env bash
# A double-click into the clipboard window asks the control for its frame:
# an answer of False is reported with "コピー失敗", an answer of True with
# nothing; both pass the window's DC as VT_I4.
#   double_copy_frame.sh <source-dir> <tree> <double-state-dir> <true|false>
source "$(dirname "$0")/e2e_lib.sh"
answer=$4
e2e_begin "double_copy_frame_$answer" "$1" "$2" "$3"
e2e_scenario <<< "copyframe $answer"

e2e_launch
e2e_ctl click 209
e2e_wait_window ClipBoard > /dev/null || e2e_fail "the clipboard window did not appear"
sleep 0.5
e2e_double_click ClipBoard 100 100
if ! e2e_wait_log "call 33 CopyFrameToDC VT_I4 " 10; then
  # Without a window manager the pointer may miss; a posted double-click still
  # tests the program's side.
  echo "note: the real double-click did not arrive; posting one" >&2
  e2e_probe post-dblclick ClipBoard 100 100
  e2e_wait_log "call 33 CopyFrameToDC VT_I4 " 10 || e2e_fail "the double-click did not reach the control"
fi
if [ "$answer" = false ]; then
  e2e_answer_box "コピー失敗"
  result="-> VT_BOOL 0"
else
  e2e_expect_no_box 2
  e2e_screenshot ClipBoard after_copy
  result="-> VT_BOOL -1"
fi
e2e_exit
e2e_verdict
grep -q "^call 33 CopyFrameToDC VT_I4 [0-9-]* $result\$" <(tr -d '\r' < "$E2E_OUT/calls.log") \
  || e2e_fail "CopyFrameToDC was not called with a DC as VT_I4 or answered otherwise"
[ "$(e2e_log_count 'call 33 CopyFrameToDC')" = 1 ] || e2e_fail "one double-click, one call expected"
echo "PASS: double_copy_frame $answer"
