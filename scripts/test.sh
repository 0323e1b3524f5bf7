#!/usr/bin/env bash
# Installs what the tests need, builds, and runs every test. SANITIZE=1 builds and runs them with
# AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/. --no-install (or NO_INSTALL=1) installs no
# package and stops, naming them, when some are missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = --no-install ]; then export NO_INSTALL=1; shift; fi
"$root/scripts/install-packages.sh" tests
build=$("$root/scripts/build.sh" -DBUILD_TESTS=ON | tail -n 1)
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600
