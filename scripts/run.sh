#!/usr/bin/env bash
# Installs what is needed, builds, and starts Vantrell on the demo scene, or on the documents given.
#
#   scripts/run.sh [--no-install] [vantrell|lustrane] [FILE.dae...]
#
# The programs read their own files from ../data/, so they start in the build's bin/ folder; documents given
# by relative paths are named from where this script was started. --no-install (or NO_INSTALL=1) installs no
# package and stops, naming them, when some are missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = --no-install ]; then export NO_INSTALL=1; shift; fi
program=vantrell
case "${1:-}" in
  vantrell|lustrane) program=$1; shift ;;
  -*) echo "usage: $0 [--no-install] [vantrell|lustrane] [FILE.dae...]" >&2; exit 2 ;;
esac
if [ -z "${DISPLAY:-}" ]; then
  echo "No X display (DISPLAY is not set): start the program from a desktop session, or under xvfb-run" \
       "(scripts/install-packages.sh watch installs it)." >&2
  exit 1
fi
documents=()
for document in "$@"; do
  case $document in /*) ;; *) document=$PWD/$document ;; esac
  documents+=("$document")
done
"$root/scripts/install-packages.sh" run
build=$("$root/scripts/build.sh" | tail -n 1)
cd "$build/bin"
exec "./$program" "${documents[@]}"
