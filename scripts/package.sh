#!/usr/bin/env bash
# Builds the Debian package (programs, tools, demo data, menu entries, icons, man pages, thumbnailer) with
# CPack and prints its path. Install it with `apt-get install ./vantrell_VERSION_ARCH.deb`.
#
#   scripts/package.sh [--no-install]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = --no-install ]; then export NO_INSTALL=1; shift; fi
"$root/scripts/install-packages.sh" package
build=$("$root/scripts/build.sh" | tail -n 1)
(cd "$build" && cpack -G DEB >&2)
ls "$build"/vantrell_*.deb
