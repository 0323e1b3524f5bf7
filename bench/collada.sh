#!/usr/bin/env bash
# The reader of every exporter's COLLADA documents against the engine's loader and the peer importer, and prints
# a markdown table: a grid of TRIANGLES (default 1 000 000) written as exporters write it (exportergen: shared
# positions through <vertices>, one <polylist> of quads and triangles, normals and texture coordinates by
# indices of their own) read by the reader, by the peer with no post-processing and by the floor, beside the
# same triangles in the engine's conventions read by the engine's loader. In one process (bench_collada,
# medians of REPETITIONS, default 7, interleaved at random) and as the first load of a fresh process
# (loadpeak, the ways taking turns), with the process's peak memory.
#   bench/collada.sh [TRIANGLES]     BUILD_DIR selects the build folder (default build/); with GOALS_FILE set,
#                                    the reader's goals are written there as rows of a markdown table too
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
triangles=${1:-1000000}
repetitions=${REPETITIONS:-7}
build=${BUILD_DIR:-$root/build}
[ "$(id -u)" = 0 ] && renice -n -10 $$ >/dev/null

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target exportergen bench_collada loadpeak >/dev/null
bin=$build/bin
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) exit 1; print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
fixed() { awk -v a="$1" 'BEGIN { printf "%.1f", a }'; }

mkdir -p "$build/benchdata"
exporter=$build/benchdata/exporter_$triangles.dae
engine=$build/benchdata/engine_$triangles.dae
# Written again whenever their writer was built after them.
[ "$exporter" -nt "$bin/exportergen" ] && [ "$engine" -nt "$bin/exportergen" ] || "$bin/exportergen" "$triangles" "$exporter" "$engine"

# In one process: "NAME MEDIAN" per benchmark, in milliseconds.
BENCH_EXPORTER_DOCUMENT=$exporter BENCH_ENGINE_DOCUMENT=$engine "$bin/bench_collada" \
  --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
  --benchmark_enable_random_interleaving=true --benchmark_out="$work/in.json" --benchmark_out_format=json >&2
awk -F': ' '
  /"name":/ { name = $2; gsub(/[",]/, "", name) }
  /"error_occurred": true/ { print "error in " name > "/dev/stderr"; failed = 1 }
  /"real_time":/ { value = $2; gsub(/,/, "", value)
    if (name ~ /_(mean|stddev|cv)$/) next
    sub(/_median$/, "", name); sub(/\/real_time$/, "", name); print name, value }
  END { exit failed }' "$work/in.json" >"$work/in"
inprocess() { awk -v n="$1" '$1 == n { print $2 }' "$work/in"; }

# A fresh process each, the ways taking turns: "<wall ms> <peak KB> <count> <user ms> <kernel ms>".
ways=(collada ours peer floor)
for ((i = 0; i < repetitions; ++i)); do
  for way in "${ways[@]}"; do
    file=$exporter
    [ "$way" = ours ] && file=$engine
    "$bin/loadpeak" "$way" "$file" >>"$work/$way"
  done
done
first() { cut -d' ' -f1 "$work/$1" | median; }
peak() { cut -d' ' -f2 "$work/$1" | median; }
size_kb() { echo $(($(stat -c %s "$1") / 1024)); }

reader_in=$(inprocess BM_ColladaReader); engine_in=$(inprocess BM_EngineLoaderOwnConventions)
peer_in=$(inprocess BM_PeerExporterStyle); floor_in=$(inprocess BM_FloorExporterStyle)
echo "| Way | Document | Size | In one process | First load of a process | Peak memory | Peak / document |"
echo "|---|---|---:|---:|---:|---:|---:|"
row() {  # way, label, document, in-process ms, note
  local mb=$(($(stat -c %s "$3") / 1048576))
  echo "| $2 | $(basename "$3") | $mb MB | $(fixed "$4") ms$5 | $(fixed "$(first "$1")") ms | $(($(peak "$1") / 1024)) MB |" \
    "$(ratio "$(peak "$1")" "$(size_kb "$3")") |"
}
row collada "Reader" "$exporter" "$reader_in" " ($(ratio "$reader_in" "$engine_in") x engine's loader)"
row ours "Engine's loader" "$engine" "$engine_in" ""
row peer "Peer importer" "$exporter" "$peer_in" " ($(ratio "$peer_in" "$reader_in") x reader)"
row floor "Floor (parse and read every number)" "$exporter" "$floor_in" ""
echo
echo "First loads: reader $(ratio "$(first collada)" "$(first ours)") x the engine's loader;" \
  "peer $(ratio "$(first peer)" "$(first collada)") x the reader. Medians of $repetitions; $triangles triangles."
if [ -n "${GOALS_FILE:-}" ]; then
  verdict() { awk -v v="$1" -v g="$2" -v sense="$3" 'BEGIN { ok = sense == "<=" ? v <= g : v >= g; print ok ? "met" : "missed" }'; }
  goal() { local r; r=$(ratio "$2" "$3"); echo "| $1 | $r | $(verdict "$r" "$4" "$5") |"; }
  {
    goal "COLLADA reader <= 1.3 x the engine's loader on the same mesh ($triangles triangles, in process)" \
      "$reader_in" "$engine_in" 1.3 '<='
    goal "(same, first load of a process)" "$(first collada)" "$(first ours)" 1.3 '<='
    goal "Model library >= 4 x the COLLADA reader on the exporter-style document (in process)" \
      "$peer_in" "$reader_in" 4 '>='
    goal "(same, first load of a process)" "$(first peer)" "$(first collada)" 4 '>='
    goal "COLLADA reader's peak memory <= 2.5 x the document" "$(peak collada)" "$(size_kb "$exporter")" 2.5 '<='
  } >"$GOALS_FILE"
fi
