# The show played under Wine, sourced by test.sh: the window, its keys and its sound, full screen
# with the display mode changed and refused, and a missing music file. The played show is paused on a known pass with
# its own keys (Space, then Home and Page Down land on 30 s, pass 1800; '.' steps to 1801), so
# that the screen can be compared with the frames the Linux build draws for those passes.

paused_ms=30000
stepped_ms=30016 # pass 1801 at 60 passes a second

# The frames of the paused show, drawn by the Linux build.
linux_frames() {
    [ -e "$work/pass1801.bgra" ] ||
        "$linux" --render-frame 1800,1801 --out "$work/pass%d.bgra" --data build/data >/dev/null
}

# Sets $window to the show's window (other than OTHER) once its title shows the statistics, and
# focuses it, so that keys reach it.
window=""
playing_window() { # NAME [OTHER]
    local title=""
    if ! window=$(wait_for_window 60 "${2:-0}"); then
        fail "$1: no window within 60 s"
        return 1
    fi
    has_statistics() { title=$(window_title "$window"); [[ $title == "timer ms: "* ]]; }
    if ! wait_until 60 has_statistics; then
        fail "$1: the title never showed the statistics: '$title'"
        return 1
    fi
    timeout 10 xdotool windowfocus --sync "$window"
}

# Space, Home and Page Down: true once the title says the show stands at 30 s.
pause_at_paused_ms() { # NAME WINDOW
    press space Home Next
    wait_until 30 title_timer_is "$2" $paused_ms ||
        { fail "$1: Space, Home, Page Down did not hold the show at 30 s: $(window_title "$2")"; return 1; }
}

# Ends the show with a tap of Escape (or, with `held`, the key held until the program has ended);
# the status must be 0.
escape_ends_show() { # NAME [held]
    local status=0
    if [ "${2:-}" = held ]; then
        timeout 10 xdotool keydown Escape
        show_status 30 || status=$?
        timeout 10 xdotool keyup Escape
    else
        press Escape
        show_status 30 || status=$?
    fi
    [ $status -eq 0 ] || fail "$1: Escape (${2:-tapped}) ended the show with status $status: $(cat "$show_output.err")"
}

# Stops a show that a failed check left running.
abandon_show() {
    kill "$show_pid" 2>/dev/null || true
    wait "$show_pid" 2>/dev/null || true
}

# A framed 640x480 window playing the music from 30 s: the title changes as the show plays; the
# samples played equal the Linux build's capture of 30 to 33 s; the picture at 1:1 equals the
# Linux build's frame, paused and stepped; a tap of Escape ends the show.
part_window() {
    linux_frames
    "$linux" --capture "$work/music.wav" --from 30 --to 33 --data build/data >/dev/null
    rm -f "$work/played.raw"
    start_show window --windowed --start 30 --seed 0 --data "$root/build/data"
    local title place
    playing_window window || { abandon_show; return; }
    title=$(window_title "$window")
    wait_until 30 title_differs "$window" "$title" || fail "window: the title stayed '$title'"
    # Before the pause: the 3 s of music, every audible sample in order (silence the device was
    # given while the program's sound thread was late aside, see compare_sound.py).
    sound_played() {
        timeout 60 python3 "$root/tools/windows/compare_sound.py" "$work/music.wav" "$work/played.raw" >"$work/sound.txt" 2>&1
    }
    if wait_until 60 sound_played; then
        echo "windows test: sound: $(cat "$work/sound.txt")"
    else
        fail "window: sound: $(cat "$work/sound.txt")"
    fi
    if pause_at_paused_ms window "$window"; then
        if wait_until 60 screen_shows_frame "$work/window" "$work/pass1800.bgra"; then
            place=$frame_place
            press period
            wait_until 30 title_timer_is "$window" $stepped_ms ||
                fail "window: '.' while paused did not step one pass: $(window_title "$window")"
            wait_until 60 screen_shows_frame "$work/window-step" "$work/pass1801.bgra" ||
                fail "window: the stepped picture is not pass 1801 at 1:1 ($work/window-step.xwd)"
            [ "$frame_place" = "$place" ] || fail "window: the picture moved from $place to $frame_place"
            echo "windows test: the window shows passes 1800 and 1801 at 1:1, at $place of its $(window_geometry "$window")"
        else
            fail "window: the paused picture is not pass 1800 at 1:1 ($work/window.xwd)"
        fi
        timeout 60 python3 "$root/tools/windows/screenshot.py" png "$work/window.xwd" "$work/window.png" 0 0 660 520
    fi
    escape_ends_show window
    mv "$work/played.raw" "$work/window-sound.raw" 2>/dev/null || true
    part "window: title, sound, picture paused and stepped, Escape tapped"
}

# Full screen where the display cannot switch to 640x480 (a plain X server offers no other mode):
# the window covers the screen at its own size with the picture stretched over it, and a held
# Escape ends the show.
part_full_screen_refused() {
    linux_frames
    start_show full-screen --mute --seed 0 --data "$root/build/data"
    local geometry counted
    playing_window "full screen, mode refused" || { abandon_show; return; }
    geometry=$(window_geometry "$window")
    [ "$geometry" = "$screen_size+0+0" ] || fail "full screen, mode refused: the window is $geometry, not the screen"
    # GDI chooses its own source pixel at the edges of the blocks: compare the blocks' centres.
    shows_stretched_frame() {
        dump_screen "$work/full-screen" &&
            counted=$(timeout 60 python3 "$root/tools/windows/screenshot.py" stretched "$work/full-screen.xwd" \
                "$work/pass1800.bgra" 0 0 "${screen_size%x*}" "${screen_size#*x}") &&
            [ "${counted%% *}" -eq 307200 ]
    }
    if pause_at_paused_ms "full screen, mode refused" "$window"; then
        if wait_until 60 shows_stretched_frame; then
            echo "windows test: full screen on a $screen_size screen: $counted pixels of pass 1800 at their blocks' centres"
        else
            fail "full screen, mode refused: $counted pixels of pass 1800 at their blocks' centres"
        fi
        timeout 60 python3 "$root/tools/windows/screenshot.py" png "$work/full-screen.xwd" "$work/full-screen.png"
    fi
    escape_ends_show "full screen, mode refused" held
    part "full screen, mode refused: window size, stretched picture, Escape held"
}

# Full screen on Wine's virtual desktop, which takes the 640x480 mode: the desktop switches to
# it, the picture covers it at 1:1, and the desktop has its own size back when the show ends. A
# second show, windowed, keeps the desktop open meanwhile (it closes with its last window): its
# music file does not exist, so it prints the audio error lines and plays on silently.
part_full_screen_mode() {
    linux_frames
    timeout 60 wine regedit /S "$root/tools/windows/virtual-desktop.reg"
    rm -f "$work/played.raw"
    start_show no-music --windowed --music "$work/no-such.mp3" --data "$root/build/data"
    local keeper keeper_pid=$show_pid keeper_output=$show_output desktop
    if playing_window "virtual desktop" &&
        desktop=$(timeout 10 xdotool search --onlyvisible --classname '^explorer\.exe$' | head -n 1) &&
        [ -n "$desktop" ]; then
        keeper=$window
        full_screen_on_desktop "$desktop" "$keeper"
        show_pid=$keeper_pid show_output=$keeper_output
        timeout 10 xdotool windowfocus --sync "$keeper"
        escape_ends_show "missing music"
        check_missing_music
    else
        fail "virtual desktop: no desktop window"
        abandon_show
    fi
    timeout 60 wine regedit /S "$root/tools/windows/no-virtual-desktop.reg"
    part "full screen, mode changed: desktop at 640x480, picture at 1:1, mode restored; missing music"
}

full_screen_on_desktop() { # DESKTOP KEEPER
    local desktop=$1 keeper=$2 size
    desktop_size() { window_geometry "$desktop" | cut -d+ -f1; }
    size=$(desktop_size)
    start_show full-screen-mode --mute --seed 0 --data "$root/build/data"
    desktop_is() { [ "$(desktop_size)" = "$1" ]; }
    if ! wait_until 60 desktop_is 640x480; then
        fail "virtual desktop: the display did not switch to 640x480: $(desktop_size)"
    elif playing_window "virtual desktop, full screen" "$keeper" && pause_at_paused_ms "virtual desktop" "$window"; then
        wait_until 60 screen_shows_frame "$work/full-screen-mode" "$work/pass1800.bgra" ||
            fail "virtual desktop: the paused picture is not pass 1800 at 1:1 ($work/full-screen-mode.xwd)"
        [ "$frame_place" = "0 0" ] || fail "virtual desktop: the picture is at $frame_place, not at the corner"
        timeout 60 python3 "$root/tools/windows/screenshot.py" png "$work/full-screen-mode.xwd" "$work/full-screen-mode.png" 0 0 640 480
    fi
    escape_ends_show "virtual desktop, full screen"
    wait_until 30 desktop_is "$size" || fail "virtual desktop: $(desktop_size) after the show, not $size"
}

# The lines a music file that cannot be opened prints, and nothing but silence played.
check_missing_music() {
    sed -n '2,$p' "$show_output.out" | tr -d '\r' >"$work/no-music.lines"
    printf "Can't open stream\n(error code: 5)\n" | cmp -s - "$work/no-music.lines" ||
        fail "missing music: standard output after the element types: $(cat "$work/no-music.lines")"
    grep -q "no-such.mp3: .*; the show goes on without sound" "$show_output.err" ||
        fail "missing music: standard error: $(cat "$show_output.err")"
    [ ! -e "$work/played.raw" ] || cmp -s -n "$(stat -c %s "$work/played.raw")" "$work/played.raw" /dev/zero ||
        fail "missing music: the device played sound"
}
