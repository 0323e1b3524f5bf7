#!/usr/bin/env bash
# Vantrell on a scene, on the X display of DISPLAY (Xvfb): the milliseconds from the process's start to its
# first frame, and the frames per second while w is held (a walk forward), each the median of repeated runs in
# fresh processes.
#   bench/walkframes.sh [FILE.dae ...]     the documents Vantrell opens; none: its demo scene
# Prints one line: "FIRST_FRAME_MS FRAMES_PER_SECOND". BUILD_DIR selects the build folder (default build/),
# REPETITIONS the runs (default 5), HOLD_SECONDS how long w is held (default 1.2: the walk stays inside the
# scene's 50-unit sphere). Needs vantrell and firstframe built, and xdotool; for example
#   xvfb-run -a -s "-screen 0 1280x1024x24" bench/walkframes.sh build/benchdata/grid_1000000.dae
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${BUILD_DIR:-$root/build}/bin
repetitions=${REPETITIONS:-5}
hold=${HOLD_SECONDS:-1.2}
documents=()
for file in "$@"; do documents+=("$(realpath "$file")"); done

if [ -z "${DISPLAY:-}" ]; then
  echo "walkframes.sh needs an X display: run it under xvfb-run, or after bench/run.sh's Xvfb" >&2
  exit 2
fi
work=$(mktemp -d)
program_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null && wait "$program_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) exit 1; print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# The probe's swap count and the time of the last swap in nanoseconds.
swaps() { od -An -t u8 -N 16 "$work/swaps"; }

# One run: the first frame's milliseconds and the frame rate while walking.
run_once() {
  rm -f "$work/first" "$work/swaps"
  (cd "$bin" && FIRST_FRAME_FILE=$work/first SWAP_COUNT_FILE=$work/swaps LD_PRELOAD=$bin/firstframe.so \
    FIRST_FRAME_START=${EPOCHREALTIME/[.,]/} exec ./vantrell "${documents[@]}" >/dev/null 2>&1) &
  program_pid=$!
  for ((i = 0; i < 1200; ++i)); do [ -s "$work/first" ] && break; sleep 0.025; done
  [ -s "$work/first" ] || { echo "vantrell showed no frame within 30 s" >&2; return 1; }
  local window
  window=$(xdotool search --sync --onlyvisible --name '^Vantrell$' | head -n 1)
  # Keys reach the walk from a focused check box: "Wireframe" clicked twice keeps the focus and the fill.
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove $((X + 300)) $((Y + 21)) click 1 click 1
  sleep 0.5
  read -r count_before time_before < <(swaps)
  xdotool keydown w
  sleep "$hold"
  read -r count_after time_after < <(swaps)
  xdotool keyup w
  kill "$program_pid"
  wait "$program_pid" 2>/dev/null || true
  program_pid=
  awk -v first="$(cat "$work/first")" -v frames=$((count_after - count_before)) \
    -v nanoseconds=$((time_after - time_before)) 'BEGIN { printf "%s %.2f\n", first, frames * 1e9 / nanoseconds }'
}

: >"$work/runs"
for ((r = 0; r < repetitions; ++r)); do run_once >>"$work/runs"; done
echo "$(cut -d' ' -f1 "$work/runs" | median) $(cut -d' ' -f2 "$work/runs" | median)"
