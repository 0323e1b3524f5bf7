#!/usr/bin/env bash
# Builds and runs every test. SANITIZE=1 builds and runs them with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-packages.sh"
build=$("$root/scripts/build.sh" | tail -n 1)
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600
