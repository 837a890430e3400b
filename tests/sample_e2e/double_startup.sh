#!/usr/bin/env bash
# Start-up against the stand-in: every widget shows what the control reported
# (through the program's own conversions), and the control sees exactly the
# start-up sequence of calls, in order, with the agreed VARIANT types.
#   double_startup.sh <source-dir> <tree> <double-state-dir>
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin double_startup "$1" "$2" "$3"

e2e_scenario <<'SCENARIO'
device 0 "Cam A"
device 1 "Cam B"
device 2 "ｶﾒﾗ C"
get TimeLimit r8 30
get CaptureRate r8 14.5
get Overlay bool true
get HasOverlay bool false
get HasFormatDialog bool false
get CaptureWidth r8 352
get CaptureHeight r8 288
get CaptureFileName bstr "C:\TEMP\CAP.AVI"
SCENARIO

e2e_launch
# Widget by widget: id and what it must show.
while read -r id text; do
  e2e_expect_text "$id" "$text"
done <<'TEXTS'
304 MorvaneDouble ready
303 14
305 30
307 352
308 264
309 15
310 4800
311 3600
302 C:\TEMP\CAP.AVI
306 C:\TEMP\SAMPLE.BMP
301 C:\TEMP\SAMPLE.AVI
401 Cam A
TEXTS
# Check boxes: Check4 from the time limit, Check6 checked though disabled, Check7 always.
while read -r id state; do
  e2e_expect_check "$id" "$state"
done <<'CHECKS'
101 0
102 0
103 0
104 1
105 0
106 1
107 1
108 0
109 0
CHECKS
while read -r id enabled; do
  e2e_expect_enabled "$id" "$enabled"
done <<'ENABLED'
106 0
203 0
204 1
205 1
211 1
ENABLED
e2e_exit
e2e_verdict

# The start-up sequence as the control saw it; the status line's handle varies.
sed -e 's/^put 5 StatusWindow VT_I4 [0-9-]*$/put 5 StatusWindow VT_I4 <handle>/' -e 's/\r$//' \
  "$E2E_OUT/calls.log" | sed -n '/^get 2 Preview/,/^put 11 DeviceIndex/p' > "$E2E_OUT/startup.log"
cat > "$E2E_OUT/expected.log" <<'EXPECTED'
get 2 Preview -> VT_BOOL 0
get 3 AudioRecording -> VT_BOOL 0
get 8 TimeLimit -> VT_R8 30
put 7 TimeLimitEnabled VT_I2 1
get 6 ConfirmBeforeCapture -> VT_BOOL 0
get 9 Overlay -> VT_BOOL -1
put 9 Overlay VT_I2 1
get 21 HasOverlay -> VT_BOOL 0
get 12 StopOnLeftClick -> VT_BOOL 0
get 13 StopOnRightClick -> VT_BOOL 0
get 1 CaptureFileName -> VT_BSTR "C:\\TEMP\\CAP.AVI"
get 4 CaptureRate -> VT_R8 14.5
get 8 TimeLimit -> VT_R8 30
get 18 HasFormatDialog -> VT_BOOL 0
get 19 HasSourceDialog -> VT_BOOL -1
get 22 CaptureWidth -> VT_R8 352
get 23 CaptureHeight -> VT_R8 288
get 10 PreviewRate -> VT_R8 15
put 5 StatusWindow VT_I4 <handle>
get 24 DeviceCount -> VT_I2 3
get 24 DeviceCount -> VT_I2 3
call 36 DeviceName VT_BYREF|VT_I2 0 -> VT_BSTR "Cam A"
call 36 DeviceName VT_BYREF|VT_I2 1 -> VT_BSTR "Cam B"
call 36 DeviceName VT_BYREF|VT_I2 2 -> VT_BSTR "ｶﾒﾗ C"
put 11 DeviceIndex VT_I2 0
EXPECTED
diff -u "$E2E_OUT/expected.log" "$E2E_OUT/startup.log" || e2e_fail "start-up calls differ (expected, seen)"
grep -q '^activate$' "$E2E_OUT/calls.log" || e2e_fail "the control was never activated in place"
echo "PASS: double_startup"
