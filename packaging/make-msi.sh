#!/usr/bin/env bash
# Builds the kit's installer from one folder of programs:
#   make-msi.sh BIN_DIR ARCH VERSION TOOL_TREE WINE_STATE OUTPUT.msi [CONTROL64_DIR]
# ARCH x86: the 32-bit programs of BIN_DIR, for 32-bit Windows.
# ARCH x64 with CONTROL64_DIR: the same 32-bit programs and control, and the
#   64-bit control of CONTROL64_DIR in the folder x64, for 64-bit Windows.
# ARCH x64 alone: the 64-bit programs of BIN_DIR (the 64-bit test tree).
# A control's registry rows are written by kit_msi_rows (a Windows program
# of TOOL_TREE, run in the Wine test bed WINE_STATE) from the OCX itself.
set -euo pipefail
[ $# -eq 6 ] || [ $# -eq 7 ] || {
  echo "usage: $0 BIN_DIR ARCH VERSION TOOL_TREE WINE_STATE OUTPUT.msi [CONTROL64_DIR]" >&2
  exit 2
}
bin=$(cd "$1" && pwd) arch=$2 version=$3 tool_tree=$4 state=$5 output=$6 control64=${7:-}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
source "$source_dir/packaging/docs.sh"

# The machine a Windows program is built for, from its PE header.
pe_machine() {
  local offset
  offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  case "$(od -An -tx2 -j$((offset + 4)) -N2 "$1" | tr -d ' ')" in
    014c) echo x86 ;;
    8664) echo x64 ;;
    *) echo unknown ;;
  esac
}
expect_machine() {  # file machine
  local found
  found=$(pe_machine "$1")
  [ "$found" = "$2" ] || { echo "make-msi.sh: $1 is built for $found, this package needs $2" >&2; exit 1; }
}

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
programs=32
if [ "$arch" = x64 ] && [ -z "$control64" ]; then programs=64; fi
for f in sample.exe Halvern.exe Morvane.ocx; do
  if [ $programs = 64 ]; then expect_machine "$bin/$f" x64; else expect_machine "$bin/$f" x86; fi
done
if [ -n "$control64" ]; then
  [ "$arch" = x64 ] || { echo "make-msi.sh: the 64-bit control goes into the x64 package only" >&2; exit 2; }
  [ -f "$control64/Morvane.ocx" ] || { echo "make-msi.sh: $control64/Morvane.ocx is missing" >&2; exit 1; }
  control64=$(cd "$control64" && pwd)
  expect_machine "$control64/Morvane.ocx" x64
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kit-msi.XXXXXX")
trap 'rm -rf "$work"' EXIT
winpath() { printf 'Z:%s' "${1//\//\\}"; }
rows() {  # ocx rows.wxi other-view.wxi file-id folder-property
  "$source_dir/scripts/wine-run.sh" "$state" "$tool_tree/bin/kit_msi_rows.exe" \
    "$(winpath "$1")" "$(winpath "$2")" "$(winpath "$3")" "$4" "$5"
  [ -s "$2" ] || { echo "make-msi.sh: kit_msi_rows wrote no rows for $1" >&2; exit 1; }
}

rows "$bin/Morvane.ocx" "$work/rows.wxi" "$work/rows-other-view.wxi" MorvaneOcx INSTALLDIR
wixl_args=(-D Programs=$programs -D Control64=no)
if [ -n "$control64" ]; then
  rows "$control64/Morvane.ocx" "$work/rows64.wxi" "$work/rows64-other-view.wxi" MorvaneOcx64 INSTALLDIR64
  mkdir -p "$work/bin64"
  cp "$control64/Morvane.ocx" "$work/bin64/"
  wixl_args=(-D Programs=32 -D Control64=yes -D Bin64Dir=bin64 -D Rows64=rows64.wxi)
fi
kit_stage_docs "$work/docs" "$version" "$source_dir"

mkdir -p "$work/bin" "$(dirname "$output")"
output=$(cd "$(dirname "$output")" && pwd)/$(basename "$output")
cp "$bin/sample.exe" "$bin/Halvern.exe" "$bin/Morvane.ocx" "$work/bin/"
cp "$source_dir/packaging/MorvaneKit.wxs" "$work/"
# wixl takes file names relative to the source's folder only.
(cd "$work" && wixl -a "$arch" -D Version="$version" "${wixl_args[@]}" -D BinDir=bin -D DocDir=docs \
  -D Rows=rows.wxi -D OtherViewRows=rows-other-view.wxi -o "$output" MorvaneKit.wxs)
echo "$output"
