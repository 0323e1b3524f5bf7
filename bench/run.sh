#!/usr/bin/env bash
# Runs the whole benchmark suite and writes bench/RESULTS.md: load (ours, the floor, the peer importer) with
# peak memory on grid documents of 10 000, 100 000 and 1 000 000 triangles, upload, frame cost at 10 000
# nodes, and each program's start-up under Xvfb. Every figure is the median of repeated runs, set beside its
# baseline from the same run.
#   bench/run.sh            full run (REPETITIONS=5 by default), writes bench/RESULTS.md
#   bench/run.sh --smoke    everything once on the smallest document, untimed, for CI; writes nothing in bench/
# BUILD_DIR selects the build folder (default build/, RelWithDebInfo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
smoke=0
[ "${1:-}" = --smoke ] && smoke=1
build=${BUILD_DIR:-$root/build}
if [ $smoke = 1 ]; then
  repetitions=1; sizes=(10000); bench_flags=(--benchmark_min_time=0.01)
else
  repetitions=${REPETITIONS:-5}; sizes=(10000 100000 1000000); bench_flags=(--benchmark_enable_random_interleaving=true)
  # Background jobs at normal or lower priority then disturb the timings less; every way gains alike.
  [ "$(id -u)" = 0 ] && renice -n -10 $$ >/dev/null
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target meshgen nodegen bench_load bench_upload bench_nodes bench_frame loadpeak firstframe \
  emptywindow vantrell lustrane glbgen modelread scenerender >/dev/null
bin=$build/bin
work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) exit 1; print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
fixed() { awk -v a="$1" -v d="${2:-1}" 'BEGIN { printf "%.*f", d, a }'; }

# Runs a Google Benchmark executable with repetitions and prints "NAME MEDIAN" per benchmark, in its own unit.
# A benchmark that reports an error fails the run.
run_benchmark() {
  local executable=$1; shift
  local out=$work/$(basename "$executable").json
  "$executable" --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
    --benchmark_out="$out" --benchmark_out_format=json "${bench_flags[@]}" "$@" >&2
  awk -F': ' '
    /"name":/ { name = $2; gsub(/[",]/, "", name) }
    /"error_occurred": true/ { print "error in " name > "/dev/stderr"; failed = 1 }
    /"real_time":/ { value = $2; gsub(/,/, "", value)
      if (name ~ /_(mean|stddev|cv)$/) next
      sub(/_median$/, "", name); sub(/\/real_time$/, "", name); sub(/\/iterations:[0-9]+$/, "", name); print name, value }
    END { exit failed }' "$out"
}
# The median of the benchmark named $1; fails the run when it is missing.
pick() { awk -v n="$1" '$1 == n { print $2; found = 1 } END { exit !found }' || { echo "no result for $1" >&2; return 1; }; }

# Documents, written again whenever their writer was built after them.
mkdir -p "$build/benchdata"
declare -A document
for size in "${sizes[@]}"; do
  document[$size]=$build/benchdata/grid_$size.dae
  [ "${document[$size]}" -nt "$bin/meshgen" ] || "$bin/meshgen" "$size" "${document[$size]}"
done
largest=${document[${sizes[-1]}]}

echo "== load, in one process" >&2
declare -A load
for size in "${sizes[@]}"; do
  # The peer runs in a process of its own: its hundreds of megabytes of small blocks, freed, would leave the
  # others' huge pages to be gathered by the kernel's compaction.
  results=$(BENCH_DOCUMENT=${document[$size]} run_benchmark "$bin/bench_load" --benchmark_filter='^BM_(Floor|LoadFromFile|LoadFromFileOneThread|Door)/'
    BENCH_DOCUMENT=${document[$size]} run_benchmark "$bin/bench_load" --benchmark_filter='^BM_Peer/')
  for way in Floor LoadFromFile LoadFromFileOneThread Door Peer; do load[$size,$way]=$(pick "BM_$way" <<<"$results"); done
done

echo "== load, one process each: peak memory" >&2
declare -A peak first user kernel
for size in "${sizes[@]}"; do
  for way in ours ours-1 floor peer; do
    : >"$work/peak"
    for ((i = 0; i < repetitions; ++i)); do "$bin/loadpeak" "$way" "${document[$size]}" >>"$work/peak"; done
    first[$size,$way]=$(cut -d' ' -f1 "$work/peak" | median)
    peak[$size,$way]=$(cut -d' ' -f2 "$work/peak" | median)
    user[$size,$way]=$(cut -d' ' -f4 "$work/peak" | median)
    kernel[$size,$way]=$(cut -d' ' -f5 "$work/peak" | median)
  done
done

echo "== upload" >&2
results=$(BENCH_DOCUMENT=$largest run_benchmark "$bin/bench_upload")
upload_load=$(pick BM_LoadFromFile <<<"$results")
upload_asset=$(pick BM_LoadAsset <<<"$results")
upload_floor=$(pick BM_UploadFloor <<<"$results")

echo "== many nodes: load and frame at 10 000 and 100 000 nodes" >&2
results=$(run_benchmark "$bin/bench_nodes")
nodes_load_small=$(pick BM_LoadNodes/10000 <<<"$results")
nodes_load_large=$(pick BM_LoadNodes/100000 <<<"$results")
# The same loads, each the first of a fresh process, as a program opening a scene makes it.
declare -A nodes_first
for count in 10000 100000; do
  [ $smoke = 1 ] && [ $count != 10000 ] && { nodes_first[$count]=${nodes_first[10000]}; continue; }
  nodes_document=$build/benchdata/nodes_$count.dae
  [ "$nodes_document" -nt "$bin/nodegen" ] || "$bin/nodegen" "$count" "$nodes_document"
  : >"$work/nodes_first"
  for ((i = 0; i < repetitions; ++i)); do "$bin/loadpeak" ours "$nodes_document" >>"$work/nodes_first"; done
  nodes_first[$count]=$(cut -d' ' -f1 "$work/nodes_first" | median)
done
results=$(run_benchmark "$bin/bench_frame" --benchmark_filter='/(10000|100000)$')
frame_engine=$(pick BM_RenderPlaced/10000 <<<"$results")
frame_loop=$(pick BM_HandWrittenLoop/10000 <<<"$results")
frame_engine_large=$(pick BM_RenderPlaced/100000 <<<"$results")
frame_loop_large=$(pick BM_HandWrittenLoop/100000 <<<"$results")

echo "== start-up under Xvfb" >&2
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
for ((i = 0; i < 100; ++i)); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=:$(head -n 1 "$work/display")
# Milliseconds from the program's exec to the return of its first glXSwapBuffers.
first_frame() {
  local program=$1 stamp=$work/first_frame pid
  rm -f "$stamp"
  (cd "$bin" && FIRST_FRAME_FILE=$stamp LD_PRELOAD=$bin/firstframe.so FIRST_FRAME_START=${EPOCHREALTIME/[.,]/} \
    exec "./$program" >/dev/null 2>&1) &
  pid=$!
  for ((i = 0; i < 400; ++i)); do [ -s "$stamp" ] && break; sleep 0.025; done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  [ -s "$stamp" ] || { echo "$program showed no frame within 10 s" >&2; return 1; }
  cat "$stamp"
}
# The programs take turns in every repetition, so that each ratio compares runs of the same minutes.
declare -A start
startups=(emptywindow vantrell lustrane)
for program in "${startups[@]}"; do : >"$work/start_$program"; done
for ((r = 0; r < repetitions; ++r)); do
  for program in "${startups[@]}"; do first_frame "$program" >>"$work/start_$program"; done
done
for program in "${startups[@]}"; do start[$program]=$(median <"$work/start_$program"); done

echo "== a big scene opened by a user" >&2
walk_demo=$(BUILD_DIR=$build REPETITIONS=$repetitions "$root/bench/walkframes.sh")
walk_big=$(BUILD_DIR=$build REPETITIONS=$repetitions "$root/bench/walkframes.sh" "$largest")

echo "== a model of another format opened by a user" >&2
# The same grid as a binary glTF: the model library's read of it in a fresh process each time (with its
# post-processing, as the worker reads it), the hand-written upload of the buffers the door makes of it, and
# Vantrell's first frame on it. The worker and the programs run with their allocations in huge pages, so the
# read and the floor are timed both ways: in a process as it comes, and with huge pages as Vantrell has them.
glb=$build/benchdata/grid_${sizes[-1]}.glb
[ "$glb" -nt "$bin/glbgen" ] || "$bin/glbgen" "${sizes[-1]}" "$glb" >/dev/null
huge_pages=glibc.malloc.hugetlb=1
declare -A glb_read glb_floor
for way in plain huge; do
  tunables=$([ "$way" = huge ] && echo "$huge_pages" || echo "${GLIBC_TUNABLES:-}")
  : >"$work/glb_read"
  for ((i = 0; i < repetitions; ++i)); do
    GLIBC_TUNABLES=$tunables "$bin/modelread" library "$glb" | cut -d' ' -f1 >>"$work/glb_read"
  done
  glb_read[$way]=$(median <"$work/glb_read")
  : >"$work/glb_floor"
  for ((i = 0; i < repetitions; ++i)); do
    GLIBC_TUNABLES=$tunables BENCH_DOCUMENT=$glb "$bin/bench_upload" --benchmark_filter='^BM_UploadFloorFirst/' \
      --benchmark_format=json 2>/dev/null | awk -F': ' '/"real_time":/ { v = $2; gsub(/,/, "", v); print v }' \
      >>"$work/glb_floor"
  done
  glb_floor[$way]=$(median <"$work/glb_floor")
done
glb_reference=$(awk -v a="${glb_read[huge]}" -v b="${glb_floor[huge]}" 'BEGIN { print a + b }')
glb_reference_plain=$(awk -v a="${glb_read[plain]}" -v b="${glb_floor[plain]}" 'BEGIN { print a + b }')
walk_glb=$(BUILD_DIR=$build REPETITIONS=$repetitions "$root/bench/walkframes.sh" "$glb")

echo "== thumbnails of real documents" >&2
# What a file manager asks for: a picture of 256 pixels of each of the real exporters' documents the tests keep,
# each the median of its runs; the median over the documents.
: >"$work/thumbnails"
for file in "$root"/tests/data/realworld/*/*.dae; do
  for ((i = 0; i < repetitions; ++i)); do
    started=${EPOCHREALTIME/[.,]/}
    "$bin/scenerender" --thumbnail --size 256 -o "$work/thumbnail.png" "$file" >/dev/null 2>&1 || true
    echo $(((${EPOCHREALTIME/[.,]/} - started) / 1000))
  done | median >>"$work/thumbnails"
  [ $smoke = 1 ] && break
done
thumbnail_median=$(median <"$work/thumbnails")
thumbnail_count=$(wc -l <"$work/thumbnails")

echo "== COLLADA as exporters write it" >&2
collada_table=$(GOALS_FILE=$work/collada_goals BUILD_DIR=$build REPETITIONS=$repetitions "$root/bench/collada.sh" "${sizes[-1]}")
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# The report.
megabytes() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1e6 }'; }
verdict() { awk -v v="$1" -v g="$2" -v sense="$3" 'BEGIN { ok = sense == "<=" ? v <= g : v >= g; print ok ? "met" : "missed" }'; }
big=${sizes[-1]}
big_bytes=$(stat -c %s "$largest")
{
  echo "# Benchmark results"
  echo
  if [ $smoke = 1 ]; then echo "Smoke run: one repetition on the smallest document; not a measurement."; echo; fi
  echo "- Date: $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "- Machine: $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo), $(nproc) cores," \
    "$(awk '/MemTotal/ { printf "%.0f GB", $2 / 1048576 }' /proc/meminfo), $(uname -sr)"
  echo "- Load average (1, 5, 15 min): $load_before before, $load_after after"
  echo "- Command: \`bench/run.sh$([ $smoke = 1 ] && echo ' --smoke')\`, build type RelWithDebInfo, $repetitions repetitions" \
    "$([ $smoke = 0 ] && echo '(interleaved at random where in one process)'), medians, at nice $(nice)"
  echo "- Peer: Open Asset Import Library $(dpkg-query -W -f='${Version}' libassimp-dev 2>/dev/null || echo '?')," \
    "\`Assimp::Importer::ReadFile\` with no post-processing flags"
  echo "- Floor: the file read into a huge-page-aligned buffer like the loader's, parsed in place by pugixml with" \
    "the loader's options, then every text node walked and every number in it read once (digits into an" \
    "integer scaled by a power of ten; signs, fractions and exponents, no storage, no checks)."
  echo
  echo "## Load, in one process (Google Benchmark, wall time)"
  echo
  echo "LoadFromFile uses two threads for large pieces of work; \"one thread\" is the same loader held to one."
  echo
  echo "| Document | Size | Floor | LoadFromFile, one thread | LoadFromFile | Peer | Peer / LoadFromFile |"
  echo "|---|---:|---:|---:|---:|---:|---:|"
  for size in "${sizes[@]}"; do
    floor=${load[$size,Floor]} ours=${load[$size,LoadFromFile]} one=${load[$size,LoadFromFileOneThread]}
    peer=${load[$size,Peer]}
    echo "| $size triangles | $(megabytes "$(stat -c %s "${document[$size]}")") MB | $(fixed "$floor") ms |" \
      "$(fixed "$one") ms ($(ratio "$one" "$floor") x floor) |" \
      "$(fixed "$ours") ms ($(ratio "$ours" "$floor") x floor, $(ratio "$ours" "$one") x one thread) |" \
      "$(fixed "$peer") ms ($(ratio "$peer" "$floor") x floor) | $(ratio "$peer" "$ours") |"
  done
  echo
  echo "## Load, one process each: first load and peak resident memory"
  echo
  echo "Each way loads the document once in a fresh process (\`loadpeak\`); the peak is the process's maximum" \
    "resident set (getrusage), libraries included; the times are the load's alone, with fresh memory from the" \
    "kernel: wall time, and processor time in user space and in the kernel (getrusage; 1 ms resolution at best)."
  echo
  echo "| Document | Way | First load (wall) | User CPU | Kernel CPU | Peak memory | Peak / document size |"
  echo "|---|---|---:|---:|---:|---:|---:|"
  for size in "${sizes[@]}"; do
    bytes=$(stat -c %s "${document[$size]}")
    for way in floor ours-1 ours peer; do
      echo "| $size triangles | $way | $(fixed "${first[$size,$way]}") ms ($(ratio "${first[$size,$way]}" "${first[$size,floor]}") x floor) |" \
        "$(fixed "${user[$size,$way]}" 0) ms | $(fixed "${kernel[$size,$way]}" 0) ms |" \
        "$(megabytes $((${peak[$size,$way]} * 1024))) MB | $(ratio $((${peak[$size,$way]} * 1024)) "$bytes") |"
    done
  done
  echo
  echo "## Upload ($big triangles, headless EGL)"
  echo
  echo "| LoadFromFile | LoadAsset (load and buffer upload, glFinish) | Upload floor (the same buffers by hand, glFinish) |"
  echo "|---:|---:|---:|"
  echo "| $(fixed "$upload_load") ms | $(fixed "$upload_asset") ms ($(ratio "$upload_asset" "$upload_load") x) |" \
    "$(fixed "$upload_floor") ms |"
  echo
  echo "## Many nodes: LoadFromFile, and one frame on a 1 x 1 pbuffer"
  echo
  echo "LoadFromFile in one process, one document object serving every load as in the programs; and the first load"
  echo "of a fresh process (\`loadpeak\`), which finds no memory kept from an earlier load."
  echo
  echo "| Nodes | LoadFromFile | First load of a process | Hand-written loop | RenderPlaced |"
  echo "|---:|---:|---:|---:|---:|"
  echo "| 10 000 | $(fixed "$nodes_load_small") ms | $(fixed "${nodes_first[10000]}") ms | $(fixed "$frame_loop" 0) us |" \
    "$(fixed "$frame_engine" 0) us ($(ratio "$frame_engine" "$frame_loop") x loop) |"
  echo "| 100 000 | $(fixed "$nodes_load_large") ms ($(ratio "$nodes_load_large" "$nodes_load_small") x) |" \
    "$(fixed "${nodes_first[100000]}") ms ($(ratio "${nodes_first[100000]}" "${nodes_first[10000]}") x) |" \
    "$(fixed "$frame_loop_large" 0) us | $(fixed "$frame_engine_large" 0) us ($(ratio "$frame_engine_large" "$frame_loop_large") x loop) |"
  echo
  echo "## Start-up under Xvfb: from the program's start to its first glXSwapBuffers"
  echo
  echo "Timed from outside the programs by a preloaded probe (\`firstframe.so\`) from the shell's clock just" \
    "before the program's exec (microseconds); the three programs take turns in every repetition. The baseline," \
    "\`emptywindow\`, opens an FLTK window and draws one frame of an engine with no scene."
  echo
  echo "| Program | First frame |"
  echo "|---|---:|"
  for program in emptywindow vantrell lustrane; do
    echo "| $program | $(fixed "${start[$program]}" 0) ms ($(ratio "${start[$program]}" "${start[emptywindow]}") x empty) |"
  done
  echo
  echo "## A big scene opened by a user: Vantrell under Xvfb"
  echo
  echo "From the process's start to the first frame, and frames per second while w is held for 1.2 s (\`walkframes.sh\`)."
  echo
  echo "| Scene | First frame | Frames per second while walking |"
  echo "|---|---:|---:|"
  echo "| demo scene | $(fixed "${walk_demo% *}" 0) ms | $(fixed "${walk_demo#* }") |"
  echo "| $big triangles | $(fixed "${walk_big% *}" 0) ms | $(fixed "${walk_big#* }") |"
  echo
  echo "## A model of another format opened by a user"
  echo
  echo "The $big-triangle grid as a binary glTF ($(megabytes "$(stat -c %s "$glb")") MB): the model library's read" \
    "of it in a fresh process (\`modelread library\`), the hand-written upload of the buffers the door makes of it" \
    "in a fresh process, as a first frame meets it (\`bench_upload\`'s \`BM_UploadFloorFirst\`), and Vantrell's" \
    "first frame on it (\`walkframes.sh\`). Vantrell and its model" \
    "reader run with glibc's allocations in huge pages (\`$huge_pages\`); the read and the floor are timed in a" \
    "process as it comes and with huge pages, and the first frame is set against each."
  echo
  echo "| Pages | Model library's read | Upload floor | Read + floor | Vantrell's first frame |"
  echo "|---|---:|---:|---:|---:|"
  echo "| as they come | $(fixed "${glb_read[plain]}") ms | $(fixed "${glb_floor[plain]}") ms |" \
    "$(fixed "$glb_reference_plain") ms | $(fixed "${walk_glb% *}" 0) ms ($(ratio "${walk_glb% *}" "$glb_reference_plain") x) |"
  echo "| huge | $(fixed "${glb_read[huge]}") ms | $(fixed "${glb_floor[huge]}") ms |" \
    "$(fixed "$glb_reference") ms | $(fixed "${walk_glb% *}" 0) ms ($(ratio "${walk_glb% *}" "$glb_reference") x) |"
  echo
  echo "## Thumbnails"
  echo
  echo "\`scenerender --thumbnail --size 256\` on each of the $thumbnail_count real exporters' documents of" \
    "tests/data/realworld (a fresh process each: the door, the GL context, the picture): median $(fixed "$thumbnail_median" 0) ms."
  echo
  echo "## COLLADA as exporters write it: the engine's COLLADA reader (\`bench/collada.sh\`)"
  echo
  echo "$collada_table"
  echo
  echo "## Goals"
  echo
  echo "| Goal | Measured | |"
  echo "|---|---:|---|"
  # A goal's row: its text, the ratio of two figures, the bound and whether the ratio must stay under it.
  ratio_row() { local r; r=$(ratio "$2" "$3"); echo "| $1 | $r | $(verdict "$r" "$4" "${5:-<=}") |"; }
  r=$(awk -v a="$upload_asset" -v l="$upload_load" -v f="$upload_floor" 'BEGIN { printf "%.2f", (a - l) / f }')
  echo "| Upload: (LoadAsset - LoadFromFile) <= 1.2 x upload floor ($big triangles) | $r | $(verdict "$r" 1.2 '<=') |"
  ratio_row "Both cores: LoadFromFile <= 0.75 x one thread ($big triangles, in process)" \
    "${load[$big,LoadFromFile]}" "${load[$big,LoadFromFileOneThread]}" 0.75
  ratio_row "(same, first load of a process)" "${first[$big,ours]}" "${first[$big,ours-1]}" 0.75
  small=${sizes[0]}
  ratio_row "Both cores cost a small document nothing: LoadFromFile <= 1.00 x one thread ($small triangles)" \
    "${load[$small,LoadFromFile]}" "${load[$small,LoadFromFileOneThread]}" 1.00
  for program in vantrell lustrane; do
    goal=1.25; [ $program = lustrane ] && goal=1.2
    ratio_row "Start-up: $program first frame <= $goal x empty window" "${start[$program]}" "${start[emptywindow]}" $goal
  done
  echo "| A big scene: vantrell first frame, $big triangles <= 1500 ms | $(fixed "${walk_big% *}" 0) ms | $(verdict "${walk_big% *}" 1500 '<=') |"
  ratio_row "Memory: peak while loading <= 2.0 x document ($big triangles)" $((${peak[$big,ours]} * 1024)) "$big_bytes" 2.0
  ratio_row "Many nodes: load of 100 000 nodes <= 11 x load of 10 000 (in process)" \
    "$nodes_load_large" "$nodes_load_small" 11
  ratio_row "(same, first load of a process)" "${nodes_first[100000]}" "${nodes_first[10000]}" 11
  ratio_row "Many nodes: frame <= 1.10 x hand-written loop at 100 000 nodes" "$frame_engine_large" "$frame_loop_large" 1.10
  for size in "${sizes[@]}"; do
    ratio_row "The door on a document in the engine's conventions <= 1.02 x LoadFromFile ($size triangles)" \
      "${load[$size,Door]}" "${load[$size,LoadFromFile]}" 1.02
  done
  ratio_row "A $big-triangle glTF: Vantrell's first frame <= 1.5 x (model library's read + upload floor, huge pages)" \
    "${walk_glb% *}" "$glb_reference" 1.5
  ratio_row "(same, read and floor in processes as they come)" "${walk_glb% *}" "$glb_reference_plain" 1.5
  echo "| Thumbnails: median of the real documents at 256 pixels <= 500 ms | $(fixed "$thumbnail_median" 0) ms |" \
    "$(verdict "$thumbnail_median" 500 '<=') |"
  cat "$work/collada_goals"
  echo
  echo "Goals met before, measured again:"
  echo
  echo "| Goal | Measured | |"
  echo "|---|---:|---|"
  ratio_row "LoadFromFile <= 1.25 x floor ($big triangles, in process)" "${load[$big,LoadFromFile]}" "${load[$big,Floor]}" 1.25
  ratio_row "LoadFromFile <= 1.25 x floor ($big triangles, first load of a process)" \
    "${first[$big,ours]}" "${first[$big,floor]}" 1.25
  ratio_row "Peer / LoadFromFile >= 4 ($big triangles)" "${load[$big,Peer]}" "${load[$big,LoadFromFile]}" 4 '>='
  ratio_row "Frame <= 1.10 x hand-written loop (10 000 nodes)" "$frame_engine" "$frame_loop" 1.10
  for program in vantrell lustrane; do
    echo "| $program first frame <= 1000 ms | $(fixed "${start[$program]}" 0) ms | $(verdict "${start[$program]}" 1000 '<=') |"
  done
  echo
  echo "Where the time and the memory go, from profiles taken between runs and dated: [findings.md](findings.md)."
} >"$work/results.md"

if [ $smoke = 1 ]; then
  cat "$work/results.md"
else
  cp "$work/results.md" "$root/bench/RESULTS.md"
  echo "Wrote $root/bench/RESULTS.md" >&2
fi
