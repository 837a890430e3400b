#!/usr/bin/env bash
# Builds the packages that the package tests install, from this tree's
# programs and with the scripts that scripts/package.sh uses:
#   build_packages.sh SOURCE_DIR TREE DIST_DIR CONTROL64_DIR BIN32_DIR
# DIST_DIR/MorvaneKit-<version>.msi     (x86 from a 32-bit tree, x64 from a 64-bit one)
# DIST_DIR/MorvaneKit-<version>-x64.msi the package for 64-bit Windows: the 32-bit
#                                       programs of BIN32_DIR and the 64-bit control
# DIST_DIR/MorvaneKit-<version>-<arch>.zip  with the 64-bit control of CONTROL64_DIR in x64\
# DIST_DIR/MorvaneKit-previous.msi      an older version whose files differ from
#                                       this one's, so that files an upgrade leaves behind show
set -euo pipefail
source_dir=$1 tree=$2 dist=$3 control64=$4 bin32=$5
version=$(cat "$tree/kit-version.txt")
wine_arch=$(cat "$tree/wine/arch")
if [ "$wine_arch" = win64 ]; then msi_arch=x64; else msi_arch=x86; fi
rm -rf "$dist"
mkdir -p "$dist"
echo "$version" > "$dist/version.txt"

"$source_dir/packaging/make-msi.sh" "$tree/bin" "$msi_arch" "$version" "$tree" "$tree/wine" \
  "$dist/MorvaneKit-$version.msi"
"$source_dir/packaging/make-msi.sh" "$bin32" x64 "$version" "$tree" "$tree/wine" \
  "$dist/MorvaneKit-$version-x64.msi" "$control64"
"$source_dir/packaging/make-zip.sh" "$tree/bin" "$version" "$dist/MorvaneKit-$version-$wine_arch.zip" "$control64"

previous=$dist/previous-bin
mkdir -p "$previous"
for f in sample.exe Halvern.exe Morvane.ocx; do
  cp "$tree/bin/$f" "$previous/$f"
  # Bytes after the image's end leave the program as it was but tell the files apart.
  printf 'a file of the previous kit' >> "$previous/$f"
done
"$source_dir/packaging/make-msi.sh" "$previous" "$msi_arch" 0.9.0 "$tree" "$tree/wine" \
  "$dist/MorvaneKit-previous.msi"
