#!/usr/bin/env bash
# Builds every fuzz target with clang and runs each for SECONDS (default 60) on its seeds, one after another.
# Fails on the first crash, sanitizer report, leak, timeout or out-of-memory; the input that caused it is left
# in the build folder's artifacts/ and should become a regression test.
#   fuzz/run.sh [SECONDS]        FUZZ_BUILD_DIR overrides the build folder (default build-fuzz/)
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
targets=(fuzz_document fuzz_numbers fuzz_bmp fuzz_jpeg fuzz_shader_source fuzz_texture fuzz_collada fuzz_model)

cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
ninja -C "$build" "${targets[@]}"

for target in "${targets[@]}"; do
  # New inputs go to a scratch folder so that the committed seeds stay small.
  scratch="$build/corpus/$target"
  mkdir -p "$scratch" "$build/artifacts"
  dictionary=()
  [ "$target" = fuzz_document ] || [ "$target" = fuzz_texture ] || [ "$target" = fuzz_collada ] && dictionary=(-dict="$root/fuzz/collada.dict")
  echo "== $target for ${seconds}s"
  # The memory budget per input is the bad-input tests' to check; here a limit only catches runaway
  # allocations, above what AddressSanitizer's quarantine of freed blocks (256 MiB) keeps resident.
  log="$build/$target.log"
  status=0
  "$build/$target" -max_total_time="$seconds" -max_len=1048576 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" "${dictionary[@]}" \
    "$scratch" "$root/fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)|^stat::number_of_executed_units' "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$log" >&2
    echo "$target failed (exit $status); the input is in $build/artifacts/" >&2
    exit 1
  fi
done
echo "== every fuzz target ran ${seconds}s without a finding"
