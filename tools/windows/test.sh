#!/usr/bin/env bash
# Tests the Windows program under Wine, against the Linux build of the same tree (build/): the
# core's unit tests built for Windows, every pass of the show at 7 and at 60 passes a second
# equal to Linux's hashes, picture sequences and WAV captured equal to Linux's, a missing data
# file, the program as Windows users meet it (user_tests.sh: names in four scripts, a start without a console, standard output and
# devices, hidden temporaries, the help), and the show played in a window and full screen
# (window_tests.sh): picture, title, keys, sound; a script reloaded as it is saved while the
# show plays (reload_tests.sh); the Direct3D 11 presenter in a window (test_gpu_presenter.sh);
# and frame pacing with --vsync (pacing_tests.sh). Wine runs under an X server of its own, with a
# prefix and a HOME in build-windows/ that are removed afterwards. Every Wine run has a time
# limit, so that a program that hangs fails its part instead of holding up the run. Prints how
# long each part took. With arguments, runs only the parts named (core_tests whole_show capture
# missing_data output_safety names start_up standard_output temporaries help alt_enter window
# full_screen_refused full_screen_mode reload gpu_presenter vsync).
set -euo pipefail
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
cd "$(dirname "$0")/../.."
root=$PWD
exe=$root/build-windows/voxelshow.exe
linux=$root/build/voxelshow
work=$root/build-windows/test
rm -rf "$work" && mkdir -p "$work/home"
failures=0
fail() { echo "windows test FAILED: $*" >&2; failures=$((failures + 1)); }
part_started=$SECONDS
part() { echo "windows test: $1 ($((SECONDS - part_started)) s)"; part_started=$SECONDS; }

# An X server of our own, started before the prefix is made (the first window is slow otherwise).
display=99
while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
screen_size=1024x768
Xvfb :$display -screen 0 ${screen_size}x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=:$display
export HOME=$work/home WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
cleanup() {
    "$wineserver" -k 2>/dev/null || true
    kill $xvfb 2>/dev/null || true
    wait $xvfb 2>/dev/null || true
    rm -rf "$work/prefix"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -e /tmp/.X11-unix/X$display ] && break; sleep 0.1; done

# The default ALSA device records into a file, so that what the program plays can be read back.
cat >"$HOME/.asoundrc" <<ALSA
pcm.!default { type plug slave.pcm "recorder" }
pcm.recorder { type file slave.pcm "null" file "$work/played.raw" format "raw" }
ALSA
# One server for the whole run: a cold start of each program costs seconds. Without a window
# manager, a managed window's exit waits about 2 s: windows are left unmanaged.
make_prefix() {
    mkdir -p "$WINEPREFIX"
    "$wineserver" -p &&
        timeout 300 wineboot -i >"$work/wineboot.log" 2>&1 &&
        timeout 120 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$work/wineboot.log" 2>&1
}
# A prefix's first start failed once in a fresh clone (status 53, nothing printed) and not in the
# runs since: it is made again once, on a new prefix, and a second failure is said, not silent.
prefix_status=0
make_prefix || prefix_status=$?
if [ $prefix_status -ne 0 ]; then
    echo "windows test: the Wine prefix failed to start (status $prefix_status); made again" >&2
    "$wineserver" -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    prefix_status=0
    make_prefix || prefix_status=$?
    if [ $prefix_status -ne 0 ]; then
        echo "windows test FAILED: the Wine prefix could not be made (status $prefix_status): $work/wineboot.log" >&2
        exit 1
    fi
fi
part "Wine prefix ready"

# Generous limits: each part takes seconds to tens of seconds on a busy machine.
limit=600
wine_run() { timeout --kill-after=10 $limit wine "$@"; }

# The core's unit tests, through CTest's emulator (wine), two at a time.
part_core_tests() {
    (cd build-windows/tests/windows && ctest -j2 --timeout $limit --output-on-failure >"$work/core-tests.txt" 2>&1) ||
        fail "core unit tests: $(grep -E 'tests passed|Failed|Timeout' "$work/core-tests.txt" | tr '\n' ' ')"
    echo "windows test: $(grep 'tests passed' "$work/core-tests.txt")"
    part "core unit tests"
}

# Whole shows: every pass at 7 a second, and at 60, byte for byte the Linux build's hashes.
part_whole_show() {
    local fps
    for fps in 7 60; do
        "$linux" --hashes "$work/linux-$fps.txt" --fps $fps --data build/data >/dev/null
        (cd "$work" && wine_run "$exe" --hashes "windows-$fps.txt" --fps $fps --data "$root/build/data" >/dev/null) ||
            fail "--hashes at $fps fps exited with $?"
        if cmp -s "$work/linux-$fps.txt" "$work/windows-$fps.txt"; then
            echo "windows test: $(wc -l <"$work/windows-$fps.txt") passes at $fps fps equal the Linux build's"
        else
            fail "hashes at $fps fps differ: $(diff "$work/linux-$fps.txt" "$work/windows-$fps.txt" | head -n 2 | tr '\n' ' ')"
        fi
        part "whole show at $fps fps"
    done
}

# --capture: picture sequences (a scaled PNG, the raw pixels) and WAV sound equal the Linux
# build's captures of the same span byte for byte, with the same summary up to its timing; a
# video's name is one line saying where videos are made, status 2; a frame that exists is kept
# without -y (status 1, nothing else written).
part_capture() {
    local target status out
    mkdir -p "$work/capture-linux" "$work/capture"
    for target in "f%05d.png --from 30 --to 30.05 --size 800x450" "raw%d.bgra --from 30 --to 30.05" \
        "music.wav --from 30 --to 31.5"; do
        # shellcheck disable=SC2086 # the target's options are words of their own
        set -- $target
        (cd "$work/capture-linux" && "$linux" --capture "$@" --data "$root/build/data" >"$work/capture-linux.out")
        status=0
        (cd "$work/capture" && wine_run "$exe" --capture "$@" --data "$root/build/data" >"$work/capture.out" \
            2>"$work/capture.err") || status=$?
        # The summary without its timing: "NAME: 3 frames, 0.05 s, 137.2 kB".
        out=$(sed 's/, written in.*//' "$work/capture.out" | tr -d '\r')
        [ $status -eq 0 ] && [ "$out" = "$(sed 's/, written in.*//' "$work/capture-linux.out")" ] ||
            fail "capture $1: status $status, '$out', stderr: $(cat "$work/capture.err")"
    done
    if diff -r "$work/capture-linux" "$work/capture" >/dev/null; then
        echo "windows test: capture wrote $(ls "$work/capture" | wc -l) files equal to the Linux build's"
    else
        fail "capture: the files differ from the Linux build's: $(diff -rq "$work/capture-linux" "$work/capture" | head -n 3)"
    fi
    status=0
    (cd "$work/capture" && wine_run "$exe" --capture show.mp4 --data "$root/build/data" >"$work/capture.out" \
        2>"$work/capture.err") || status=$?
    [ $status -eq 2 ] && head -n 1 "$work/capture.err" | grep -q 'web page makes mp4 and webm videos.*Linux program' &&
        [ ! -e "$work/capture/show.mp4" ] || fail "capture show.mp4: status $status, stderr: $(cat "$work/capture.err")"
    rm -rf "$work/capture" && mkdir -p "$work/capture"
    echo "kept" >"$work/capture/f1801.png"
    status=0
    (cd "$work/capture" && wine_run "$exe" --capture f%d.png --from 30 --to 30.05 --data "$root/build/data" \
        >"$work/capture.out" 2>"$work/capture.err") || status=$?
    [ $status -eq 1 ] && [ "$(cat "$work/capture/f1801.png")" = kept ] && [ "$(ls -A "$work/capture")" = f1801.png ] &&
        grep -q f1801.png "$work/capture.err" ||
        fail "capture over a file without -y: status $status, files $(ls -A "$work/capture"), stderr: $(cat "$work/capture.err")"
    part "capture"
}

# A missing data file: one line naming it, status 1.
part_missing_data() {
    mkdir -p "$work/nodata"
    local status=0
    (cd "$work" && wine_run "$exe" --render-frame 0 --out frame.png --data nodata >"$work/out.txt" 2>"$work/err.txt") || status=$?
    if [ $status -ne 1 ] || [ "$(wc -l <"$work/err.txt")" -ne 1 ] || ! grep -q "nodata" "$work/err.txt"; then
        fail "missing data file: status $status, stderr: $(cat "$work/err.txt")"
    fi
    part "missing data file"
}

# Output safety: the checks the Linux program passes (tests/app/output_safety_test.sh), those
# that Windows has: files appearing at an output's name, two runs at once, runs of frames, names.
part_output_safety() {
    timeout --kill-after=10 $limit sh tests/app/output_safety_test.sh windows "$exe" "$root/build/data" \
        >"$work/output-safety.txt" 2>&1 || fail "output safety: $(grep FAIL "$work/output-safety.txt" | tr '\n' ' ')"
    part "output safety"
}

# The Direct3D 11 presenter in a window.
part_gpu_presenter() {
    tools/windows/test_gpu_presenter.sh "$exe" "$root/build/data" "$work" || fail "gpu presenter: $? checks"
    part "gpu presenter"
}

source "$root/tools/windows/wine_show.sh"
source "$root/tools/windows/window_tests.sh"
source "$root/tools/windows/user_tests.sh"
source "$root/tools/windows/reload_tests.sh"
source "$root/tools/windows/pacing_tests.sh"

parts=("$@")
[ ${#parts[@]} -gt 0 ] ||
    parts=(core_tests whole_show capture missing_data output_safety names start_up standard_output temporaries help alt_enter
        window full_screen_refused full_screen_mode reload gpu_presenter vsync)
for name in "${parts[@]}"; do
    "part_$name"
done

echo "windows test: parts above; $failures failed"
[ $failures -eq 0 ]
