#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test:
#   scripts/test.sh [ctest args...]
set -euo pipefail
root_dir=$(cd "$(dirname "$0")/.." && pwd)
start=$SECONDS
"$root_dir/scripts/setup.sh"
echo "Set-up: $((SECONDS - start)) s"
"$root_dir/scripts/build.sh" "$root_dir/build"
tree=$(cat "$root_dir/build/test-tree")
if [ "$tree" != "$root_dir/build/win32" ]; then
  echo "This host cannot run 32-bit Wine: the 32-bit tree is built whole and checked for imports but not run;"
  echo "every test runs in the 64-bit tree ($tree) instead."
fi
ctest --test-dir "$tree" --output-on-failure --timeout 600 "$@"
