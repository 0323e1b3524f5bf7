#!/usr/bin/env bash
# Installs what is needed, builds, and starts Vantrell on the demo scene; `scripts/run.sh lustrane` starts
# Lustrane instead. Both read their files from ../data/, so they start in the build's bin/ folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-vantrell}
case "$program" in
  vantrell|lustrane) ;;
  *) echo "usage: $0 [vantrell|lustrane]" >&2; exit 2 ;;
esac
"$root/scripts/install-packages.sh"
build=$("$root/scripts/build.sh" | tail -n 1)
if [ -z "${DISPLAY:-}" ]; then
  echo "No X display (DISPLAY is not set): start the program from a desktop session, or under xvfb-run." >&2
  exit 1
fi
cd "$build/bin"
exec "./$program"
