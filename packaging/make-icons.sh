#!/usr/bin/env bash
# Draws the programs' icons with scenerender from the demo data: Vantrell's start view and Lustrane's model.
# The icons are kept in the repository, so that installing needs no GL at build time; run this again when the
# demo data changes.
#
#   packaging/make-icons.sh [BUILD_DIR]     (default build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
icons=$root/packaging/icons
cd "$build/bin"
./scenerender --size 128x128 --phong ../data/phong.vert ../data/phong.frag \
  --lookat -6,-1.2,3.2,0,-0.2,1.2,0,0,1 \
  -o "$icons/vantrell.png" ../data/models.dae ../data/ground.dae ../data/rocks.dae ../data/sky.dae
./scenerender --size 128x128 --phong ../data/phong.vert ../data/phong.frag --fov 30 \
  --placed 0,0,-12,20,-30,0,1,1,1 -o "$icons/lustrane.png" ../data/model.dae
