#!/usr/bin/env bash
# sample.exe started from a folder of a package opens its main window, and the
# control in it previews: its picture moves between two screenshots.
#   sample_runs.sh SOURCE_DIR TREE WINE_STATE SAMPLE_WINDOWS_PATH NAME [SCREENSHOT.png]
# SCREENSHOT receives the screen (the prefix's Wine desktop, if it has one) while previewing.
source "$1/tests/sample_e2e/e2e_lib.sh"
e2e_begin "$5" "$1" "$2" "$3"
export SAMPLE=$4
screenshot=${6:-}

e2e_drive <<'DRIVE'
timeout 120000
start "${SAMPLE}"
wait-window "Morvane OCX Sample"
file-contains ${E2E_FLAGS}/done.flag go
expect-exit 15000
DRIVE
e2e_wait_window "$E2E_MAIN" 60 > /dev/null || e2e_fail "the main window of $SAMPLE did not appear"
e2e_probe ensure-check "$E2E_MAIN" 101 1 || e2e_fail "could not tick the preview box"
sleep 2
e2e_screenshot "$E2E_MAIN" preview_a
sleep 1
e2e_screenshot "$E2E_MAIN" preview_b
colours=$(identify -format '%k' "$E2E_OUT/preview_a.png")
differing=$(compare -metric AE "$E2E_OUT/preview_a.png" "$E2E_OUT/preview_b.png" null: 2>&1 | cut -d' ' -f1)
echo "main window: $colours colours; two shots differ in $differing pixels"
[ "${colours:-0}" -ge 8 ] || e2e_fail "the main window shows no picture ($colours colours)"
[ "${differing%.*}" -gt 0 ] 2>/dev/null || e2e_fail "the control's preview does not move"
if [ -n "$screenshot" ]; then
  # The Wine desktop window alone: the screen as a user of the prefix sees it.
  desktop=$(xwininfo -root -tree | awk '/Wine desktop/ { print $1; exit }')
  import -window "${desktop:-root}" "$screenshot"
  echo "screenshot: $screenshot"
fi
e2e_exit
e2e_verdict
echo "PASS: $SAMPLE previews"
