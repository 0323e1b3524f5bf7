#!/usr/bin/env bash
# Installs the Debian 12 packages of the named sets; safe to run again, it only installs what is missing.
#
#   scripts/install-packages.sh [SET...]     (default: run)
#
#   run      building the engine, the programs and the tools, and running them on a desktop
#   watch    a virtual X server and a screenshot tool, for running the programs without a desktop
#   tests    what scripts/test.sh adds: GoogleTest, the window-test drivers, the comma-decimal locale
#   bench    what the benchmarks and fuzzing add: Google Benchmark, clang with its sanitizer runtimes, and a
#            virtual screen with xdotool for the programs' start-up and walk
#   package  what scripts/package.sh adds to build a .deb
#   style    the formatter scripts/check-format.sh runs
#   all      every set
#
# Installing needs root: the script runs apt-get through sudo when it is not run as root. With NO_INSTALL=1 it
# installs nothing and only fails, naming them, when packages are missing.
set -euo pipefail

declare -A sets=(
  [run]="cmake ninja-build g++ pkg-config
         libgl-dev libx11-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
         libpugixml-dev libjpeg62-turbo-dev libstb-dev libfltk1.3-dev libassimp-dev zlib1g-dev
         fonts-dejavu-core"
  [watch]="xvfb xauth imagemagick"
  [tests]="libgtest-dev xvfb xauth xdotool x11-apps imagemagick locales"
  [bench]="libbenchmark-dev clang libclang-rt-14-dev xvfb xauth xdotool"
  [package]="dpkg-dev file"
  [style]="clang-format"
)

requested=()
for set in "${@:-run}"; do
  if [ "$set" = all ]; then requested+=(run watch tests bench package style); else requested+=("$set"); fi
done

packages=()
for set in "${requested[@]}"; do
  [ -n "${sets[$set]+known}" ] || { echo "usage: $0 [run|watch|tests|bench|package|style|all]..." >&2; exit 2; }
  # Tests, benchmarks and packages all build the project first.
  case $set in tests | bench | package) packages+=(${sets[run]}) ;; esac
  packages+=(${sets[$set]})
done

sudo_if_needed() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for package in $(printf '%s\n' "${packages[@]}" | sort -u); do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ] && [ "${NO_INSTALL:-0}" = 1 ]; then
  echo "Missing Debian packages (NO_INSTALL=1, so not installing them): ${missing[*]}" >&2
  exit 1
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_if_needed apt-get update -qq
  sudo_if_needed env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# The tests read numbers under a comma-decimal locale.
if [[ " ${requested[*]} " == *" tests "* ]] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  if [ "${NO_INSTALL:-0}" = 1 ]; then
    echo "The de_DE.UTF-8 locale is missing (NO_INSTALL=1, so not generating it)" >&2
    exit 1
  fi
  sudo_if_needed sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | sudo_if_needed tee -a /etc/locale.gen >/dev/null
  sudo_if_needed locale-gen >/dev/null
fi
