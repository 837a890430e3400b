#!/usr/bin/env bash
# Configures and builds the kit:  scripts/build.sh [BUILD_ROOT] [ninja targets...]
#   BUILD_ROOT/win32  the shipped 32-bit programs (Halvern.exe, sample.exe, Morvane.ocx)
#   BUILD_ROOT/win64  the same code built for 64-bit Windows
# Both trees are built whole (test programs too) on every host, so code that
# only compiles for one of them shows wherever it is built. The tests run in
# the 32-bit tree where this host runs 32-bit Wine, and in the 64-bit tree
# where it cannot; BUILD_ROOT/test-tree names the tree whose CTest runs
# everything. The other tree's binaries are checked from there.
set -euo pipefail
root_dir=$(cd "$(dirname "$0")/.." && pwd)
build_root=${1:-$root_dir/build}
shift || true
mkdir -p "$build_root"
build_root=$(cd "$build_root" && pwd)

configure() {  # dir toolchain extra-args...
  local dir=$1 toolchain=$2
  shift 2
  set -- "-DCMAKE_TOOLCHAIN_FILE=$root_dir/cmake/$toolchain" "$@"
  # A tree configured with other arguments (a tree made before the other
  # tree was named, say) is configured again rather than trusted.
  if [ ! -f "$dir/build.ninja" ] || [ "$(cat "$dir.configure.args" 2>/dev/null)" != "$*" ]; then
    cmake -S "$root_dir" -B "$dir" -G Ninja "$@" >"$dir.configure.log" 2>&1 \
      || { cat "$dir.configure.log"; exit 1; }
    echo "$*" > "$dir.configure.args"
  fi
}

if [ "$("$root_dir/scripts/host-wine-arch.sh")" = win32 ]; then
  test_tree=win32 test_toolchain=mingw-i686.cmake
  other_tree=win64 other_toolchain=mingw-x86_64.cmake
else
  test_tree=win64 test_toolchain=mingw-x86_64.cmake
  other_tree=win32 other_toolchain=mingw-i686.cmake
fi

# Where the time goes, for CI's log: each step's seconds on one line at the end.
timings=()
timed() {  # label command...
  local start=$SECONDS
  "${@:2}"
  timings+=("$1 $((SECONDS - start)) s")
}
timed "configure $other_tree" configure "$build_root/$other_tree" "$other_toolchain" -DKIT_WINE_TESTS=OFF -DKIT_NATIVE=OFF
timed "configure $test_tree" configure "$build_root/$test_tree" "$test_toolchain" -DKIT_OTHER_TREE="$build_root/$other_tree"
timed "build $other_tree" ninja -C "$build_root/$other_tree" "$@"
timed "build $test_tree" ninja -C "$build_root/$test_tree" "$@"
echo "Build times: $(IFS=,; echo "${timings[*]}" | sed 's/,/, /g')"
echo "$build_root/$test_tree" > "$build_root/test-tree"
