#!/bin/sh
# Runs the program as a user would and checks exit statuses and messages of bad input.
# Usage: command_line_test.sh PATH_TO_VOXELSHOW
program="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {  # what failed, then the files to show
    echo "FAIL: $1"
    shift
    [ $# -eq 0 ] || cat "$@"
    failures=$((failures + 1))
}

expect_status() {  # expected-status description command...
    expected=$1
    description=$2
    shift 2
    "$@" >"$work/out" 2>"$work/err"
    status=$?
    [ "$status" -eq "$expected" ] || fail "$description: status $status, expected $expected"
}

for args in "--nonsense" "--benchmark --fps 0" "--render-frame -3 --out f.png" "--seed abc" \
    "--render-frame 1,2 --out f.png" "--presenter" "--start -5" "--start 196" "--start 12s" "--aspect square" \
    "--music song.wav" "--benchmark --music song.ogg" "--mute --music song.ogg" \
    "--dump-script - --script show.txt" "--dump-script" "--render-frame 1 --out f.jpg"; do
    # shellcheck disable=SC2086
    expect_status 2 "$args" "$program" $args
    # The reason, and where the usage is; the usage itself would bury the reason.
    [ "$(wc -l <"$work/err")" -eq 2 ] && grep -q '^voxelshow: ' "$work/err" &&
        grep -qxF "Run 'voxelshow --help' for the usage." "$work/err" ||
        fail "$args: not the reason and the pointer to --help:" "$work/err"
done

expect_status 1 "missing data" "$program" --benchmark --data "$work/none"
grep -qxF "voxelshow: $work/none/text1.png: No such file or directory" "$work/err" ||
    fail "missing data: no message naming the missing file:" "$work/err"

# The benchmark holds every frame it timed to the reference renderer's and says so.
expect_status 0 "verified benchmark" "$program" --benchmark --verify --fps 2 --threads 2
grep -q '^renderer: fast, threads: 2, simd: ' "$work/out" && grep -q '^renderer: reference' "$work/out" &&
    grep -q '^frames: all 393 equal the reference' "$work/out" ||
    fail "--benchmark --verify does not report the renderers and the comparison:" "$work/out"

# A script with an error: one line naming the file, the line and the reason, before anything runs.
printf '# two rows\n0 1 char landscape.enabled 1 1\n0 1 unsigned char layer 3.amount 300 0\n' >"$work/bad.txt"
expect_status 1 "bad script" "$program" --benchmark --script "$work/bad.txt"
grep -qxF "voxelshow: $work/bad.txt:3: value 300 is outside the range of unsigned char (0 to 255)" "$work/err" &&
    [ ! -s "$work/out" ] ||
    fail "bad script: no line naming the place, or output before it:" "$work/out" "$work/err"

# The capture lives in a module beside the program: a copy of the program without it says so
# and writes nothing, while the other modes work without the module.
cp "$program" "$work/alone"
expect_status 1 "capture without its module" "$work/alone" --capture "$work/show.mp4" --to 1
grep -q "^voxelshow: cannot load the capture module: $work/voxelshow-capture.so: " "$work/err" &&
    [ ! -e "$work/show.mp4" ] ||
    fail "capture without its module: no line naming the module, or a file written:" "$work/err"
expect_status 0 "dump script without the capture module" "$work/alone" --dump-script "$work/show.txt"

expect_status 0 "dump script" "$program" --dump-script -
[ "$(grep -cv '^#' "$work/out")" -eq 187 ] || fail "--dump-script - does not write the 187 rows to standard output"
expect_status 1 "dump script into a missing folder" "$program" --dump-script "$work/none/show.txt"
grep -qxF "voxelshow: $work/none/show.txt: cannot write in $work/none: No such file or directory" "$work/err" ||
    fail "--dump-script into a missing folder: no message naming the file"

# A write that fails is reported, and leaves neither a partial file nor a temporary one; the file
# it would have replaced stays as it was. A device is written, never replaced or removed. The
# device is a copy of /dev/full made here, so that a program that wrongly removes its target
# takes only the copy.
if mknod "$work/full" c 1 7 2>/dev/null; then
    for args in "--render-frame 1 --out $work/full" "--hashes $work/full --fps 1" "--dump-script $work/full"; do
        # shellcheck disable=SC2086
        expect_status 1 "$args" "$program" $args
        grep -qxF "voxelshow: $work/full: cannot write: No space left on device" "$work/err" ||
            fail "$args: no message naming the device and the reason:" "$work/err"
        [ -c "$work/full" ] || {
            fail "$args: the device is no longer there"
            mknod "$work/full" c 1 7
        }
    done
else
    echo "skipped: writes to a full device (making a device node needs root)"
fi
mkdir "$work/written"
echo kept >"$work/written/old.png"
echo kept >"$work/written/old.hashes"
for args in "--render-frame 300 --out $work/written/old.png -y" "--render-frame 1 --out $work/written/new.bgra" \
    "--hashes $work/written/old.hashes -y"; do
    # shellcheck disable=SC2086
    expect_status 1 "$args past the file-size limit" sh -c 'ulimit -f 40 && exec "$@"' sh "$program" $args
    grep -q "^voxelshow: $work/written/[a-z.]*: cannot write: File too large\$" "$work/err" ||
        fail "$args past the file-size limit: no message naming the file and the reason:" "$work/err"
done
[ "$(ls -A "$work/written" | tr '\n' ' ')" = "old.hashes old.png " ] &&
    [ "$(cat "$work/written/old.png" "$work/written/old.hashes")" = "kept
kept" ] || {
    fail "failed writes changed the output folder:"
    ls -lA "$work/written"
}

# An output that exists as a regular file is refused before any work, unless -y; a device is
# written as before. For a picture sequence, any of its frames' names counts.
mkdir "$work/kept"
for name in script.txt frame.png hashes.txt show.wav f00061-%.png; do echo kept >"$work/kept/$name"; done
for args in "--dump-script $work/kept/script.txt" "--render-frame 1 --out $work/kept/frame.png" \
    "--hashes $work/kept/hashes.txt" "--capture $work/kept/show.wav" \
    "--capture $work/kept/f%05d-%%.png --from 1 --to 1.1"; do
    # shellcheck disable=SC2086
    expect_status 1 "$args over a file" "$program" $args
    grep -qx "voxelshow: $work/kept/[a-z0-9.%-]* exists; add -y to overwrite" "$work/err" && [ ! -s "$work/out" ] ||
        fail "$args over a file: no refusal naming it, or work done:" "$work/out" "$work/err"
done
[ "$(cat "$work/kept/"*)" = "$(printf 'kept\nkept\nkept\nkept\nkept')" ] && [ "$(ls -A "$work/kept" | wc -l)" -eq 5 ] ||
    fail "refused runs changed the folder"
expect_status 0 "-y over a script" "$program" --dump-script "$work/kept/script.txt" -y
expect_status 0 "-y over a frame" "$program" -y --render-frame 1 --out "$work/kept/frame.png"
[ "$(grep -cv '^#' "$work/kept/script.txt")" -eq 187 ] && [ "$(head -c 4 "$work/kept/frame.png" | tail -c 3)" = PNG ] ||
    fail "-y did not replace the files"
expect_status 0 "a device needs no -y" "$program" --dump-script /dev/null
expect_status 2 "-y without an output" "$program" --benchmark -y

# --hashes -: the hashes alone on standard output, the element types on standard error.
expect_status 0 "hashes to standard output" "$program" --hashes - --fps 1
[ "$(wc -l <"$work/out")" -eq 197 ] && ! grep -qvE '^[0-9]+ [0-9a-f]{16}$' "$work/out" &&
    grep -q '^float, char, ' "$work/err" || fail "--hashes - mixes other output with the hashes:" "$work/err"

# A signal, the one of a closed terminal included, stops --hashes: the unfinished file goes,
# one line says so, and the status tells the signal.
mkdir "$work/stopped"
for signal in HUP INT QUIT TERM; do
    "$program" --hashes "$work/stopped/h.txt" >"$work/out" 2>"$work/err" &
    pid=$!
    tries=0
    until [ -n "$(ls -A "$work/stopped")" ] || [ $tries -ge 3000 ]; do
        sleep 0.01
        tries=$((tries + 1))
    done
    kill -s $signal $pid
    wait $pid
    status=$?
    case $signal in HUP) expected=129 ;; INT) expected=130 ;; QUIT) expected=131 ;; TERM) expected=143 ;; esac
    [ -z "$(ls -A "$work/stopped")" ] && [ $status -eq $expected ] &&
        grep -qxF "voxelshow: $work/stopped/h.txt: interrupted by SIG$signal; the unfinished file is removed" "$work/err" ||
        fail "SIG$signal during --hashes: status $status, left $(ls -A "$work/stopped"):" "$work/err"
done

expect_status 0 "help" "$program" --help
grep -q '^usage: voxelshow' "$work/out" || fail "--help prints no usage on standard output"
expect_status 0 "version" "$program" --version

[ "$failures" -eq 0 ] || echo "$failures command line checks failed"
[ "$failures" -eq 0 ]
