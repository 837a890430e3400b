#!/usr/bin/env bash
# 音声録音 with a real input: the audio dialog (ｵｰﾃﾞｨｵ) picks the test bed's
# "Monitor of Camera", into which sox and paplay play a tone stepping up
# 300 Hz once a second, and a 3 s capture records it. ffmpeg finds the
# played steps in the file, in order and without a gap; ffprobe finds sound
# as long as the picture. The control's settings are put back at the end.
#   real_sound_capture.sh <source-dir> <tree> <wine-state-dir>
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin real_sound_capture "$1" "$2" "$3"
export KIT_WINE_STATE=$E2E_STATE
source "$E2E_SRC/scripts/wine-env.sh"
[ -n "${PULSE_SERVER:-}" ] || e2e_fail "the test bed has no sound server (scripts/wine-testbed.sh)"
check_sound=$E2E_SRC/tests/capture_control/check_sound_files.sh
win_out="Z:$(echo "$E2E_OUT" | tr '/' '\\')"
dialog="ｵｰﾃﾞｨｵ ﾌｫｰﾏｯﾄ"

# Twenty steps: the capture begins some seconds in (the dialog, the
# callback question and the input's start), later on a busy machine.
steps=()
for hz in $(seq 400 300 6100); do
  sox -n -r 22050 -c 1 -b 16 "$E2E_OUT/step$hz.wav" synth 1 sine $hz vol 0.5
  steps+=("$E2E_OUT/step$hz.wav")
done
sox "${steps[@]}" "$E2E_OUT/steps.wav"

# Picks an input of the audio dialog by name (index 0 is automatic).
choose_input() {  # name-or-empty
  e2e_ctl click 205 > /dev/null
  e2e_wait_window "$dialog" 20 > /dev/null || e2e_fail "the audio dialog did not open"
  local index=0
  if [ -n "$1" ]; then
    index=$(e2e_probe items "$dialog" 100 | tr -d '\r' | grep -nxF -- "$1" | cut -d: -f1)
    [ -n "$index" ] || e2e_fail "the audio dialog does not offer '$1'"
    index=$((index - 1))
  fi
  e2e_probe select-item "$dialog" 100 "$index" || e2e_fail "could not pick input $index"
  [ -n "$1" ] && e2e_screenshot "$dialog" audio_dialog
  e2e_close_dialog "$dialog" "the audio dialog"
}

e2e_launch
e2e_set_file_capture "$win_out\\sound.avi" 3
e2e_probe ensure-check "$E2E_MAIN" 103 1 || e2e_fail "could not switch 音声録音 on"
choose_input "Monitor of Camera"

paplay --device=cam "$E2E_OUT/steps.wav" &
player=$!
e2e_run_capture 7
e2e_probe answer-box sample 1
sleep 1
kill "$player" 2>/dev/null || true
wait "$player" 2>/dev/null || true

# The control keeps its settings: put back what a fresh control has.
choose_input ""
e2e_probe ensure-check "$E2E_MAIN" 103 0 || e2e_fail "could not switch 音声録音 off"
e2e_probe ensure-check "$E2E_MAIN" 104 0 || e2e_fail "could not switch the time limit off"
e2e_exit
e2e_verdict

[ -s "$E2E_OUT/sound.avi" ] || e2e_fail "no capture file"
"$check_sound" --lengths "$E2E_OUT/sound.avi" || e2e_fail "sound and picture differ in length"
mapfile -t analysis < <("$check_sound" --analyse "$E2E_OUT/sound.avi")
read -r -a cells <<<"${analysis[0]}"
echo "per quarter second: ${cells[*]}"
[ "${#cells[@]}" -ge 11 ] || e2e_fail "only ${#cells[@]} quarter seconds of sound"
# Every quarter is sound; those inside a step are a played frequency, the
# steps rise, and a step runs at most four quarters (none was lost). A
# quarter partly silent (the end, where the track pads what the input had
# not yet delivered) counts its crossings low by as much as its level is
# low, and may land near an earlier step: only quarters at the full level
# are read for their frequency.
loudest=0
for cell in "${cells[@]}"; do (( ${cell#*/} > loudest )) && loudest=${cell#*/}; done
previous=0 run=0 distinct=0
for i in "${!cells[@]}"; do
  hz=${cells[$i]%/*} rms=${cells[$i]#*/}
  [ "$rms" -ge 5000 ] || e2e_fail "quarter $i is silent ($rms)"
  (( rms * 100 >= loudest * 97 )) || continue
  step=$(( (hz + 150) / 300 * 300 + 100 ))
  (( hz * 100 >= step * 97 && hz * 100 <= step * 103 )) || continue  # a quarter across a step
  if [ "$step" = "$previous" ]; then
    run=$((run + 1))
  else
    (( step > previous )) || e2e_fail "quarter $i: $hz Hz after $previous Hz"
    previous=$step run=1 distinct=$((distinct + 1))
  fi
  (( run <= 4 )) || e2e_fail "quarter $i: $step Hz for more than a second"
done
(( distinct >= 2 )) || e2e_fail "the recording holds $distinct of the played steps"
echo "PASS: real_sound_capture"
