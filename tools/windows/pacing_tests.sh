# Frame pacing under Wine, sourced by test.sh after window_tests.sh: with --vsync the show presents
# at the display's refresh rate, with the GDI and the Direct3D presenter. Wine on Xvfb names no rate,
# so 60 a second, and 61 with Direct3D, whose own wait is taken to hold (it does not on Xvfb);
# without --vsync the show draws hundreds a second.

# The title's highest frame rate of the half-second windows so far ("max fps: 60.12").
title_max_fps() { # WINDOW
    window_title "$1" | sed -n 's/.*max fps: \([0-9][0-9]*\.[0-9][0-9]\).*/\1/p'
}

title_timer_reaches() { [ "$(title_timer "$1")" -ge "$2" ] 2>/dev/null; } # WINDOW MS

# Over three seconds of the show, no window of the statistics counts more than 63 (the pacer allows
# half a frame more per window, the millisecond counter a little more).
part_vsync() {
    local presenter started fps
    for presenter in software gpu; do
        start_show "vsync-$presenter" --windowed --vsync --mute --presenter $presenter --data "$root/build/data"
        playing_window "--vsync --presenter $presenter" || { abandon_show; continue; }
        wait_until 60 title_max_fps_shown "$window" ||
            { fail "--vsync: no frame rate in the title: $(window_title "$window")"; abandon_show; continue; }
        started=$(title_timer "$window")
        wait_until 60 title_timer_reaches "$window" $((started + 3000)) ||
            { fail "--vsync: the show's clock stood still: $(window_title "$window")"; abandon_show; continue; }
        fps=$(title_max_fps "$window")
        echo "windows test: --vsync --presenter $presenter: $(window_title "$window")"
        awk -v fps="$fps" 'BEGIN { exit !(fps <= 63.0) }' ||
            fail "--vsync --presenter $presenter: $fps frames a second, more than the refresh allows"
        escape_ends_show "--vsync --presenter $presenter"
    done
    part "vsync"
}

title_max_fps_shown() { [ -n "$(title_max_fps "$1")" ]; } # WINDOW
