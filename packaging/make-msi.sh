#!/usr/bin/env bash
# Builds the kit's installer from one folder of programs:
#   make-msi.sh BIN_DIR ARCH VERSION TOOL_TREE WINE_STATE OUTPUT.msi
# ARCH is x86 for the shipped 32-bit programs, x64 for the 64-bit test tree.
# The control's registry rows are written by kit_msi_rows (a Windows program
# of TOOL_TREE, run in the Wine test bed WINE_STATE) from the OCX in BIN_DIR.
set -euo pipefail
[ $# -eq 6 ] || { echo "usage: $0 BIN_DIR ARCH VERSION TOOL_TREE WINE_STATE OUTPUT.msi" >&2; exit 2; }
bin=$(cd "$1" && pwd) arch=$2 version=$3 tool_tree=$4 state=$5 output=$6
source_dir=$(cd "$(dirname "$0")/.." && pwd)
source "$source_dir/packaging/docs.sh"

case "$arch" in
  x86 | x64) ;;
  *) echo "make-msi.sh: unknown architecture '$arch' (x86 or x64)" >&2; exit 2 ;;
esac
if ! [[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
  echo "make-msi.sh: version '$version' is not major.minor.patch" >&2
  exit 2
fi
for f in sample.exe Halvern.exe Morvane.ocx; do
  [ -f "$bin/$f" ] || { echo "make-msi.sh: $bin/$f is missing" >&2; exit 1; }
done
[ -f "$tool_tree/bin/kit_msi_rows.exe" ] || { echo "make-msi.sh: $tool_tree/bin/kit_msi_rows.exe is not built" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kit-msi.XXXXXX")
trap 'rm -rf "$work"' EXIT
winpath() { printf 'Z:%s' "${1//\//\\}"; }

"$source_dir/scripts/wine-run.sh" "$state" "$tool_tree/bin/kit_msi_rows.exe" \
  "$(winpath "$bin/Morvane.ocx")" "$(winpath "$work/rows.wxi")" "$(winpath "$work/rows-other-view.wxi")" \
  MorvaneOcx INSTALLDIR
[ -s "$work/rows.wxi" ] || { echo "make-msi.sh: kit_msi_rows wrote no rows" >&2; exit 1; }
kit_stage_docs "$work/docs" "$version" "$source_dir"

mkdir -p "$work/bin" "$(dirname "$output")"
output=$(cd "$(dirname "$output")" && pwd)/$(basename "$output")
cp "$bin/sample.exe" "$bin/Halvern.exe" "$bin/Morvane.ocx" "$work/bin/"
cp "$source_dir/packaging/MorvaneKit.wxs" "$work/"
# wixl takes file names relative to the source's folder only.
(cd "$work" && wixl -a "$arch" -D Version="$version" -D Arch="$arch" -D BinDir=bin -D DocDir=docs \
  -D Rows=rows.wxi -D OtherViewRows=rows-other-view.wxi -o "$output" MorvaneKit.wxs)
echo "$output"
