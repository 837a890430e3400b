#!/usr/bin/env bash
# Builds the portable ZIP from one folder of programs:
#   make-zip.sh BIN_DIR VERSION OUTPUT.zip [CONTROL64_DIR]
# The archive holds one folder, named after the archive, with the three
# programs, the read-me and the licence; with CONTROL64_DIR, also the 64-bit
# control in its own folder x64, under the same name, so that hosts and
# scripts find Morvane.ocx whichever of the two they register.
set -euo pipefail
[ $# -eq 3 ] || [ $# -eq 4 ] || { echo "usage: $0 BIN_DIR VERSION OUTPUT.zip [CONTROL64_DIR]" >&2; exit 2; }
bin=$(cd "$1" && pwd) version=$2 output=$3 control64=${4:-}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
source "$source_dir/packaging/docs.sh"

for f in sample.exe Halvern.exe Morvane.ocx; do
  [ -f "$bin/$f" ] || { echo "make-zip.sh: $bin/$f is missing" >&2; exit 1; }
done
if [ -n "$control64" ] && [ ! -f "$control64/Morvane.ocx" ]; then
  echo "make-zip.sh: $control64/Morvane.ocx is missing" >&2
  exit 1
fi
mkdir -p "$(dirname "$output")"
output=$(cd "$(dirname "$output")" && pwd)/$(basename "$output")
name=$(basename "$output" .zip)

work=$(mktemp -d "${TMPDIR:-/tmp}/kit-zip.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/$name"
cp "$bin/sample.exe" "$bin/Halvern.exe" "$bin/Morvane.ocx" "$work/$name/"
if [ -n "$control64" ]; then
  mkdir -p "$work/$name/x64"
  cp "$control64/Morvane.ocx" "$work/$name/x64/"
fi
kit_stage_docs "$work/$name" "$version" "$source_dir"
rm -f "$output"
(cd "$work" && zip -q -X -r "$output" "$name")
echo "$output"
