# The script reloaded while the show plays under Wine, sourced by test.sh after window_tests.sh.
# The show plays a script in a folder named in several scripts, paused at 30 s (pass 1800); each
# save must bring the screen to the Linux build's frame of the saved script at that pass and
# print `script reloaded`.

# Rows added to the built-in script: the wave filter at work, and the "MUSIC" text hidden.
reload_wave_rows="0 196 unsigned char wave.enabled 1 1
0 196 short wave.amplitude 40 40"
reload_text_rows="0 196 unsigned char layer 6.visible 0 0"

reload_count() { grep -c "^script reloaded: " "$show_output.out" || true; }
reloaded_times() { [ "$(reload_count)" -ge "$1" ]; } # N

# Waits until the show has printed its Nth `script reloaded` and the screen shows FRAME.
shows_reload() { # N FRAME WHAT
    wait_until 30 reloaded_times "$1" ||
        { fail "reload: $3: no 'script reloaded' line: $(cat "$show_output.err")"; return 1; }
    wait_until 30 screen_shows_frame "$work/reload" "$2" ||
        { fail "reload: $3: the screen is not the saved script's frame ($work/reload.xwd)"; return 1; }
}

# The saves, in order; the first that fails ends them.
reload_saves() { # FOLDER
    local folder=$1 script=$1/show.txt
    pause_at_paused_ms reload "$window" || return 1
    wait_until 60 screen_shows_frame "$work/reload" "$work/pass1800.bgra" ||
        { fail "reload: the paused picture is not pass 1800 ($work/reload.xwd)"; return 1; }
    # Written in place (emptied, then written), then written to another name and renamed over it.
    cat "$work/reload-wave.txt" >"$script"
    shows_reload 1 "$work/reload-wave.bgra" "a save in place" || return 1
    timeout 60 python3 "$root/tools/windows/screenshot.py" png "$work/reload.xwd" "$work/reload-wave.png" 0 0 660 520
    cp "$work/reload-text.txt" "$folder/show.txt.new" && mv "$folder/show.txt.new" "$script"
    shows_reload 2 "$work/reload-text.bgra" "a save by rename" || return 1
    # A save with an error: its line on standard error, the frame and the tracks stay.
    cat "$work/reload-error.txt" >"$script"
    local line="scènes ж/show.txt:$(wc -l <"$work/reload-error.txt"): float does not fit wave.amplitude"
    has_error_line() { grep -qF "$line" "$show_output.err"; }
    wait_until 30 has_error_line ||
        { fail "reload: a save with an error: not '$line' in: $(cat "$show_output.err")"; return 1; }
    screen_shows_frame "$work/reload" "$work/reload-text.bgra" && [ "$(reload_count)" -eq 2 ] ||
        { fail "reload: a save with an error changed the frame ($work/reload.xwd) or was played"; return 1; }
    # The folder removed and made again, with the built-in script in it.
    rm -rf "$folder" && mkdir "$folder" && cp "$work/reload-built-in.txt" "$script"
    shows_reload 3 "$work/pass1800.bgra" "the folder removed and made again" || return 1
    # The folder renamed away (its handle goes with it) and another made at its name.
    rm -rf "$folder.old" && mv "$folder" "$folder.old" && mkdir "$folder" && cp "$work/reload-wave.txt" "$script"
    shows_reload 4 "$work/reload-wave.bgra" "the folder renamed away and another made" || return 1
}

part_reload() {
    linux_frames
    local folder="$work/scènes ж" script
    script="$folder/show.txt"
    rm -rf "$folder" && mkdir -p "$folder"
    "$linux" --dump-script "$work/reload-built-in.txt" -y >/dev/null
    { cat "$work/reload-built-in.txt"; echo "$reload_wave_rows"; } >"$work/reload-wave.txt"
    { cat "$work/reload-built-in.txt"; echo "$reload_text_rows"; } >"$work/reload-text.txt"
    { cat "$work/reload-built-in.txt"; echo "0 196 float wave.amplitude 40 40"; } >"$work/reload-error.txt"
    local name
    for name in wave text; do
        "$linux" --render-frame 1800 --script "$work/reload-$name.txt" --out "$work/reload-$name.bgra" -y \
            --data build/data >/dev/null
    done
    cp "$work/reload-built-in.txt" "$script"
    start_show reload --windowed --mute --start 30 --seed 0 --script "scènes ж/show.txt" --data "$root/build/data"
    playing_window reload || { abandon_show; return; }
    reload_saves "$folder" || true
    escape_ends_show reload
    [ "$(grep -c . "$show_output.err")" -eq 1 ] || fail "reload: standard error: $(cat "$show_output.err")"
    part "reload: saves in place, by rename, with an error, the folder made again, renamed away"
}
