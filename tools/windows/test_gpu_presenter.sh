#!/usr/bin/env bash
# The Direct3D 11 presenter under Wine, part of test.sh, which runs it with its X server, Wine
# prefix and wineserver in the environment: usage: test_gpu_presenter.sh EXE DATA WORK.
#   - `--presenter gpu` in a window: a screenshot of the X root shows the 640 x 480 back buffer at
#     1:1, dark blue where the triangle is not and red, green and blue towards its corners;
#   - `--presenter both`: the Direct3D objects are made (no complaint) but the software frames show;
#   - a missing or broken shaders.hlsl and a Direct3D library that cannot be loaded: one line on
#     standard error naming it, the software frames instead, status 0;
#   - ending the show with Direct3D set up gives status 0, run after run (objects left alive at
#     exit have crashed programs under Wine), with the shader file found beside the program.
# Prints what it checked and exits with the number of failures.
set -uo pipefail
exe=$1
data=$2
work=$3/gpu
rm -rf "$work" && mkdir -p "$work/shaders" "$work/none" "$work/broken" "$work/program" "$work/bare"
cp "$(dirname "$0")/../../shaders.hlsl" "$work/shaders/"
# The program as it is shipped, with the shader file beside it, and alone.
cp "$exe" "$work/shaders/shaders.hlsl" "$work/program/"
cp "$exe" "$work/bare/"
program=$exe
{ cat "$work/shaders/shaders.hlsl" && echo "float4 Broken( {"; } >"$work/broken/shaders.hlsl"
failures=0
fail() { echo "windows test FAILED: gpu presenter: $*" >&2; failures=$((failures + 1)); }

limit=120      # seconds for any one run of the program
deadline=90    # seconds for the window to show what a check waits for
clear_colour="0 51 102"

# Starts the show in a window, in the background, from the folder `$work/$1`, with the further
# arguments; its standard output and error go to files named after the folder.
start_show() {
    local folder=$1
    shift
    (cd "$work/$folder" && exec timeout --kill-after=10 $limit wine "$program" --windowed --mute --data "$data" "$@" \
        >"$work/$folder.out" 2>"$work/$folder.err")&
    show=$!
}

# The shown window once the show draws: the title carries the statistics from the first pass on.
wait_for_show() {
    local until=$((SECONDS + deadline))
    while [ $SECONDS -lt $until ] && kill -0 $show 2>/dev/null; do
        window=$(timeout 10 xdotool search --name '^timer ms' 2>/dev/null | head -n 1)
        [ -n "$window" ] && return 0
        sleep 0.2
    done
    return 1
}

# Writes the X root's picture as a PPM of 8-bit channels, and as a PNG beside it to look at.
screenshot() {
    timeout 30 xwd -root -silent | xwdtopnm 2>/dev/null | pamdepth 255 >"$1.ppm" && pnmtopng "$1.ppm" >"$1.png"
}

# "W H X Y": the box around every pixel of the colour "R G B" in a PPM, "0 0 0 0" if there is none.
colour_box() {
    local rgb=($2)
    pnmtoplainpnm "$1" | awk -v r="${rgb[0]}" -v g="${rgb[1]}" -v b="${rgb[2]}" '
        BEGIN { header = 0; v = 0; n = 0; found = 0 }
        {
            for (i = 1; i <= NF; i++) {
                if (header < 4) { if (++header == 2) width = $i; continue }
                value[v++] = $i
                if (v < 3) continue
                v = 0
                if (value[0] == r && value[1] == g && value[2] == b) {
                    x = n % width; y = int(n / width)
                    if (!found || x < left) left = x
                    if (!found || x > right) right = x
                    if (!found) top = y
                    bottom = y
                    found = 1
                }
                n++
            }
        }
        END { if (found) print right - left + 1, bottom - top + 1, left, top; else print 0, 0, 0, 0 }'
}

# "R G B" of the pixel at X Y of a PPM.
pixel() {
    pamcut -left "$2" -top "$3" -width 1 -height 1 "$1" | pnmtoplainpnm | tail -n +4 | xargs
}

# How many colours the window `$window` shows (its frame included) in a PPM of the root.
window_colours() {
    local X Y WIDTH HEIGHT
    eval "$(timeout 10 xdotool getwindowgeometry --shell "$window" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    pamcut -left "$X" -top "$Y" -width "$WIDTH" -height "$HEIGHT" "$1" | ppmhist -noheader | wc -l
}

# Screenshots until the back buffer's clear colour fills a box of at least 640 x 480 or the
# deadline passes; prints the box.
wait_for_back_buffer() {
    local until=$((SECONDS + deadline)) box="0 0 0 0"
    while [ $SECONDS -lt $until ] && kill -0 $show 2>/dev/null; do
        screenshot "$1"
        box=$(colour_box "$1.ppm" "$clear_colour")
        read -r width height _ <<<"$box"
        [ "$width" -ge 640 ] && [ "$height" -ge 480 ] && break
        sleep 0.2
    done
    echo "$box"
}

# Ends the show with Escape and checks that it exits with status 0.
end_show() {
    timeout 10 xdotool key Escape
    local status=0
    wait $show || status=$?
    [ $status -eq 0 ] || fail "$1: exit status $status after Escape: $(tr '\n' ' ' <"$work/$2.err")"
}

# The back buffer at 1:1 in the client area: dark blue outside the triangle, the corners' colours
# inside it. The triangle's corners fall at (320, 120), (464, 360) and (176, 360) of 640 x 480.
check_triangle() {
    local shot=$1 box=$2 width height left top
    read -r width height left top <<<"$box"
    if [ "$width" -ne 640 ] || [ "$height" -ne 480 ]; then
        fail "the dark blue of the back buffer covers ${width}x$height, not 640x480 (see $shot.png)"
        return
    fi
    # Outside the triangle: the corners of the picture, above its top, beside it, below its base.
    for point in "2 2" "637 2" "2 477" "637 477" "320 100" "100 240" "540 240" "320 400"; do
        read -r x y <<<"$point"
        colour=$(pixel "$shot.ppm" $((left + x)) $((top + y)))
        [ "$colour" = "$clear_colour" ] || fail "at $x,$y of the picture: $colour, not the clear colour (see $shot.png)"
    done
    # Inside, near each corner, that corner's colour dominates; at the centre, the three are equal.
    local -A expected=(["320 135"]="red" ["455 355"]="green" ["185 355"]="blue" ["320 280"]="grey")
    for point in "${!expected[@]}"; do
        read -r x y <<<"$point"
        read -r red green blue <<<"$(pixel "$shot.ppm" $((left + x)) $((top + y)))"
        case ${expected[$point]} in
            red) ok=$((red >= 200 && green <= 40 && blue <= 40)) ;;
            green) ok=$((green >= 200 && red <= 40 && blue <= 40)) ;;
            blue) ok=$((blue >= 200 && red <= 40 && green <= 40)) ;;
            grey) ok=$((red >= 75 && red <= 95 && green >= 75 && green <= 95 && blue >= 75 && blue <= 95)) ;;
        esac
        [ $ok -eq 1 ] || fail "at $x,$y of the picture: $red $green $blue, not ${expected[$point]} (see $shot.png)"
    done
}

# The software frames show in the window, not the back buffer: no pixel of the clear colour, and
# the many colours of the landscape rather than an empty window. Screenshots until the window
# shows either picture or the deadline passes, since the first frames may still be black.
check_software_frames() {
    local name=$1 folder=$2 shot=$work/$2 box="0 0 0 0" colours=0 until=$((SECONDS + deadline))
    if ! wait_for_show; then
        fail "$name: no window drew within $deadline s: $(tr '\n' ' ' <"$work/$folder.err")"
        return
    fi
    while [ $SECONDS -lt $until ] && kill -0 $show 2>/dev/null; do
        screenshot "$shot"
        box=$(colour_box "$shot.ppm" "$clear_colour")
        colours=$(window_colours "$shot.ppm")
        [ "$box" != "0 0 0 0" ] || [ "$colours" -ge 1000 ] && break
        sleep 0.2
    done
    [ "$box" = "0 0 0 0" ] || fail "$name: the GPU presenter's dark blue shows (box $box, see $shot.png)"
    [ "$colours" -ge 1000 ] || fail "$name: the window shows $colours colours, not the show's frames (see $shot.png)"
}

# Exactly one line on the standard error of the run in folder `$2`, matching `$3`.
check_one_line() {
    local err=$work/$2.err
    if [ "$(wc -l <"$err")" -ne 1 ] || ! grep -q "GPU presenter: .*$3" "$err"; then
        fail "$1: standard error is not one line matching '$3': $(tr '\n' ' ' <"$err")"
    fi
}

# The triangle.
start_show shaders --presenter gpu
if wait_for_show; then
    box=$(wait_for_back_buffer "$work/triangle")
    check_triangle "$work/triangle" "$box"
else
    fail "gpu: no window drew within $deadline s: $(tr '\n' ' ' <"$work/shaders.err")"
fi
end_show gpu shaders
[ -s "$work/shaders.err" ] && fail "gpu: standard error: $(tr '\n' ' ' <"$work/shaders.err")"

# Both presenters set up, the software frames shown.
start_show shaders --presenter both --start 42
check_software_frames both shaders
end_show both shaders
[ -s "$work/shaders.err" ] && fail "both: standard error: $(tr '\n' ' ' <"$work/shaders.err")"

# No shader file, in the working folder or beside the program: the software frames instead.
program=$work/bare/voxelshow.exe
start_show none --presenter gpu --start 42
check_software_frames "no shaders.hlsl" none
end_show "no shaders.hlsl" none
check_one_line "no shaders.hlsl" none "shaders.hlsl: cannot read"
program=$exe

# A shader that does not compile, and no Direct3D library: the show plays on to its end.
start_show broken --presenter gpu --start 195.5
wait $show || fail "broken shaders.hlsl: exit status $?"
check_one_line "broken shaders.hlsl" broken "shaders.hlsl: VShader does not compile: .*shaders.hlsl"
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;d3d11=" start_show shaders --presenter gpu --start 195.5
wait $show || fail "no d3d11.dll: exit status $?"
check_one_line "no d3d11.dll" shaders "d3d11.dll: cannot load"

# Run after run, the show ends cleanly with the Direct3D objects set up; the program is started
# from a folder without shaders.hlsl and finds the one beside it.
runs=3
program=$work/program/voxelshow.exe
for run in $(seq $runs); do
    start_show none --presenter gpu --start 195.5
    status=0
    wait $show || status=$?
    [ $status -eq 0 ] || fail "exit run $run of $runs: status $status: $(tr '\n' ' ' <"$work/none.err")"
    [ -s "$work/none.err" ] && fail "exit run $run of $runs: standard error: $(tr '\n' ' ' <"$work/none.err")"
done
echo "windows test: gpu presenter: triangle, both presenters, three fallbacks, $runs clean exits; $failures failed"
exit $failures
