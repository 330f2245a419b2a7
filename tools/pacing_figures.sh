#!/usr/bin/env bash
# Measures the played show's frame rate and CPU use with and without --vsync, on Linux under an X
# server of its own (Xvfb, 1280x960) and, with `windows`, the Windows program under Wine on one:
# for each presenter and each setting, the show plays windowed and mute; once its title shows the
# frame rate, the program's processor time (/proc/PID/stat, user and system, all its threads) and
# the X server's are read over SECONDS (default 10), and the title's frame rate every second.
# Prints one line per run, and the load average before and after. The figures in the README's
# `--vsync` bullet come from it. PRESENTERS="gpu" measures one presenter only. Needs build/ (and
# build-windows/ for `windows`).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
platform=${1:-linux}
seconds=${2:-10}
work=$root/build/pacing
mkdir -p "$work"
display=90
while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
Xvfb :$display -screen 0 1280x960x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=:$display
if [ "$platform" = windows ]; then
    export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
    wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
fi
cleanup() {
    if [ "$platform" = windows ]; then
        "$wineserver" -k 2>/dev/null || true
        rm -rf "$WINEPREFIX"
    fi
    kill $xvfb 2>/dev/null || true
    wait $xvfb 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 100); do [ -e /tmp/.X11-unix/X$display ] && break; sleep 0.1; done
if [ "$platform" = windows ]; then
    mkdir -p "$WINEPREFIX"
    "$wineserver" -p
    timeout 300 wineboot -i >/dev/null 2>&1
fi

# User and system time of a process and its threads, in clock ticks.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

title() { xprop -id "$1" WM_NAME 2>/dev/null | sed -n 's/^WM_NAME([A-Z_]*) = "\(.*\)"$/\1/p'; }

measure() { # PRESENTER [--vsync]
    local program window=""
    if [ "$platform" = windows ]; then
        wine build-windows/voxelshow.exe --data build/data --windowed --mute --presenter "$@" >/dev/null 2>&1 &
    else
        build/voxelshow --data build/data --windowed --mute --presenter "$@" >/dev/null 2>&1 &
    fi
    program=$!
    # The program's window, once its title shows the frame rate.
    for _ in $(seq 600); do
        if [ "$platform" = windows ]; then  # Wine names the window's class after the exe
            window=$(xdotool search --onlyvisible --classname '^voxelshow\.exe$' 2>/dev/null | head -n 1 || true)
        else
            window=$(xdotool search --pid "$program" 2>/dev/null | head -n 1 || true)
        fi
        [ -n "$window" ] && [[ $(title "$window") == *"max fps"* ]] && break
        window=""
        sleep 0.1
    done
    [ -n "$window" ] || { echo "no window for $*"; kill "$program"; return 1; }
    local before xbefore rates=""
    before=$(cpu_ticks "$program")
    xbefore=$(cpu_ticks $xvfb)
    for _ in $(seq "$seconds"); do
        sleep 1
        rates+="$(title "$window" | sed -n 's/.*average fps: \([0-9.]*\),.*/\1/p') "
    done
    local used xused
    used=$(($(cpu_ticks "$program") - before))
    xused=$(($(cpu_ticks $xvfb) - xbefore))
    kill "$program" 2>/dev/null || true
    wait "$program" 2>/dev/null || true
    # Its window gone before the next run starts.
    for _ in $(seq 100); do
        [ -z "$(xdotool search --name 'timer ms' 2>/dev/null || true)" ] && break
        sleep 0.1
    done
    echo "$platform --presenter $*: $(echo "$rates" | awk '{for (i = 1; i <= NF; ++i) s += $i; printf "%.1f", s / NF}') frames/s;" \
        "CPU: program $((used * 100 / seconds / $(getconf CLK_TCK)))% of a core, X server $((xused * 100 / seconds / $(getconf CLK_TCK)))%"
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for presenter in ${PRESENTERS:-software gpu}; do
    measure $presenter
    measure $presenter --vsync
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
