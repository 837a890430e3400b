#!/usr/bin/env bash
# Runs one Windows program in a build tree's private Wine test bed:
#   wine-run.sh STATE_DIR PROGRAM [ARGS...]
# This is CTest's emulator for the Windows tests.
set -uo pipefail
export KIT_WINE_STATE="$1"; shift
source "$(dirname "$0")/wine-env.sh"
kit_ensure_display || exit 1
kit_ensure_prefix || { echo "Wine prefix could not be prepared; see $KIT_WINE_STATE/logs/wineboot.log" >&2; exit 1; }

# Output goes through files, not straight to our caller: Wine's helper
# processes would keep a pipe open and a caller waiting for end of file hangs.
out=$(mktemp "$KIT_WINE_STATE/logs/run.XXXXXX")
"$KIT_WINE" "$@" </dev/null >"$out.out" 2>"$out.err"
rc=$?
cat "$out.out"
cat "$out.err" >&2
# A program that dies before it writes anything (a fault in its start-up,
# the wineserver going away) would otherwise fail a test with no word at all.
if [ $rc -ne 0 ] && [ ! -s "$out.out" ] && [ ! -s "$out.err" ]; then
  printf 'wine-run.sh: %s ended with exit code %d and wrote nothing\n' "$1" $rc >&2
fi
rm -f "$out" "$out.out" "$out.err"
exit $rc
