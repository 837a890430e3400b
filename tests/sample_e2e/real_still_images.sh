#!/usr/bin/env bash
# Still images with the real control: "ﾋﾞｯﾄﾏｯﾌﾟ" writes a BMP that ImageMagick
# reads; "ｺﾋﾟｰ" then "表示" shows the frame in ClipBoard; a second "表示" after
# another picture went to the clipboard shows the new one.
#   real_still_images.sh <source-dir> <tree> <wine-state-dir>
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin real_still_images "$1" "$2" "$3"
win_out="Z:$(echo "$E2E_OUT" | tr '/' '\\')"

e2e_launch
e2e_ctl set-text 306 "$win_out\\frame.bmp"
e2e_ctl click 207
e2e_expect_no_box 2
e2e_ctl click 208
e2e_expect_no_box 1
e2e_ctl click 209
e2e_wait_window ClipBoard 30 > /dev/null || e2e_fail "ClipBoard did not appear"
sleep 1
e2e_screenshot ClipBoard copied_frame
colours=$(identify -format '%k' "$E2E_OUT/copied_frame.png")
echo "copied frame: $colours colours"
[ "${colours:-0}" -ge 4 ] || e2e_fail "ClipBoard shows no frame ($colours colours)"

# Another picture goes to the clipboard: solid magenta, 64 x 48.
e2e_probe put-picture 255 0 255 || e2e_fail "could not put a picture on the clipboard"
e2e_ctl click 209
sleep 1.5
e2e_screenshot ClipBoard new_picture
pixel() { convert "$E2E_OUT/new_picture.png" -format "%[pixel:p{$1,$2}]" info: ; }
inside=$(pixel 10 10)
outside=$(pixel 100 100)
echo "new picture at 10,10: $inside; at 100,100: $outside"
case "$inside" in
  *255,0,255*|magenta|*fuchsia*) ;;
  *) e2e_fail "the second 表示 does not show the new picture ($inside)" ;;
esac
case "$outside" in
  *255,0,255*|magenta|*fuchsia*) e2e_fail "the new picture is not drawn at its natural size" ;;
esac
e2e_exit
e2e_verdict
[ -s "$E2E_OUT/frame.bmp" ] || e2e_fail "ﾋﾞｯﾄﾏｯﾌﾟ wrote no file"
identify "$E2E_OUT/frame.bmp" || e2e_fail "ImageMagick cannot read the bitmap"
echo "PASS: real_still_images"
