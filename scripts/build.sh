#!/usr/bin/env bash
# Configures and builds the kit:  scripts/build.sh [BUILD_ROOT] [ninja targets...]
#   BUILD_ROOT/win32  the shipped 32-bit programs (Halvern.exe, sample.exe, Morvane.ocx)
#   BUILD_ROOT/win64  only on hosts that cannot run 32-bit Wine: the same code
#                     built for 64-bit Windows, so that every test still runs
# BUILD_ROOT/test-tree names the tree whose CTest runs everything.
set -euo pipefail
root_dir=$(cd "$(dirname "$0")/.." && pwd)
build_root=${1:-$root_dir/build}
shift || true
mkdir -p "$build_root"
build_root=$(cd "$build_root" && pwd)

arch=$("$root_dir/scripts/host-wine-arch.sh")
configure() {  # dir toolchain extra-args...
  local dir=$1 toolchain=$2
  shift 2
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$root_dir" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root_dir/cmake/$toolchain" "$@" >"$dir.configure.log" 2>&1 \
      || { cat "$dir.configure.log"; exit 1; }
  fi
}

if [ "$arch" = win32 ]; then
  configure "$build_root/win32" mingw-i686.cmake
  ninja -C "$build_root/win32" "$@"
  echo "$build_root/win32" > "$build_root/test-tree"
else
  configure "$build_root/win32" mingw-i686.cmake -DKIT_WINE_TESTS=OFF -DKIT_NATIVE=OFF
  configure "$build_root/win64" mingw-x86_64.cmake -DKIT_EXTRA_IMPORT_CHECK="$build_root/win32/bin"
  # The 32-bit tree cannot run its tests here, but it is built whole (test
  # programs too), so code that only compiles for one of the trees shows.
  ninja -C "$build_root/win32" "$@"
  ninja -C "$build_root/win64" "$@"
  echo "$build_root/win64" > "$build_root/test-tree"
fi
