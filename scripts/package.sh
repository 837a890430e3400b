#!/usr/bin/env bash
# Builds the kit's packages into dist/:
#   scripts/package.sh [BUILD_ROOT]
#   dist/MorvaneKit-<version>.msi        installer for 32-bit Windows: per machine, silent with /qn,
#                                        upgrades older kits
#   dist/MorvaneKit-<version>-x64.msi    installer for 64-bit Windows: the same, and the 64-bit control
#                                        in x64\, each control in its own registry view
#   dist/MorvaneKit-<version>-win32.zip  the three 32-bit programs, the 64-bit control in x64\,
#                                        read-me and licence
# The version is the CMake project's.
set -euo pipefail
root_dir=$(cd "$(dirname "$0")/.." && pwd)
build_root=${1:-$root_dir/build}
"$root_dir/scripts/setup.sh"
"$root_dir/scripts/build.sh" "$build_root" Halvern sample Morvane kit_msi_rows
build_root=$(cd "$build_root" && pwd)
tree=$(cat "$build_root/test-tree")
version=$(cat "$build_root/win32/kit-version.txt")
dist=$root_dir/dist

# kit_msi_rows runs in a Wine test bed of its own, stopped again at the end.
state=$build_root/package-wine
mkdir -p "$state"
cp "$tree/wine/arch" "$state/arch"
trap '"$root_dir/scripts/wine-testbed.sh" stop "$state" >/dev/null' EXIT

"$root_dir/packaging/make-msi.sh" "$build_root/win32/bin" x86 "$version" "$tree" "$state" \
  "$dist/MorvaneKit-$version.msi"
"$root_dir/packaging/make-msi.sh" "$build_root/win32/bin" x64 "$version" "$tree" "$state" \
  "$dist/MorvaneKit-$version-x64.msi" "$build_root/win64/bin"
"$root_dir/packaging/make-zip.sh" "$build_root/win32/bin" "$version" "$dist/MorvaneKit-$version-win32.zip" \
  "$build_root/win64/bin"
