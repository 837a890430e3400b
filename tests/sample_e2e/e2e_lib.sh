# Shared steps of the end-to-end tests of sample.exe. A test script sources
# this file and calls e2e_begin first:
#   e2e_begin <name> <source-dir> <tree> <wine-state-dir>
# The program is driven by uidriver.exe (tests/ui_driver) running in the
# background; the script meanwhile looks at the screen, the call log of the
# stand-in control and the files written, and uses the real mouse through
# xdotool where a user would double-click.
set -uo pipefail

e2e_fail() {
  echo "FAIL: $*" >&2
  e2e_stop_driver
  e2e_kill_programs
  exit 1
}

# A failed test must not leave its program (and a box it shows) on the shared
# display for the next test to find.
e2e_kill_programs() {
  local exe
  for exe in sample.exe uidriver.exe; do
    "$E2E_SRC/scripts/wine-run.sh" "$E2E_STATE" taskkill /F /IM "$exe" > /dev/null 2>&1 || true
  done
}

e2e_begin() {
  E2E_NAME=$1
  E2E_SRC=$2
  E2E_TREE=$3
  E2E_STATE=$4
  E2E_BIN=$E2E_TREE/bin
  E2E_OUT=$E2E_TREE/tests/sample_e2e/out/$E2E_NAME
  E2E_DRIVER=""
  rm -rf "$E2E_OUT"
  mkdir -p "$E2E_OUT"
  [ -f "$E2E_BIN/sample.exe" ] || e2e_fail "sample.exe is not built"
  [ -f "$E2E_BIN/uidriver.exe" ] || e2e_fail "uidriver.exe is not built"
  export SAMPLE=$E2E_BIN/sample.exe
  export E2E_FLAGS=$E2E_OUT
  export MORVANE_DOUBLE_LOG="Z:$E2E_OUT/calls.log"
  unset MORVANE_DOUBLE_SCRIPT
  [ -s "$E2E_STATE/display" ] || e2e_fail "the test bed $E2E_STATE has no display"
  export DISPLAY
  DISPLAY=$(cat "$E2E_STATE/display")
}

# The stand-in's scenario, from standard input.
e2e_scenario() {
  cat > "$E2E_OUT/scenario.txt"
  export MORVANE_DOUBLE_SCRIPT="Z:$E2E_OUT/scenario.txt"
}

# The driver script, from standard input; runs in the background.
e2e_drive() {
  cat > "$E2E_OUT/drive.txt"
  "$E2E_SRC/scripts/wine-run.sh" "$E2E_STATE" "$E2E_BIN/uidriver.exe" "$E2E_OUT/drive.txt" \
    > "$E2E_OUT/drive.out" 2> "$E2E_OUT/drive.err" &
  E2E_DRIVER=$!
}

# Waits for the driver; fails the test with its report if it failed.
e2e_finish_driver() {
  local rc=0
  wait "$E2E_DRIVER" || rc=$?
  E2E_DRIVER=""
  cat "$E2E_OUT/drive.out"
  if [ $rc -ne 0 ]; then
    cat "$E2E_OUT/drive.err" >&2
    e2e_fail "the driver script failed (exit $rc)"
  fi
}

e2e_stop_driver() {
  if [ -n "${E2E_DRIVER:-}" ]; then
    kill "$E2E_DRIVER" 2>/dev/null
    wait "$E2E_DRIVER" 2>/dev/null
    E2E_DRIVER=""
  fi
}

# Lets the driver go on past "file-contains ${E2E_FLAGS}/<name>.flag go".
e2e_signal() { echo go > "$E2E_OUT/$1.flag"; }

e2e_probe() { "$E2E_SRC/scripts/wine-run.sh" "$E2E_STATE" "$E2E_BIN/e2e_probe.exe" "$@"; }

# Waits up to $2 seconds (default 20) for a visible window titled $1 and
# prints its client area on the screen: left top width height.
e2e_wait_window() {
  local title=$1 limit=${2:-20} rect
  for _ in $(seq 1 $((limit * 2))); do
    if rect=$(e2e_probe client-rect "$title" 2>/dev/null) && [ -n "$rect" ]; then
      echo "$rect" | tr -d '\r'
      return 0
    fi
    sleep 0.5
  done
  return 1
}

# Waits up to $2 seconds for a message box titled "sample" and prints its text.
e2e_wait_box() {
  local limit=${1:-20} text
  for _ in $(seq 1 $((limit * 2))); do
    if text=$(e2e_probe box-text sample 2>/dev/null) && [ -n "$text" ]; then
      echo "$text" | tr -d '\r'
      return 0
    fi
    sleep 0.5
  done
  return 1
}

# A real double-click of the mouse at client point x,y of the window titled $1.
e2e_double_click() {
  local rect left top
  rect=$(e2e_wait_window "$1" 10) || e2e_fail "no window '$1' to double-click"
  read -r left top _ _ <<< "$rect"
  xdotool mousemove $((left + $2)) $((top + $3)) click --repeat 2 --delay 60 1
}

# Screenshot of the client area of the window titled $1 into $E2E_OUT/$2.png.
e2e_screenshot() {
  local rect left top width height
  rect=$(e2e_wait_window "$1" 10) || e2e_fail "no window '$1' to photograph"
  read -r left top width height <<< "$rect"
  import -window root -crop "${width}x${height}+${left}+${top}" +repage "$E2E_OUT/$2.png"
}

# Screenshot of control $1 of the main window (panels included) into $E2E_OUT/$2.png.
e2e_screenshot_control() {
  local rect left top width height
  rect=$(e2e_ctl control-rect "$1") || e2e_fail "no control $1 to photograph"
  read -r left top width height <<< "$rect"
  import -window root -crop "${width}x${height}+${left}+${top}" +repage "$E2E_OUT/$2.png"
}

# Waits up to $2 seconds (default 20) until the call log holds the fixed text $1.
e2e_wait_log() {
  local limit=${2:-20}
  for _ in $(seq 1 $((limit * 4))); do
    grep -qF -- "$1" "$E2E_OUT/calls.log" 2>/dev/null && return 0
    sleep 0.25
  done
  return 1
}

e2e_log_count() { grep -cF -- "$1" "$E2E_OUT/calls.log" 2>/dev/null || true; }

# --- The program held by uidriver, the widgets reached through e2e_probe ---
# uidriver finds controls only among the top-level window's own children;
# most of sample's widgets sit inside panels, so the scripts reach them by id
# through e2e_probe, while uidriver starts the program, owns it and checks
# that it ends.
E2E_MAIN="Morvane OCX Sample"
E2E_FAILURES=0

e2e_launch() {
  e2e_drive <<'DRIVE'
timeout 120000
start ${SAMPLE}
wait-window "Morvane OCX Sample"
file-contains ${E2E_FLAGS}/done.flag go
expect-exit 15000
DRIVE
  e2e_wait_window "$E2E_MAIN" 60 > /dev/null || e2e_fail "the main window did not appear"
}

# The exit button; the program must end without a message.
e2e_exit() {
  e2e_ctl click 206
  e2e_signal done
  e2e_finish_driver
}

e2e_ctl() { local verb=$1 id=$2; shift 2; e2e_probe "$verb" "$E2E_MAIN" "$id" "$@" | tr -d '\r'; }

e2e_check() {  # what expected seen
  if [ "$2" != "$3" ]; then
    echo "MISMATCH: $1: expected '$2', seen '$3'" >&2
    E2E_FAILURES=$((E2E_FAILURES + 1))
  fi
}
e2e_expect_text() { e2e_check "text of $1" "$2" "$(e2e_ctl get-text "$1")"; }
e2e_expect_check() { e2e_check "state of $1" "$2" "$(e2e_ctl check-state "$1")"; }
e2e_expect_enabled() { e2e_check "enabled $1" "$2" "$(e2e_ctl enabled "$1")"; }
e2e_verdict() {
  [ "$E2E_FAILURES" = 0 ] || e2e_fail "$E2E_FAILURES widget checks failed"
}

# Waits for a message box, checks its text and presses a button (1 OK, 6 Yes, 7 No).
e2e_answer_box() {
  local expected=$1 button=${2:-1} text
  text=$(e2e_wait_box 30) || e2e_fail "no message box (expected '$expected')"
  e2e_check "message box" "$expected" "$text"
  # The click is posted; one that arrives while the box is still settling can
  # be lost, so it is posted again while the box stays.
  for attempt in 1 2 3; do
    e2e_probe answer-box sample "$button"
    for _ in $(seq 1 16); do
      e2e_probe box-text sample > /dev/null 2>&1 || return 0
      sleep 0.25
    done
    echo "the box is still open after click $attempt; clicking again" >&2
  done
  e2e_fail "the message box did not close"
}

# No message box titled "sample" shows up within $1 seconds.
e2e_expect_no_box() {
  local text
  if text=$(e2e_wait_box "$1"); then e2e_fail "unexpected message box: $text"; fi
  return 0
}

# Presses OK (id 1) of the dialog titled $1 and waits up to ten seconds for
# it to go; $2 names it in the failure.
e2e_close_dialog() {
  e2e_probe click "$1" 1 > /dev/null || e2e_fail "$2 has no OK button"
  for _ in $(seq 1 40); do
    e2e_probe window-state "$1" > /dev/null 2>&1 || return 0
    sleep 0.25
  done
  e2e_fail "$2 did not close"
}

# A file capture set up in the main window: the file (a Windows path) and
# a time limit of $2 seconds, switched on.
e2e_set_file_capture() {
  e2e_ctl set-text 302 "$1"
  # The file name goes to the control when the field loses the focus.
  e2e_ctl focus 302
  e2e_ctl focus 303
  e2e_ctl set-text 305 "$2"
  e2e_probe ensure-check "$E2E_MAIN" 104 1 || e2e_fail "could not switch the time limit on"
}

# Starts the capture (ｷｬﾌﾟﾁｬ), answers the callback question with $1 (6 Yes,
# 7 No) and waits for the completion report, left in $report.
e2e_run_capture() {
  e2e_ctl click 201
  e2e_answer_box "ｺｰﾙﾊﾞｯｸしますか？" "$1"
  report=$(e2e_wait_box 60) || e2e_fail "no completion report"
  echo "report: $report"
}

# The frames the completion report in $report counts: $captured, $dropped.
e2e_report_counts() {
  if [[ "$report" =~ ^ｷｬﾌﾟﾁｬしたﾌﾚｰﾑ\(([0-9]+)\)\ ﾄﾞﾛｯﾌﾟしたﾌﾚｰﾑ\(([0-9]+)\)$ ]]; then
    captured=${BASH_REMATCH[1]}
    dropped=${BASH_REMATCH[2]}
  else
    e2e_fail "the report is not the completion report: $report"
  fi
}
