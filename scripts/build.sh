#!/usr/bin/env bash
# Configures and builds into build/ (or build-asan/ with SANITIZE=1) and prints the build folder. The build also
# writes the demo data to <build>/data, beside <build>/bin where the programs run.
#
#   scripts/build.sh [CMAKE_OPTION...]    e.g. -DBUILD_TESTS=ON
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${SANITIZE:-0}" = 1 ]; then
  build="$root/build-asan"; options=(-DSANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
else
  build="$root/build"; options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
fi
cmake -S "$root" -B "$build" -G Ninja "${options[@]}" "$@" >&2
cmake --build "$build" -j "$(nproc)" >&2
echo "$build"
