#!/usr/bin/env bash
# Still images with the real control: "ﾋﾞｯﾄﾏｯﾌﾟ" writes a BMP that ImageMagick
# reads; "ｺﾋﾟｰ" then "表示" shows the frame in ClipBoard; a second "表示" after
# another picture went to the clipboard shows the new one.
#   real_still_images.sh <source-dir> <tree> <wine-state-dir>
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin real_still_images "$1" "$2" "$3"
win_out="Z:$(echo "$E2E_OUT" | tr '/' '\\')"
export E2E_BMP="$win_out\\frame.bmp"

e2e_drive <<'DRIVE'
timeout 20000
start ${SAMPLE}
wait-window "Morvane OCX Sample"
set-text 306 "${E2E_BMP}"
click 207
expect-no-msgbox 2000
click 208
expect-no-msgbox 1000
click 209
wait-window ClipBoard
file-contains ${E2E_FLAGS}/first.flag go
wait-window "Morvane OCX Sample"
click 209
wait-window ClipBoard
file-contains ${E2E_FLAGS}/second.flag go
wait-window "Morvane OCX Sample"
click 206
expect-exit 10000
DRIVE

e2e_wait_window ClipBoard 30 > /dev/null || e2e_fail "ClipBoard did not appear"
sleep 1
e2e_screenshot ClipBoard copied_frame
colours=$(identify -format '%k' "$E2E_OUT/copied_frame.png")
echo "copied frame: $colours colours"
[ "${colours:-0}" -ge 4 ] || e2e_fail "ClipBoard shows no frame ($colours colours)"

# Another picture goes to the clipboard: solid magenta, 64 x 48.
e2e_probe put-picture 255 0 255 || e2e_fail "could not put a picture on the clipboard"
e2e_signal first
sleep 1.5
e2e_screenshot ClipBoard new_picture
pixel() { convert "$E2E_OUT/new_picture.png" -format "%[pixel:p{$1,$2}]" info: ; }
inside=$(pixel 10 10)
echo "new picture at 10,10: $inside"
case "$inside" in
  *255,0,255*|magenta|*fuchsia*) ;;
  *) e2e_fail "the second 表示 does not show the new picture ($inside)" ;;
esac
e2e_signal second
e2e_finish_driver

[ -s "$E2E_OUT/frame.bmp" ] || e2e_fail "ﾋﾞｯﾄﾏｯﾌﾟ wrote no file"
identify "$E2E_OUT/frame.bmp" || e2e_fail "ImageMagick cannot read the bitmap"
echo "PASS: real_still_images"
