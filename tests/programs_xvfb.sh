#!/bin/bash
# Window tests of Vantrell and Lustrane: each case starts its own virtual X server, runs one program from a
# folder beside the demo data, drives it with synthetic input and judges screenshots of its drawing panel.
#
#   programs_xvfb.sh BIN_DIR DATA_DIR XCLOSE CASE
#
# BIN_DIR holds vantrell and lustrane, DATA_DIR the demo data they read as ../data, XCLOSE the helper that
# closes a window as its close button would. Set KEEP_SHOTS=DIR to keep the screenshots for a look.
set -u

BIN_DIR=$1
DATA_DIR=$2
XCLOSE=$3
CASE=$4

WORK=$(mktemp -d)
XVFB_PID=
PROGRAM_PID=
WINDOW=
ALERT=
WIN_X=0
WIN_Y=0
PANEL_W=702
PANEL_H=387
STRIP_H=41

cleanup() {
    if [ -n "$PROGRAM_PID" ] && kill -0 "$PROGRAM_PID" 2>/dev/null; then kill "$PROGRAM_PID" 2>/dev/null; fi
    if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null; fi
    if [ -n "${KEEP_SHOTS:-}" ]; then
        mkdir -p "$KEEP_SHOTS"
        local picture
        for picture in "$WORK"/*.ppm; do
            [ -e "$picture" ] && convert "$picture" "$KEEP_SHOTS/$(basename "$picture" .ppm).png"
        done
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL ($CASE): $*" >&2
    for log in "$WORK"/program.err "$WORK"/xvfb.log; do
        [ -s "$log" ] && { echo "--- $log" >&2; tail -n 40 "$log" >&2; }
    done
    exit 1
}

# Polls a command until it succeeds, every 50 ms until the given number of seconds has passed.
poll() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

# The server has said it is ready, or has given up.
xvfb_ready() {
    [ -s "$WORK/display" ] || ! kill -0 "$XVFB_PID" 2>/dev/null
}

# A server of our own on a display number picked at random; a number that another server holds (its lock file
# or its socket) fails to start or to answer, and another number is tried. Without -noreset the server resets
# when the probing client leaves, and a program connecting during that reset is refused.
start_xvfb() {
    local depth=${1:-24} attempt display
    for attempt in 1 2 3 4 5 6; do
        display=$((100 + RANDOM % 800))
        : >"$WORK/display"
        Xvfb ":$display" -displayfd 5 -screen 0 "1024x768x$depth" -nolisten tcp -noreset 5>"$WORK/display" 2>"$WORK/xvfb.log" &
        XVFB_PID=$!
        poll 20 xvfb_ready
        if [ -s "$WORK/display" ] && [ "$(DISPLAY=":$display" xdotool getdisplaygeometry 2>/dev/null)" = "1024 768" ]; then
            export DISPLAY=":$display"
            return 0
        fi
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
        XVFB_PID=
    done
    fail "no virtual X server would start"
}

# Runs a program with the given folder as working directory (default: BIN_DIR, beside the demo data) and
# the arguments after it.
start_program() {
    local name=$1 folder=${2:-$BIN_DIR}
    shift $(($# < 2 ? $# : 2))
    (cd "$folder" && exec "$BIN_DIR/$name" "$@") >"$WORK/program.out" 2>"$WORK/program.err" &
    PROGRAM_PID=$!
}

# The visible windows with this exact title whose size is the main window's (702 x 428).
find_main_window() {
    local id
    for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        if [ "$WIDTH" = 702 ] && [ "$HEIGHT" = 428 ]; then
            WINDOW=$id
            WIN_X=$X
            WIN_Y=$Y
            return 0
        fi
    done
    return 1
}

wait_main_window() {
    poll 20 find_main_window "$1" || fail "no 702 x 428 window titled \"$1\""
}

# Screenshot of the drawing panel (or of the control strip with "strip").
shot() {
    local name=$1 geometry="${PANEL_W}x${PANEL_H}+${WIN_X}+$((WIN_Y + STRIP_H))"
    [ "${2:-}" = strip ] && geometry="702x${STRIP_H}+${WIN_X}+${WIN_Y}"
    xwd -root -silent | convert xwd:- -crop "$geometry" +repage "ppm:$WORK/$name.ppm"
}

# Fraction of the picture's pixels brighter than a few percent grey.
lit_fraction() {
    convert "$WORK/$1.ppm" -colorspace gray -threshold 4% -format "%[fx:mean]" info:
}

# Number of pixels that differ between two screenshots by more than a small tolerance.
changed_pixels() {
    compare -metric AE -fuzz 3% "$WORK/$1.ppm" "$WORK/$2.ppm" null: 2>&1 | cut -d' ' -f1
}

is_greater() {
    awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'
}

# A drawn scene has light and shade; the panel's plain background before the engine draws, or a cleared frame
# with nothing in it, has none.
frame_drawn() {
    shot first
    is_greater "$(convert "$WORK/first.ppm" -colorspace gray -format "%[fx:standard_deviation]" info:)" 0.05
}

wait_first_frame() {
    poll 20 frame_drawn || fail "the panel stays blank"
}

# Takes screenshot $1 until it differs from $2 (wait_change) or matches it (wait_same).
differs_from() { shot "$1" && is_greater "$(changed_pixels "$1" "$2")" "$3"; }
same_as() { shot "$1" && ! is_greater "$(changed_pixels "$1" "$2")" 50; }
# A sanitized program on a busy machine can take seconds over a frame: the waits are long, and end at once
# when the picture is there.
wait_change() { poll 30 differs_from "$1" "$2" "${3:-500}" || fail "$1: the panel did not change from $2"; }
wait_same() { poll 30 same_as "$1" "$2" || fail "$1: the panel did not come back to $2"; }

# Two screenshots half a second apart are the same: the picture has stopped changing (however slowly frames
# come, a few a second at least).
settled() {
    shot "$1_before" && sleep 0.5 && shot "$1" && ! is_greater "$(changed_pixels "$1_before" "$1")" 50
}
wait_settled() { poll "${2:-10}" settled "$1" || fail "$1: the picture keeps changing"; }

# Pointer actions in window coordinates.
click_at() { xdotool mousemove $((WIN_X + $1)) $((WIN_Y + $2)) click 1; }
# A short pause after each step lets the program see the press, the motion and the release one by one.
press_at() { xdotool mousemove $((WIN_X + $1)) $((WIN_Y + $2)) mousedown 1 sleep 0.2; }
move_to() { xdotool mousemove $((WIN_X + $1)) $((WIN_Y + $2)) sleep 0.2; }
release() { xdotool mouseup 1 sleep 0.2; }

# Closes the window as a user would and expects a clean end: status 0, and under AddressSanitizer no leak.
close_and_expect_success() {
    "$XCLOSE" "$WINDOW" || fail "could not ask the window to close"
    local status=0
    wait "$PROGRAM_PID" || status=$?
    PROGRAM_PID=
    [ "$status" = 0 ] || fail "the program ended with status $status after its window was closed"
    if grep -q -E "LeakSanitizer|AddressSanitizer|runtime error" "$WORK/program.err"; then
        fail "the sanitizers reported a fault"
    fi
}

# The window opens with its caption, its check boxes and label drawn in the strip, and a scene in the panel.
# An installed program is started from / through its launcher.
case_opens() {
    local program=$1 title=$2 folder=${3:-$BIN_DIR}
    start_xvfb
    start_program "$program" "$folder"
    wait_main_window "$title"
    wait_first_frame
    shot strip strip
    local text
    text=$(convert "$WORK/strip.ppm" -colorspace gray -negate -threshold 60% -format "%[fx:mean]" info:)
    is_greater "$text" 0.01 || fail "no captions in the control strip (dark fraction $text)"
    close_and_expect_success
}

# Widening the window widens the panel and the picture drawn in it, and the label keeps its distance to the
# right edge.
case_vantrell_resize() {
    start_xvfb
    start_program vantrell
    wait_main_window Vantrell
    wait_first_frame
    xdotool windowsize "$WINDOW" 900 500
    widened() {
        xwd -root -silent | convert xwd:- -crop "198x459+$((WIN_X + 702))+$((WIN_Y + STRIP_H))" +repage "ppm:$WORK/widened.ppm"
        is_greater "$(lit_fraction widened)" 0.5
    }
    poll 10 widened || fail "the picture does not fill the widened panel"
    xwd -root -silent | convert xwd:- -crop "900x${STRIP_H}+${WIN_X}+${WIN_Y}" +repage "ppm:$WORK/wide_strip.ppm"
    local moved
    moved=$(convert "$WORK/wide_strip.ppm" -crop "200x${STRIP_H}+700+0" -colorspace gray -negate -threshold 60% -format "%[fx:mean]" info:)
    is_greater "$moved" 0.01 || fail "the label did not follow the right edge"
    close_and_expect_success
}

# Keys held while a check box has the focus walk, and stop with the key; the walk ends at the 50-unit sphere
# (else the picture would never settle); a drag turns the view and the same drag back turns it exactly back.
case_vantrell_walk() {
    start_xvfb
    start_program vantrell
    wait_main_window Vantrell
    wait_first_frame
    click_at 300 21  # "Wireframe" twice: the box keeps the focus, the scene is filled again
    click_at 300 21
    wait_settled start
    # One unit per 30 ms tick: the sphere is some 46 ticks ahead, so a short walk ends well before it.
    xdotool keydown w
    sleep 0.4
    xdotool keyup w
    wait_settled stopped
    is_greater "$(changed_pixels start stopped)" 2000 || fail "holding w did not walk"
    xdotool keydown w
    wait_settled at_sphere 15
    xdotool keyup w
    is_greater "$(changed_pixels stopped at_sphere)" 2000 || fail "releasing w did not stop the walk"
    press_at 351 220
    move_to 351 260
    release
    wait_change looked_down at_sphere 2000
    press_at 351 260
    move_to 351 220
    release
    wait_same looked_back at_sphere
    close_and_expect_success
}

# Each switch changes the picture the expected way and clearing it again restores the picture exactly.
case_vantrell_switches() {
    start_xvfb
    start_program vantrell
    wait_main_window Vantrell
    wait_first_frame
    shot normal
    click_at 300 21
    wait_change wireframe normal 20000
    local filled lined
    filled=$(lit_fraction normal)
    lined=$(lit_fraction wireframe)
    is_greater "$filled" "$(awk -v l="$lined" 'BEGIN { print l + 0.3 }')" ||
        fail "wireframe left $lined of the panel lit (filled: $filled)"
    click_at 300 21
    wait_same filled_again normal
    click_at 168 21
    wait_change untextured normal 5000
    click_at 168 21
    wait_same textured_again normal
    click_at 16 21
    wait_change unshaded normal 5000
    click_at 16 21
    wait_same shaded_again normal
    close_and_expect_success
}

# The model turns by itself; a held button stops the turn; the moving light moves the highlight while the
# model is still; a drag tilts the model.
case_lustrane_animation() {
    start_xvfb
    start_program lustrane
    wait_main_window Lustrane
    wait_first_frame
    shot turn_a
    wait_change turn_b turn_a 500
    click_at 292 21  # "Light movement" twice: the box keeps the focus, the light stays still
    click_at 292 21
    press_at 351 220
    wait_settled held
    xdotool key space  # "Light movement" on
    wait_change light_a held 200
    wait_change light_b light_a 200
    xdotool key space  # off again
    wait_settled light_still
    move_to 351 310
    wait_change tilted light_still 2000
    release
    close_and_expect_success
}

# Another window titled like the main window: the message box. Sets ALERT.
find_alert() {
    local id
    for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
        [ "$id" != "$WINDOW" ] && ALERT=$id && return 0
    done
    return 1
}

dismiss_alert() {
    xdotool windowfocus --sync "$ALERT" key Return
    poll 5 bash -c "! xdotool search --onlyvisible --name '^$1\$' | grep -qx $ALERT" ||
        fail "the message box does not close"
}

# A missing models.dae: the message box shows the loader's error, and the window opens anyway.
case_vantrell_missing_models() {
    mkdir -p "$WORK/bin" "$WORK/data"
    local file
    for file in "$DATA_DIR"/*; do
        [ "$(basename "$file")" = models.dae ] || ln -s "$file" "$WORK/data/"
    done
    start_xvfb
    start_program vantrell "$WORK/bin"
    wait_main_window Vantrell
    poll 20 find_alert Vantrell || fail "no message box"
    xwd -root -silent | convert xwd:- "ppm:$WORK/message.ppm"
    dismiss_alert Vantrell
    find_main_window Vantrell || fail "the main window went with the message box"
    close_and_expect_success
}

# A user's document: a wall of one textured quad, or a drum turning about its own axis, written with a texture
# beside it in scene/tex/ that the document names relative to its folder. Numbers carry fractions, so that a
# reader that took the locale's decimal comma would draw them elsewhere.

# A 2 x 2 bitmap, 24 bits per pixel, of one colour given as blue, green and red bytes in \x notation.
write_bmp() {
    local file=$1 pixel="$2$3$4"
    {
        printf '\x42\x4d\x46\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00'
        printf '\x28\x00\x00\x00\x02\x00\x00\x00\x02\x00\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00'
        printf '\x10\x00\x00\x00\x13\x0b\x00\x00\x13\x0b\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'
        printf "$pixel$pixel\\x00\\x00$pixel$pixel\\x00\\x00"
    } >"$file"
}

# write_document FILE NAME: positions and normals come on standard input as "x y z nx ny nz" lines, three lines
# to a triangle, its front face counter-clockwise; every vertex takes the texture's middle.
write_document() {
    local file=$1 name=$2
    mkdir -p "$(dirname "$file")/tex"
    LC_ALL=C awk -v name="$name" '
        { p = p " " $1 " " $2 " " $3; n = n " " $4 " " $5 " " $6; t = t " 0.5 0.5"; ++count }
        END {
            print "<?xml version=\"1.0\"?>\n<COLLADA version=\"1.4.1\">"
            print "<library_effects><effect name=\"Paint-fx\"><profile_COMMON><newparam><surface>" \
                  "<init_from>PaintImage</init_from></surface></newparam></profile_COMMON></effect></library_effects>"
            print "<library_images><image name=\"PaintImage\"><init_from>tex/paint.bmp</init_from></image></library_images>"
            print "<library_geometries><geometry name=\"" name "\"><mesh>"
            print "<source id=\"" name "-Position\"><float_array count=\"" 3 * count "\">" p "</float_array></source>"
            print "<source id=\"" name "-Normals\"><float_array count=\"" 3 * count "\">" n "</float_array></source>"
            print "<source id=\"" name "-UV\"><float_array count=\"" 2 * count "\">" t "</float_array></source>"
            printf "<triangles count=\"%d\"><input semantic=\"VERTEX\"/><input semantic=\"NORMAL\"/>", count / 3
            printf "<input semantic=\"TEXCOORD\"/><p>"
            for (i = 0; i < count; ++i) printf "%d %d %d ", i, i, i
            print "</p></triangles></mesh></geometry></library_geometries>"
            print "<library_visual_scenes><visual_scene><node name=\"" name "-Node\"><translate>0 0 0</translate>" \
                  "<rotate>0 0 1 0</rotate><rotate>0 1 0 0</rotate><rotate>1 0 0 0</rotate><scale>1 1 1</scale>" \
                  "<instance_geometry url=\"#" name "\"><bind_material><technique_common>" \
                  "<instance_material symbol=\"Paint\"/></technique_common></bind_material></instance_geometry>" \
                  "</node></visual_scene></library_visual_scenes>\n</COLLADA>"
        }' >"$file"
    write_bmp "$(dirname "$file")/tex/paint.bmp" '\x20' '\x20' '\xe0'
}

# A red wall ahead of Vantrell's start view, facing it, covering part of the picture.
write_wall() {
    printf '%s\n' "6.5 -6.25 -1.5 -1 0 0" "6.5 0.75 5.5 -1 0 0" "6.5 0.75 -1.5 -1 0 0" \
                   "6.5 -6.25 -1.5 -1 0 0" "6.5 -6.25 5.5 -1 0 0" "6.5 0.75 5.5 -1 0 0" | write_document "$1" Wall
}

# A red drum about the y axis, the axis Lustrane turns its model about: fine enough that a turn does not
# change its picture.
write_drum() {
    LC_ALL=C awk 'BEGIN {
        r = 2.5; h = 2.25; segments = 720
        for (i = 0; i < segments; ++i) {
            a = 2 * 3.141592653589793 * i / segments; b = 2 * 3.141592653589793 * (i + 1) / segments
            x0 = r * cos(a); z0 = r * sin(a); x1 = r * cos(b); z1 = r * sin(b)
            n0 = cos(a) " 0 " sin(a); n1 = cos(b) " 0 " sin(b)
            print x0, -h, z0, n0; print x1, h, z1, n1; print x1, -h, z1, n1
            print x0, -h, z0, n0; print x0, h, z0, n0; print x1, h, z1, n1
        }
    }' | write_document "$1" Drum
}

# Fraction of the picture's pixels that are mostly red.
red_fraction() {
    convert "$WORK/$1.ppm" -fx "r > 0.25 && g < 0.6 * r && b < 0.6 * r" -format "%[fx:mean]" info:
}

# A document named relative to the folder the program starts in, itself elsewhere, with its texture named
# relative to the document: the wall is drawn textured, and only it, since the demo files are not loaded.
# An installed program's launcher is started from another folder than the program's own.
case_vantrell_user_scene() {
    local folder=${1:-$BIN_DIR}
    write_wall "$WORK/scene/wall.dae"
    start_xvfb
    start_program vantrell "$folder" "$(realpath --relative-to="$folder" "$WORK/scene/wall.dae")"
    wait_main_window Vantrell
    wait_first_frame
    wait_settled wall
    find_alert Vantrell && fail "a message box: $(cat "$WORK/program.err")"
    local red dark
    red=$(red_fraction wall)
    dark=$(convert "$WORK/wall.ppm" -colorspace gray -threshold 2% -negate -format "%[fx:mean]" info:)
    is_greater "$red" 0.15 || fail "the wall covers $red of the panel in red"
    is_greater "$dark" 0.3 || fail "only $dark of the panel is empty: more than the wall was drawn"
    close_and_expect_success
}

case_lustrane_user_model() {
    write_drum "$WORK/scene/drum.dae"
    start_xvfb
    start_program lustrane "$BIN_DIR" "$WORK/scene/drum.dae"
    wait_main_window Lustrane
    wait_first_frame
    wait_settled drum
    find_alert Lustrane && fail "a message box: $(cat "$WORK/program.err")"
    local red
    red=$(red_fraction drum)
    is_greater "$red" 0.1 || fail "the drum covers $red of the panel in red"
    close_and_expect_success
}

# An OBJ model of another program's making: a red box 40 cm wide, 3 m from its file's origin, in its material's
# colour.
write_obj_box() {
    mkdir -p "$(dirname "$1")"
    printf 'newmtl red\nKd 0.9 0.1 0.1\n' >"$(dirname "$1")/box.mtl"
    {
        printf 'mtllib box.mtl\nusemtl red\n'
        LC_ALL=C awk 'BEGIN { for (i = 0; i < 8; ++i) printf "v %g %g %g\n", 3 + (i % 2) * 0.4, (int(i / 2) % 2) * 0.3, int(i / 4) * 0.2 }'
        printf 'f 1 3 4 2\nf 5 6 8 7\nf 1 2 6 5\nf 3 7 8 4\nf 1 5 7 3\nf 2 4 8 6\n'
    } >"$1"
}

# A model of another format opens with no message box, in view whatever its size and place, lit; started from
# another folder than the program's own, the program still finds its shaders.
case_foreign_model() {
    local program=$1 title=$2
    write_obj_box "$WORK/model/box.obj"
    start_xvfb
    start_program "$program" "$WORK" "$WORK/model/box.obj"
    wait_main_window "$title"
    wait_first_frame
    sleep 1  # the demo turns its model: the picture never settles
    shot box
    find_alert "$title" && fail "a message box: $(cat "$WORK/program.err")"
    local red
    red=$(red_fraction box)
    is_greater "$red" 0.05 || fail "the box covers $red of the panel in red"
    close_and_expect_success
}

# Started from a folder with no ../data/ in reach, a program finds its own beside its executable.
case_from_elsewhere() {
    local program=$1 title=$2
    mkdir -p "$WORK/elsewhere"
    start_xvfb
    start_program "$program" "$WORK/elsewhere"
    wait_main_window "$title"
    wait_first_frame
    sleep 1
    find_alert "$title" && fail "a message box: $(cat "$WORK/program.err")"
    close_and_expect_success
}

# A document that is not there: the message box, and the window opens anyway with nothing in it.
case_vantrell_missing_file() {
    start_xvfb
    start_program vantrell "$BIN_DIR" "$WORK/nowhere/scene.dae"
    wait_main_window Vantrell
    poll 20 find_alert Vantrell || fail "no message box"
    dismiss_alert Vantrell
    find_main_window Vantrell || fail "the main window went with the message box"
    close_and_expect_success
}

# --help and mistakes need no display: the usage, and status 0 or 2.
case_usage() {
    local status=0
    DISPLAY= "$BIN_DIR/vantrell" --help >"$WORK/program.out" 2>"$WORK/program.err" || status=$?
    [ "$status" = 0 ] || fail "vantrell --help: status $status"
    grep -q "^usage: vantrell" "$WORK/program.out" || fail "vantrell --help: no usage"
    status=0
    DISPLAY= "$BIN_DIR/lustrane" one.dae two.dae >"$WORK/program.out" 2>"$WORK/program.err" || status=$?
    [ "$status" = 2 ] || fail "lustrane with two files: status $status"
    grep -q "^usage: lustrane" "$WORK/program.err" || fail "lustrane with two files: no usage on standard error"
}

# A display without a true-colour visual offers no pixel format: the message box, then status 1.
case_lustrane_no_pixel_format() {
    start_xvfb 8
    start_program lustrane
    wait_main_window Lustrane
    poll 20 find_alert Lustrane || fail "no message box"
    dismiss_alert Lustrane
    local status=0
    wait "$PROGRAM_PID" || status=$?
    PROGRAM_PID=
    [ "$status" = 1 ] || fail "status $status after the pixel format message"
}

# Under a comma-decimal locale both programs draw what they draw under the C locale and close cleanly: numbers
# from the documents and in GL calls never take the locale's decimal comma. Vantrell's start is still; Lustrane
# shows the drum, whose picture does not depend on how far it has turned by the time of the screenshot.
locale_picture() {
    local program=$1 title=$2 locale=$3 shot_name=$4
    shift 4
    start_xvfb
    (cd "$BIN_DIR" && LC_ALL=$locale LANG=$locale exec "$BIN_DIR/$program" "$@") >"$WORK/program.out" 2>"$WORK/program.err" &
    PROGRAM_PID=$!
    wait_main_window "$title"
    wait_first_frame
    wait_settled "$shot_name"
    close_and_expect_success
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
}

case_comma_locale() {
    locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' || fail "the de_DE.UTF-8 locale is not installed"
    locale_picture vantrell Vantrell C vantrell_c
    locale_picture vantrell Vantrell de_DE.UTF-8 vantrell_de
    local changed
    changed=$(changed_pixels vantrell_c vantrell_de)
    is_greater "$changed" 50 && fail "Vantrell draws $changed pixels differently under de_DE.UTF-8"
    write_drum "$WORK/scene/drum.dae"
    locale_picture lustrane Lustrane C lustrane_c "$WORK/scene/drum.dae"
    locale_picture lustrane Lustrane de_DE.UTF-8 lustrane_de "$WORK/scene/drum.dae"
    changed=$(changed_pixels lustrane_c lustrane_de)
    is_greater "$changed" 50 && fail "Lustrane draws $changed pixels differently under de_DE.UTF-8"
}

# Without an X display: a message on standard error and status 1, no window.
case_no_display() {
    local status=0
    (cd "$BIN_DIR" && DISPLAY= exec ./vantrell) >"$WORK/program.out" 2>"$WORK/program.err" || status=$?
    [ "$status" = 1 ] || fail "status $status without a display"
    grep -q "cannot open the X display" "$WORK/program.err" || fail "no message on standard error"
}

case "$CASE" in
vantrell_opens) case_opens vantrell Vantrell ;;
lustrane_opens) case_opens lustrane Lustrane ;;
installed_vantrell_opens) case_opens vantrell Vantrell / ;;
installed_lustrane_opens) case_opens lustrane Lustrane / ;;
vantrell_resize) case_vantrell_resize ;;
vantrell_walk) case_vantrell_walk ;;
vantrell_switches) case_vantrell_switches ;;
vantrell_missing_models) case_vantrell_missing_models ;;
lustrane_animation) case_lustrane_animation ;;
lustrane_no_pixel_format) case_lustrane_no_pixel_format ;;
no_display) case_no_display ;;
comma_locale) case_comma_locale ;;
vantrell_user_scene) case_vantrell_user_scene ;;
installed_vantrell_user_scene) case_vantrell_user_scene "$WORK" ;;
lustrane_user_model) case_lustrane_user_model ;;
vantrell_missing_file) case_vantrell_missing_file ;;
vantrell_foreign_model) case_foreign_model vantrell Vantrell ;;
lustrane_foreign_model) case_foreign_model lustrane Lustrane ;;
vantrell_from_elsewhere) case_from_elsewhere vantrell Vantrell ;;
lustrane_from_elsewhere) case_from_elsewhere lustrane Lustrane ;;
usage) case_usage ;;
*) fail "unknown case" ;;
esac
echo "PASS ($CASE)"
