#!/usr/bin/env bash
# Starts or stops a build tree's Wine test bed:
#   wine-testbed.sh start|stop STATE_DIR [--no-sound]
# The bed has its own sound server (wine-env.sh) unless --no-sound: it must
# run before the first Wine program, which looks for sound inputs once.
set -uo pipefail
action=$1
export KIT_WINE_STATE="$2"
sound=1
[ "${3:-}" = --no-sound ] && sound=0
source "$(dirname "$0")/wine-env.sh"

case "$action" in
  start)
    kit_ensure_display || exit 1
    if [ $sound = 1 ]; then kit_ensure_sound || { echo "sound server did not start; see $KIT_WINE_STATE/logs/pulse.log" >&2; exit 1; }; fi
    kit_ensure_prefix || { cat "$KIT_WINE_STATE/logs/wineboot.log" >&2; exit 1; }
    kit_ensure_server
    echo "Wine test bed ready: WINEPREFIX=$WINEPREFIX DISPLAY=$DISPLAY"
    ;;
  stop)
    "$WINESERVER" -k >/dev/null 2>&1 || true
    kit_stop_sound
    if [ -s "$KIT_WINE_STATE/xvfb.pid" ]; then
      kill "$(cat "$KIT_WINE_STATE/xvfb.pid")" 2>/dev/null || true
      rm -f "$KIT_WINE_STATE/xvfb.pid" "$KIT_WINE_STATE/display"
    fi
    echo "Wine test bed stopped"
    ;;
  *)
    echo "usage: $0 start|stop STATE_DIR [--no-sound]" >&2
    exit 2
    ;;
esac
