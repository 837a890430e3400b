#!/usr/bin/env bash
# Builds the portable ZIP from one folder of programs:
#   make-zip.sh BIN_DIR VERSION OUTPUT.zip
# The archive holds one folder, named after the archive, with the three
# programs, the read-me and the licence.
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 BIN_DIR VERSION OUTPUT.zip" >&2; exit 2; }
bin=$(cd "$1" && pwd) version=$2 output=$3
source_dir=$(cd "$(dirname "$0")/.." && pwd)
source "$source_dir/packaging/docs.sh"

for f in sample.exe Halvern.exe Morvane.ocx; do
  [ -f "$bin/$f" ] || { echo "make-zip.sh: $bin/$f is missing" >&2; exit 1; }
done
mkdir -p "$(dirname "$output")"
output=$(cd "$(dirname "$output")" && pwd)/$(basename "$output")
name=$(basename "$output" .zip)

work=$(mktemp -d "${TMPDIR:-/tmp}/kit-zip.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/$name"
cp "$bin/sample.exe" "$bin/Halvern.exe" "$bin/Morvane.ocx" "$work/$name/"
kit_stage_docs "$work/$name" "$version" "$source_dir"
rm -f "$output"
(cd "$work" && zip -q -X -r "$output" "$name")
echo "$output"
