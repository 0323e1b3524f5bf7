#!/usr/bin/env bash
# Installs the Debian 12 packages the project builds, runs and tests with, and the comma-decimal locale the
# tests read numbers under. Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgl-dev libx11-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libpugixml-dev libjpeg62-turbo-dev libstb-dev libfltk1.3-dev
  libgtest-dev libbenchmark-dev libassimp-dev
  xvfb xauth xdotool x11-apps imagemagick fonts-dejavu-core locales
  clang libclang-rt-14-dev
)

sudo_if_needed() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_if_needed apt-get update -qq
  sudo_if_needed env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  sudo_if_needed sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | sudo_if_needed tee -a /etc/locale.gen >/dev/null
  sudo_if_needed locale-gen >/dev/null
fi
