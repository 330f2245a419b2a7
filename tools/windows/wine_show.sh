# Helpers for tests that play the Windows program in a window under Wine, sourced by test.sh
# after it has set DISPLAY, the prefix, $exe and $work. Every wait polls its condition until a
# deadline, and every program run here has a time limit, so that a hang fails instead of blocking.

show_pid=""
show_output=""

# Runs COMMAND... every tenth of a second until it succeeds; fails after SECONDS.
wait_until() { # SECONDS COMMAND...
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.1
    done
}

# Starts the program in the background with ARGS, its output in $work/NAME.out and .err.
# A show that is not ended within two minutes is killed.
start_show() { # NAME ARGS...
    show_output=$work/$1
    shift
    (cd "$work" && exec timeout --kill-after=10 120 wine "$exe" "$@" >"$show_output.out" 2>"$show_output.err") &
    show_pid=$!
}

# The program's exit status once it has ended; a program still running SECONDS from now is
# stopped (SIGTERM, which gives status 143).
show_status() { # SECONDS
    local deadline=$((SECONDS + $1))
    while kill -0 "$show_pid" 2>/dev/null; do
        if [ $SECONDS -ge $deadline ]; then
            kill "$show_pid" 2>/dev/null
            break
        fi
        sleep 0.1
    done
    local status=0
    wait "$show_pid" || status=$?
    return $status
}

# A visible top-level window of the program (Wine names its X class after the executable) other
# than OTHER.
show_window() { # [OTHER]
    timeout 10 xdotool search --onlyvisible --classname '^voxelshow\.exe$' 2>/dev/null | grep -vx "${1:-0}" | head -n 1
}

# Waits for a window of the program other than OTHER to show; prints its X id.
wait_for_window() { # SECONDS [OTHER]
    local found=""
    found_window() { found=$(show_window "$@") && [ -n "$found" ]; }
    wait_until "$1" found_window "${2:-0}" && echo "$found"
}

window_title() { # WINDOW
    timeout 10 xprop -id "$1" WM_NAME 2>/dev/null | sed -n 's/^WM_NAME([A-Z_]*) = "\(.*\)"$/\1/p'
}

# The demo clock in the title ("timer ms: 030000, ..."), in milliseconds.
title_timer() { # WINDOW
    window_title "$1" | sed -n 's/^timer ms: 0*\([0-9][0-9]*\),.*/\1/p'
}

title_timer_is() { [ "$(title_timer "$1")" = "$2" ]; } # WINDOW MS

title_differs() { [ "$(window_title "$1")" != "$2" ]; } # WINDOW TITLE

# The size of an X window as WIDTHxHEIGHT+X+Y, its place on the root window.
window_geometry() { # WINDOW
    timeout 10 xwininfo -id "$1" 2>/dev/null | awk '
        /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /^ *Width:/ {w = $NF} /^ *Height:/ {h = $NF}
        END {print w "x" h "+" x "+" y}'
}

# Dumps the X root window to DUMP.xwd.
dump_screen() { # DUMP
    timeout 20 xwd -root -silent -out "$1.xwd"
}

# True once the X root shows FRAME (a .bgra file) at 1:1; the last dump stays in DUMP.xwd and
# the place in $frame_place.
frame_place=""
screen_shows_frame() { # DUMP FRAME
    dump_screen "$1" && frame_place=$(timeout 60 python3 "$root/tools/windows/screenshot.py" find "$1.xwd" "$2")
}

# Sends KEYS through the X server's test extension, as a keyboard does, to the focused window.
press() { # KEYS...
    timeout 10 xdotool key --delay 30 "$@"
}
