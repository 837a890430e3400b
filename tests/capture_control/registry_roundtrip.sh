#!/usr/bin/env bash
# Registering and unregistering Morvane.ocx leaves the registry exactly as it
# was: the classes of both hives are exported before and after and compared.
#   registry_roundtrip.sh SOURCE_DIR WINE_STATE OCX WORK_DIR
set -euo pipefail
source_dir=$1 state=$2 ocx=$3 work=$4
mkdir -p "$work"
run() { "$source_dir/scripts/wine-run.sh" "$state" "$@"; }
winpath() { printf 'Z:%s' "${1//\//\\}"; }
hives=('HKEY_LOCAL_MACHINE\Software\Classes' 'HKEY_CURRENT_USER\Software\Classes')

export_classes() {  # tag
  local i=0
  for hive in "${hives[@]}"; do
    rm -f "$work/$1-$i.reg"
    run regedit /E "$(winpath "$work/$1-$i.reg")" "$hive" 2>/dev/null || true
    # A hive with no classes key exports nothing: compare it as empty.
    if [ -f "$work/$1-$i.reg" ]; then
      iconv -f UTF-16 -t UTF-8 "$work/$1-$i.reg" >"$work/$1-$i.txt"
    else
      : >"$work/$1-$i.txt"
    fi
    i=$((i + 1))
  done
}

ocx_win=$(winpath "$ocx")
# Start from the unregistered state whatever an earlier run left.
run regsvr32 /u /s "$ocx_win" || true
export_classes before

run regsvr32 /s "$ocx_win"
export_classes registered
for key in 'CLSID\{10A0809D-8253-43B8-B70D-657D7AB86E50}\InprocServer32' 'MORVANELib.Morvane\CurVer' \
           'MORVANELib.Morvane.1\CLSID' 'TypeLib\{B46E6973-1A4C-4EB0-8879-1D61521DE931}\1.0'; do
  if ! grep -aqiF "[HKEY_LOCAL_MACHINE\\Software\\Classes\\$key]" "$work"/registered-*.txt &&
     ! grep -aqiF "[HKEY_CURRENT_USER\\Software\\Classes\\$key]" "$work"/registered-*.txt; then
    echo "after registering, key $key is missing" >&2
    exit 1
  fi
done

run regsvr32 /u /s "$ocx_win"
export_classes after
status=0
for i in 0 1; do
  if ! diff -a -u "$work/before-$i.txt" "$work/after-$i.txt"; then
    echo "registry differs after register + unregister (${hives[$i]})" >&2
    status=1
  fi
done
# Unregistering twice is no error.
run regsvr32 /u /s "$ocx_win" || { echo "a second unregister failed" >&2; status=1; }
exit $status
