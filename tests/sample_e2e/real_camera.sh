#!/usr/bin/env bash
# The test camera (tests/test_camera) in sample.exe with the real control, in
# the camera's test bed: the device list holds the synthetic devices, then
# "Morvane Test Camera"; picked there, ｿｰｽ shows the camera's own property
# page in the system's frame, which closes again; the preview shows the
# camera's frames moving, and a stream capture draws the camera's frames in
# StreamForm in order. Frames are told apart by the number the camera paints
# into each one.
#   real_camera.sh <source-dir> <tree> <camera-wine-state-dir>
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin real_camera "$1" "$2" "$3"

readonly camera_index=3
readonly expected_devices=("Morvane ｶﾗｰﾊﾞｰ (合成)" "Morvane 市松模様 (合成)" "Morvane 簡易ｶﾒﾗ (合成)" "Morvane Test Camera")
readonly frame_width=320 frame_height=240
readonly number_bits=16

# The number the camera painted into the frame shown in $1.png, drawn in a
# frame_w x frame_h area from its top left corner: 16 blocks across the top
# quarter, white for 1, black for 0, most significant on the left. Each block
# is read near its left edge, so a window a few pixels narrower than the
# frame still shows the last one. Prints -1 for anything else.
frame_number() {
  local png=$E2E_OUT/$1.png frame_w=$2 frame_h=$3 format="" bit x y values number=0 value
  y=$((frame_h / 8))
  for bit in $(seq 0 $((number_bits - 1))); do
    x=$((bit * frame_w / number_bits + frame_w / (4 * number_bits)))
    format+="%[fx:p{$x,$y}.g>0.75?1:(p{$x,$y}.g<0.25?0:9)] "
  done
  values=$(convert "$png" -format "$format" info:) || { echo -1; return; }
  for value in $values; do
    [ "$value" = 9 ] && { echo -1; return; }
    number=$((number * 2 + value))
  done
  echo "$number"
}

# Two pictures of a window a second apart show camera frames, the later one
# with a higher number.
expect_moving_frames() {  # what shoot-command frame_w frame_h
  local what=$1 shoot=$2 first later
  $shoot "${what}_a"
  sleep 1
  $shoot "${what}_b"
  first=$(frame_number "${what}_a" "$3" "$4")
  later=$(frame_number "${what}_b" "$3" "$4")
  echo "$what: frame $first, a second later frame $later"
  [ "$first" -ge 0 ] || e2e_fail "$what shows no frame of the camera"
  [ "$later" -gt "$first" ] || e2e_fail "$what does not move on ($first, then $later)"
}
shoot_preview() { e2e_screenshot_control 700 "$1"; }
shoot_stream() { e2e_screenshot StreamForm "$1"; }

e2e_launch
mapfile -t devices < <(e2e_ctl items 401)
echo "device list: ${devices[*]}"
e2e_check "device count" "${#expected_devices[@]}" "${#devices[@]}"
for i in "${!expected_devices[@]}"; do
  e2e_check "device $i" "${expected_devices[$i]}" "${devices[$i]:-}"
done
e2e_verdict

e2e_ctl select-item 401 "$camera_index" || e2e_fail "could not pick the camera"

# ｿｰｽ: the frame the system builds around the camera's pages is titled with
# the camera's name (and a word in the user's language); Cancel closes it.
e2e_ctl click 204
frame=""
for _ in $(seq 1 40); do
  id=$(xdotool search --onlyvisible --name "^${expected_devices[$camera_index]}" 2>/dev/null | head -1)
  [ -n "$id" ] && frame=$(xdotool getwindowname "$id") && break
  sleep 0.25
done
[ -n "$frame" ] || e2e_fail "ｿｰｽ showed no property frame of the camera"
echo "property frame: $frame"
e2e_screenshot "$frame" source_pages
e2e_probe click "$frame" 2 || e2e_fail "the property frame has no Cancel button"
for _ in $(seq 1 40); do
  [ "$(e2e_probe window-state "$frame" 2>/dev/null | tr -d '\r')" = visible ] || break
  sleep 0.25
done
[ "$(e2e_probe window-state "$frame" 2>/dev/null | tr -d '\r')" != visible ] || e2e_fail "the property frame did not close"
e2e_expect_no_box 1
# A time limit left on by an earlier capture would end the stream early.
e2e_probe ensure-check "$E2E_MAIN" 104 0 || e2e_fail "could not switch the time limit off"
e2e_ctl set-text 307 "$frame_width"
e2e_ctl set-text 308 "$frame_height"
e2e_ctl click 210
e2e_probe ensure-check "$E2E_MAIN" 101 1 || e2e_fail "could not switch the preview on"
sleep 1.5
rect=$(e2e_ctl control-rect 700)
read -r _ _ preview_w preview_h <<< "$rect"
expect_moving_frames preview shoot_preview "$preview_w" "$preview_h"

e2e_ctl click 212
e2e_wait_window StreamForm 30 > /dev/null || e2e_fail "StreamForm did not appear"
sleep 1
# StreamForm draws each frame at its own size from the top left corner.
expect_moving_frames stream shoot_stream "$frame_width" "$frame_height"
status=$(e2e_ctl get-text 304)
echo "status: $status"
e2e_exit
echo "PASS: real_camera"
