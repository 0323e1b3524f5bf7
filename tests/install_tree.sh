#!/bin/bash
# The installed tree: `cmake --install` into a temporary prefix; from /, the tools run on the installed demo
# data and on a model file to import, the thumbnailer entry's command writes a picture of a document, and both
# programs start through their launchers and draw, Vantrell also a document named relative to where its launcher
# starts (window cases of programs_xvfb.sh).
#
#   install_tree.sh BUILD_DIR PROGRAMS_XVFB XCLOSE IMPORT_INPUT
set -u
BUILD_DIR=$1
PROGRAMS_XVFB=$2
XCLOSE=$3
IMPORT_INPUT=$4

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL (install_tree): $*" >&2; exit 1; }

cmake --install "$BUILD_DIR" --prefix "$prefix" >"$prefix.log" 2>&1 || { cat "$prefix.log" >&2; fail "install"; }
rm -f "$prefix.log"
data=$prefix/lib/vantrell/data
cd /

for file in bin/vantrell bin/lustrane bin/sceneinfo bin/scenerender bin/sceneimport lib/vantrell/bin/vantrell lib/vantrell/bin/lustrane lib/vantrell/bin/modelreader \
            lib/vantrell/data/models.dae lib/vantrell/data/phong.frag share/applications/vantrell.desktop \
            share/icons/hicolor/128x128/apps/lustrane.png share/man/man1/scenerender.1; do
    [ -e "$prefix/$file" ] || fail "$file is not installed"
done

"$prefix/bin/sceneinfo" "$data/models.dae" >/dev/null || fail "sceneinfo does not load the installed models.dae"
"$prefix/bin/sceneimport" "$IMPORT_INPUT" "$prefix/imported/scene.dae" 2>/dev/null ||
    fail "sceneimport does not import $IMPORT_INPUT"
"$prefix/bin/sceneinfo" "$prefix/imported/scene.dae" >/dev/null || fail "the imported document does not load"

# The command a file manager runs: the entry's Exec line with its size, output and input filled in.
picture=$prefix/thumbnail.png
exec_line=$(sed -n 's/^Exec=//p' "$prefix/share/thumbnailers/vantrell-models.thumbnailer")
read -r -a words <<<"$exec_line"
command=()
for word in "${words[@]}"; do
    case $word in
        %s) command+=(96) ;;
        %o) command+=("$picture") ;;
        %i) command+=("$data/model.dae") ;;
        *) command+=("$word") ;;
    esac
done
PATH=$prefix/bin:$PATH "${command[@]}" || fail "the thumbnailer command failed: ${command[*]}"
[ "$(identify -format %wx%h "$picture" 2>/dev/null)" = 96x96 ] || fail "the thumbnail is not a 96 x 96 PNG"
spread=$(convert "$picture" -colorspace gray -format "%[fx:standard_deviation]" info:)
awk -v s="$spread" 'BEGIN { exit !(s > 0.02) }' || fail "the thumbnail shows nothing (grey spread $spread)"

for window_case in installed_vantrell_opens installed_lustrane_opens installed_vantrell_user_scene; do
    "$PROGRAMS_XVFB" "$prefix/bin" "$data" "$XCLOSE" "$window_case" || fail "$window_case"
done
echo "PASS (install_tree)"
