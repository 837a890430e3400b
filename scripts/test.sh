#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test:
#   scripts/test.sh [ctest args...]
set -euo pipefail
root_dir=$(cd "$(dirname "$0")/.." && pwd)
"$root_dir/scripts/setup.sh"
"$root_dir/scripts/build.sh" "$root_dir/build"
tree=$(cat "$root_dir/build/test-tree")
ctest --test-dir "$tree" --output-on-failure --timeout 600 "$@"
