#!/usr/bin/env bash
# A double-click into the clipboard window asks the control for its frame:
# an answer of False is reported with "コピー失敗", an answer of True with
# nothing; both pass the window's DC as VT_I4.
#   double_copy_frame.sh <source-dir> <tree> <double-state-dir> <true|false>
source "$(dirname "$0")/e2e_lib.sh"
answer=$4
e2e_begin "double_copy_frame_$answer" "$1" "$2" "$3"
echo "copyframe $answer" | e2e_scenario

if [ "$answer" = false ]; then
  after_click='expect-msgbox "コピー失敗" sample none
answer ok'
  result="-> VT_BOOL 0"
else
  after_click='expect-no-msgbox 2000'
  result="-> VT_BOOL -1"
fi

e2e_drive <<DRIVE
timeout 20000
start \${SAMPLE}
wait-window "Morvane OCX Sample"
click 209
wait-window ClipBoard
file-contains \${E2E_FLAGS}/clicked.flag go
$after_click
wait-window "Morvane OCX Sample"
click 206
expect-exit 10000
DRIVE

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
[ "$answer" = true ] && e2e_screenshot ClipBoard after_copy
e2e_signal clicked
e2e_finish_driver
grep -q "^call 33 CopyFrameToDC VT_I4 [0-9-]* $result\$" <(tr -d '\r' < "$E2E_OUT/calls.log") \
  || e2e_fail "CopyFrameToDC was not called with a DC as VT_I4 or answered otherwise"
[ "$(e2e_log_count 'call 33 CopyFrameToDC')" = 1 ] || e2e_fail "one double-click, one call expected"
echo "PASS: double_copy_frame $answer"
