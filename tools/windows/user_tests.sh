# The Windows program as its users meet it, sourced by test.sh: names in any script, a start
# from Explorer (no console: a message box), standard output and Windows' devices, hidden
# temporaries, the help. Each run has a time limit (wine_run).

helper=$root/build-windows/message_box_text.exe

# Folders and files named in four scripts: the program started by its full path from another
# folder finds data\ beside itself, reads a script and writes a frame there; the frame equals the
# Linux build's. A music file in such a folder plays (no line about it on standard error).
part_names() {
    local name dir status
    "$linux" --render-frame 1050 --out "$work/names-linux.png" --data build/data >/dev/null
    "$linux" --dump-script "$work/names-script.txt" >/dev/null
    for name in "Démo café" "中文" "ж" "show 🎬"; do
        dir=$work/names/$name
        mkdir -p "$dir"
        cp "$exe" "$dir/voxelshow.exe"
        cp -r build/data "$dir/data"
        cp "$work/names-script.txt" "$dir/scène ж.txt"
        status=0
        (cd "$work" && wine_run "$dir/voxelshow.exe" --render-frame 1050 --script "$dir/scène ж.txt" \
            --out "$dir/frame $name.png" >"$work/names.out" 2>"$work/names.err") || status=$?
        if [ $status -ne 0 ] || ! cmp -s "$work/names-linux.png" "$dir/frame $name.png"; then
            fail "names: '$name': status $status, frame $(ls "$dir" | tr '\n' ' '), stderr: $(cat "$work/names.err")"
        fi
    done
    # The show's own music, from the last folder, played to the show's end (2 s from 194 s).
    local music
    music=$(cd build/data && ls | grep -E '\.(ogg|mp3|mod|xm|s3m|it)$' | head -n 1)
    cp "build/data/$music" "$dir/musique ж 🎬.${music##*.}"
    status=0
    (cd "$work" && wine_run "$dir/voxelshow.exe" --windowed --start 194 --music "$dir/musique ж 🎬.${music##*.}" \
        >"$work/names.out" 2>"$work/names.err") || status=$?
    if [ $status -ne 0 ] || [ -s "$work/names.err" ]; then
        fail "names: music in '$name': status $status, stderr: $(cat "$work/names.err")"
    fi
    part "names in four scripts"
}

# The exe is a windowed program (PE subsystem 2). Started with no standard streams, as Explorer
# starts it (`start`), a fatal start-up error is a message box: a program with no data beside it, and a
# script dropped on it (its one argument) that does not parse. From a prompt the same error is
# a line on standard error.
part_start_up() {
    local subsystem status text
    subsystem=$(python3 -c 'import struct,sys
d=open(sys.argv[1],"rb").read(4096); pe=struct.unpack_from("<I",d,0x3c)[0]
print(struct.unpack_from("<H",d,pe+24+68)[0])' "$exe")
    [ "$subsystem" = 2 ] || fail "start-up: the exe's subsystem is $subsystem, not 2 (windowed)"
    mkdir -p "$work/alone"
    cp "$exe" "$work/alone/voxelshow.exe"
    printf 'not a script\n' >"$work/alone/dropped ж.txt"
    local args
    for args in "--windowed" "$work/alone/dropped ж.txt"; do
        status=0
        # Started as Explorer starts it: by the shell, with no standard streams.
        (cd "$work/alone" && exec timeout --kill-after=10 $limit wine start /wait /unix "$work/alone/voxelshow.exe" \
            "$args" >/dev/null 2>&1) &
        local program=$!
        if [ -n "${BOX_SCREENSHOT:-}" ] && [ "$args" = --windowed ]; then
            screenshot_message_box "$BOX_SCREENSHOT"
        fi
        text=$(timeout $limit wine "$helper" 60 2>/dev/null | tr -d '\r') || true
        wait $program || status=$?
        case $args in
            --windowed) [[ $text == *"voxelshow: "*"data"* ]] ;;
            *) [[ $text == *"dropped ж.txt"* ]] ;;
        esac || fail "start-up: '$args' without a console: message box '$text', status $status"
        [ $status -ne 0 ] || fail "start-up: '$args' without a console ended with status 0"
    done
    status=0
    (cd "$work/alone" && wine_run "$work/alone/voxelshow.exe" "$work/alone/dropped ж.txt" \
        >"$work/start.out" 2>"$work/start.err") || status=$?
    if [ $status -eq 0 ] || ! grep -q "dropped ж.txt" "$work/start.err"; then
        fail "start-up: a dropped script from a prompt: status $status, stderr: $(cat "$work/start.err")"
    fi
    part "start-up without a console"
}

# With BOX_SCREENSHOT=FILE.png (tools/windows/test.sh start_up): the message box of a start with
# no data, as it shows on the screen, cropped to the box (docs/windows-message-box.png).
screenshot_message_box() {
    local place
    place=$(timeout $limit wine "$helper" 60 open 2>/dev/null | tr -d '\r' | tail -n 1)
    # The box exists before it is painted: the screen is dumped until the box's rows differ (its
    # frame, icon and text drawn), at least 8 different ones.
    box_painted() {
        timeout 60 xwd -root -silent -out "$work/message-box.xwd" &&
            python3 -c 'import sys; sys.path.insert(0, "tools/windows"); import screenshot
d = screenshot.Dump(sys.argv[1]); x, y, w, h = map(int, sys.argv[2:])
sys.exit(len({bytes(r[x * 3 : (x + w) * 3]) for r in d.rows[y : y + h]}) < 8)' "$work/message-box.xwd" $place
    }
    # shellcheck disable=SC2086 # X Y W H
    wait_until 30 box_painted && python3 tools/windows/screenshot.py png "$work/message-box.xwd" "$1" $place ||
        fail "start-up: no screenshot of the message box (at '$place')"
}

# Standard output takes the hashes and the script as bytes (LF, as Linux writes them), status
# 0; NUL and nul.txt are written as devices, whether or not -y is given; a name Windows refuses
# is named in the message with the system's text, and no temporary is left.
part_standard_output() {
    local status output
    "$linux" --hashes "$work/std-linux.txt" --fps 2 --data build/data >/dev/null
    "$linux" --dump-script "$work/std-linux-script.txt" >/dev/null
    status=0
    (cd "$work" && wine_run "$exe" --hashes - --fps 2 --data "$root/build/data" >"$work/std-hashes.txt" 2>"$work/std.err") ||
        status=$?
    [ $status -eq 0 ] && cmp -s "$work/std-linux.txt" "$work/std-hashes.txt" ||
        fail "standard output: --hashes - status $status, $(cmp "$work/std-linux.txt" "$work/std-hashes.txt" 2>&1) $(cat "$work/std.err")"
    status=0
    (cd "$work" && wine_run "$exe" --dump-script - >"$work/std-script.txt" 2>"$work/std.err") || status=$?
    [ $status -eq 0 ] && cmp -s "$work/std-linux-script.txt" "$work/std-script.txt" ||
        fail "standard output: --dump-script - status $status, $(cmp "$work/std-linux-script.txt" "$work/std-script.txt" 2>&1)"
    for output in NUL nul.txt "NUL -y"; do
        mkdir -p "$work/devices"
        status=0
        # shellcheck disable=SC2086 # the -y is a word of its own
        (cd "$work/devices" && wine_run "$exe" --hashes $output --fps 2 --data "$root/build/data" \
            >"$work/std.out" 2>"$work/std.err") || status=$?
        if [ $status -ne 0 ] || [ -s "$work/std.err" ] || [ -n "$(ls -A "$work/devices")" ]; then
            fail "devices: --hashes $output: status $status, files $(ls -A "$work/devices"), stderr: $(cat "$work/std.err")"
        fi
        status=0
        (cd "$work/devices" && wine_run "$exe" --render-frame 0 --out $output --data "$root/build/data" \
            >"$work/std.out" 2>"$work/std.err") || status=$?
        [ $status -eq 0 ] && [ ! -s "$work/std.err" ] ||
            fail "devices: --render-frame --out $output: status $status, stderr: $(cat "$work/std.err")"
    done
    status=0
    (cd "$work/devices" && wine_run "$exe" --dump-script 'a*b.txt' >"$work/std.out" 2>"$work/std.err") || status=$?
    if [ $status -ne 1 ] || ! grep -q 'a\*b.txt: .*[a-z]' "$work/std.err" || grep -q 'error [0-9]' "$work/std.err" ||
        [ -n "$(ls -A "$work/devices")" ]; then
        fail "names refused: status $status, files $(ls -A "$work/devices"), stderr: $(cat "$work/std.err")"
    fi
    part "standard output and devices"
}

# --help, -h and /? describe the Windows program: its forms, its capture's formats and not the
# Linux program's.
part_help() {
    local option status
    for option in --help -h /?; do
        status=0
        wine_run "$exe" "$option" >"$work/help.txt" 2>"$work/help.err" || status=$?
        if [ $status -ne 0 ] || ! grep -q '/?' "$work/help.txt" || ! grep -q 'NAME%d.bgra' "$work/help.txt" ||
            grep -q 'flac' "$work/help.txt"; then
            fail "help: '$option': status $status, $(head -n 2 "$work/help.txt") $(cat "$work/help.err")"
        fi
    done
    part "help"
}

# A temporary is hidden while the run writes it (Wine keeps the attribute as the file's
# user.DOSATTRIB extended attribute); it is gone once the run ends.
part_temporaries() {
    local dir=$work/temporaries status=0
    mkdir -p "$dir"
    (cd "$dir" && exec timeout --kill-after=10 $limit wine "$exe" --hashes "hashes ж.txt" --fps 30 \
        --data "$root/build/data" >"$work/temporaries.out" 2>"$work/temporaries.err") &
    local program=$!
    local temporary=""
    found_temporary() { temporary=$(ls -A "$dir" | grep -m 1 '^\.hashes ж\.txt\.part-') && [ -n "$temporary" ]; }
    if ! wait_until 60 found_temporary; then
        fail "temporaries: no temporary while the run wrote: $(ls -A "$dir")"
    elif ! python3 -c 'import os,sys
a=os.getxattr(sys.argv[1],"user.DOSATTRIB").decode().strip("\0")
sys.exit(0 if int(a,16) & 2 else 1)' "$dir/$temporary"; then
        fail "temporaries: $temporary is not hidden"
    fi
    wait $program || status=$?
    if [ $status -ne 0 ] || [ "$(ls -A "$dir")" != "hashes ж.txt" ]; then
        fail "temporaries: status $status, files left: $(ls -A "$dir")"
    fi
    part "temporaries"
}

# Alt+Enter switches a framed window to full screen (the screen's size on a plain X server,
# which refuses 640x480) and back to the framed window it was; Escape then ends the show.
# The framed window, its icon in the caption, is kept as alt-enter.png.
part_alt_enter() {
    start_show alt-enter --windowed --mute --seed 0 --data "$root/build/data"
    playing_window "Alt+Enter" || { abandon_show; return; }
    local framed geometry
    framed=$(window_geometry "$window")
    geometry_is() { geometry=$(window_geometry "$window") && [[ $geometry == $1 ]]; }
    press alt+Return
    wait_until 30 geometry_is "$screen_size+0+0" ||
        fail "Alt+Enter: the framed window ($framed) did not cover the screen: $geometry"
    press alt+Return
    # Wine draws the frame of an unmanaged window inside its X window: the framed size is the
    # one the window opened with (640x480 within its frame).
    wait_until 30 geometry_is "${framed%%+*}+*" ||
        fail "Alt+Enter: a second Alt+Enter did not give the framed window ($framed) back: $geometry"
    dump_screen "$work/alt-enter" &&
        timeout 60 python3 "$root/tools/windows/screenshot.py" png "$work/alt-enter.xwd" "$work/alt-enter.png" 0 0 \
            "${screen_size%x*}" "${screen_size#*x}"
    escape_ends_show "Alt+Enter"
    part "Alt+Enter"
}
