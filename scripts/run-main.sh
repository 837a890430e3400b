#!/usr/bin/env bash
# The main job: sets up the machine, builds the kit, registers our capture
# control in a Wine prefix of its own and runs sample.exe over it.
#   scripts/run-main.sh [seconds]
# With a display, the program stays open until it is closed. Without one it
# runs on a virtual display; after [seconds] (default 8) a screenshot is saved,
# its path printed, and the program closed. The virtual display has no window
# manager, so there the program runs in a Wine desktop window, which draws
# frames and captions as Windows does.
set -euo pipefail
root_dir=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-8}
"$root_dir/scripts/setup.sh"
"$root_dir/scripts/build.sh" "$root_dir/build"
tree=$(cat "$root_dir/build/test-tree")

export KIT_WINE_STATE="$root_dir/build/main-job"
mkdir -p "$KIT_WINE_STATE"
cp "$tree/wine/arch" "$KIT_WINE_STATE/arch"
headless=""
if [ -z "${DISPLAY:-}" ]; then headless=1; fi
"$root_dir/scripts/wine-testbed.sh" start "$KIT_WINE_STATE" >/dev/null
source "$root_dir/scripts/wine-env.sh"
kit_ensure_display

program="$tree/bin/sample.exe"
if [ ! -f "$program" ]; then
  echo "sample.exe has not been built; showing the registration tool instead" >&2
  program="$tree/bin/Halvern.exe"
fi
if [ -f "$tree/bin/Morvane.ocx" ]; then
  echo "registering $tree/bin/Morvane.ocx"
  "$root_dir/scripts/wine-run.sh" "$KIT_WINE_STATE" regsvr32 /s "$tree/bin/Morvane.ocx"
fi

if [ -n "$headless" ]; then
  "$root_dir/scripts/wine-run.sh" "$KIT_WINE_STATE" regedit /S "$root_dir/scripts/wine-desktop.reg"
  # The desktop already made by the running server stays as it is: start again.
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$root_dir/scripts/wine-testbed.sh" start "$KIT_WINE_STATE" >/dev/null
else
  # An earlier headless run left the prefix in its desktop window.
  "$root_dir/scripts/wine-run.sh" "$KIT_WINE_STATE" reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f \
    >/dev/null 2>&1 || true
fi

echo "running $program (Wine prefix $WINEPREFIX, display $DISPLAY)"
if [ -z "$headless" ]; then
  "$root_dir/scripts/wine-run.sh" "$KIT_WINE_STATE" "$program"
  exit $?
fi

"$root_dir/scripts/wine-run.sh" "$KIT_WINE_STATE" "$program" &
pid=$!
sleep "$seconds"
# Nobody is there to tick the preview box: do it as a user would, so that the
# screenshot shows the control's live picture.
probe="$tree/bin/e2e_probe.exe"
if [ "$(basename "$program")" = sample.exe ] && [ -f "$probe" ]; then
  "$root_dir/scripts/wine-run.sh" "$KIT_WINE_STATE" "$probe" click "Morvane OCX Sample" 101 || true
  sleep 3
fi
shot="$KIT_WINE_STATE/screenshot.png"
# The Wine desktop window, as the user would see the screen.
desktop=$(xwininfo -display "$DISPLAY" -root -tree | awk '/Wine desktop/ { print $1; exit }')
import -display "$DISPLAY" -window "${desktop:-root}" "$shot"
echo "screenshot: $shot"
kill "$pid" 2>/dev/null || true
"$root_dir/scripts/wine-testbed.sh" stop "$KIT_WINE_STATE" >/dev/null
