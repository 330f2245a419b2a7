#!/bin/sh
# Output safety, the same checks for the Linux and the Windows program: no file that stands at an
# output's name, or appears there while a run works, is lost without -y; a run of frames appears
# whole or not at all; names that cannot be made are refused before any work.
# Usage: output_safety_test.sh linux|windows PROGRAM DATA_DIR
# The Windows program runs under Wine (tools/windows/test.sh prepares it). Checks that need what
# the platform lacks (capture, signals, Windows' name rules) are run on the one that has it.
platform=$1
program=$2
data=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0

fail() {  # what failed, then the files to show
    echo "FAIL ($platform): $1"
    shift
    [ $# -eq 0 ] || cat "$@"
    failures=$((failures + 1))
}

run() {  # the program, in the foreground, its output in out and err, its status in status
    if [ "$platform" = windows ]; then
        wine "$program" "$@" >out 2>err
    else
        "$program" "$@" >out 2>err
    fi
    status=$?
    console_lines err
}

# The Windows program's messages end in CR LF, as a console's lines do there: the checks read
# them as lines of text.
console_lines() {  # file
    [ "$platform" = windows ] && sed -i 's/\r$//' "$1"
    return 0
}

start() {  # the program in the background (its own process, for signals), its id in pid
    if [ "$platform" = windows ]; then
        wine "$program" "$@" >"$log.out" 2>"$log.err" &
    else
        "$program" "$@" >"$log.out" 2>"$log.err" &
    fi
    pid=$!
}

# Waits until the folder holds COUNT temporaries (.NAME.part-XXXXXX), the sign that the runs
# are under way; false after 60 s or when the run ended first.
wait_for_temporaries() {  # folder count
    tries=0
    while [ "$(find "$1" -maxdepth 1 -name '.*.part-*' | wc -l)" -lt "$2" ]; do
        tries=$((tries + 1))
        [ $tries -lt 6000 ] && kill -0 $pid 2>/dev/null || return 1
        sleep 0.01
    done
}

# A run stopped (SIGSTOP) while its finished file still waits under its temporary name: then
# whatever appears at the name appears before the run puts its file there. A run that finished
# before it could be stopped is tried again, as that says nothing.
stop_before_commit() {  # folder name [temporaries]
    wait_for_temporaries "$1" "${3:-1}" || return 1
    kill -STOP $pid
    [ ! -e "$1/$2" ] && [ "$(find "$1" -maxdepth 1 -name '.*.part-*' | wc -l)" -ge "${3:-1}" ]
}

temporaries_in() {
    find "$1" -maxdepth 1 -name '.*.part-*' | wc -l
}

# --- A file appearing at the name while the run works ---

# Without -y it stays, and so does the finished file, under the name the one line gives.
late_file() {  # folder name args...
    folder=$1
    name=$2
    shift 2
    mkdir -p "$folder"
    attempt=0
    while :; do
        attempt=$((attempt + 1))
        rm -rf "${folder:?}"/* "$folder"/.??*
        log=$work/late
        start "$@"
        stop_before_commit "$folder" "$name" && break
        kill -CONT $pid
        wait $pid
        [ $attempt -lt 3 ] || return 1
    done
    echo precious >"$folder/$name"
    kill -CONT $pid
    wait $pid
    status=$?
    console_lines "$log.err"
}

for kind in hashes capture; do
    [ $kind = capture ] && [ "$platform" = windows ] && continue  # the capture is Linux's
    if [ $kind = hashes ]; then
        late_file late late.txt --hashes late/late.txt --fps 10 --data "$data"
    else
        late_file late late.mkv --capture late/late.mkv --to 2 --mute --data "$data"
    fi || { fail "$kind: the run ended before it could be stopped"; continue; }
    kept=$(find late -maxdepth 1 -name '.*.part-*')
    [ $status -eq 1 ] && [ "$(cat late/late.*)" = precious ] && [ -s "$kept" ] &&
        [ "$(wc -l <"$log.err")" -le 2 ] &&
        grep -q "^voxelshow: late/late\.[a-z]*: appeared while it was being written; the new file is kept as .*$(basename "$kept")\$" \
            "$log.err" ||
        fail "$kind: a file appearing during the run: status $status, $(cat late/late.* 2>&1 | head -c 40), kept '$kept':" \
            "$log.err"
done

# With -y the run's file replaces it, as asked.
late_file late late.txt --hashes late/late.txt --fps 10 --data "$data" -y ||
    fail "-y: the run ended before it could be stopped"
[ $status -eq 0 ] && [ "$(wc -l <late/late.txt)" -eq 1961 ] && [ "$(temporaries_in late)" -eq 0 ] ||
    fail "-y: the run's file does not replace the one that appeared: status $status" "$log.err"

# Two runs writing one name at once: the first to finish keeps it, the second says so.
mkdir -p twice
log=$work/first
start --hashes twice/h.txt --fps 10 --data "$data"
first=$pid
wait_for_temporaries twice 1 && kill -STOP $first
log=$work/second
start --hashes twice/h.txt --fps 10 --data "$data"
second=$pid
if stop_before_commit twice h.txt 2; then
    kill -CONT $first
    wait $first
    first_status=$?
    kill -CONT $second
    wait $second
    second_status=$?
    [ $first_status -eq 0 ] && [ $second_status -eq 1 ] && [ "$(wc -l <twice/h.txt)" -eq 1961 ] &&
        [ "$(temporaries_in twice)" -eq 1 ] && grep -q "appeared while it was being written" "$work/second.err" ||
        fail "two runs at once: statuses $first_status and $second_status:" "$work/second.err"
else
    kill -CONT $first $second 2>/dev/null
    wait
    fail "two runs at once: a run ended before it could be stopped"
fi

# --- Symbolic links at the name ---

if [ "$platform" = linux ]; then
    mkdir links
    ln -s missing.txt links/out.txt
    run --dump-script links/out.txt
    [ $status -eq 0 ] && [ -L links/out.txt ] && [ "$(grep -cv '^#' links/missing.txt)" -eq 187 ] ||
        fail "a dangling link: status $status, not written through:" err
    # /dev/stdout leads through /proc to a pipe, a name that is no path: written in place.
    "$program" --dump-script /dev/stdout 2>err | cat >links/piped.txt
    [ "$(grep -cv '^#' links/piped.txt)" -eq 187 ] || fail "--dump-script /dev/stdout into a pipe:" err
    # A frame through /dev/stdout is the frame alone: the program's own lines go to standard error.
    "$program" --render-frame 600 --out /dev/stdout --data "$data" 2>err | cat >links/piped.png
    "$program" --render-frame 600 --out links/frame.png --data "$data" >/dev/null 2>&1
    cmp -s links/piped.png links/frame.png && grep -q '^float, ' err ||
        fail "--render-frame --out /dev/stdout into a pipe: not the frame's PNG alone:" err
    ln -s loop1 links/loop2
    ln -s loop2 links/loop1
    for args in "--dump-script links/loop1" "--hashes links/loop2 --data $data"; do
        # shellcheck disable=SC2086
        run $args
        [ $status -eq 1 ] && [ ! -s out ] &&
            grep -qx "voxelshow: links/loop[12]: is a symbolic link that leads round in a loop" err &&
            [ "$(readlink links/loop1)" = loop2 ] && [ "$(readlink links/loop2)" = loop1 ] ||
            fail "$args, a link loop: status $status, or the links changed:" err
    done
fi

# --- Runs of frames: whole or nothing ---

# A name in the way is found before the first pass, and nothing is written.
mkdir -p frames/f3.png
run --render-frame 1,2,3,4 --out frames/f%d.png --data "$data"
[ $status -eq 1 ] && [ ! -s out ] && grep -qx "voxelshow: frames/f3.png: is a directory" err &&
    [ "$(ls -A frames)" = f3.png ] ||
    fail "a run of frames with a folder at one name: status $status, left $(ls -A frames | tr '\n' ' '):" err
rm -r frames/f3.png

# Stopped half-way, the run leaves none of its frames.
if [ "$platform" = linux ]; then
    log=$work/frames
    start --render-frame "$(seq -s, 0 119)" --out frames/f%d.png --data "$data"
    if stop_before_commit frames f0.png; then
        kill -INT $pid
        kill -CONT $pid
        wait $pid
        status=$?
        [ $status -eq 130 ] && [ -z "$(ls -A frames)" ] &&
            grep -qx "voxelshow: frames/f%d.png: interrupted by SIGINT; no frame of the run is kept" "$log.err" ||
            fail "an interrupted run of frames: status $status, left $(ls -A frames | wc -l) files:" "$log.err"
    else
        kill -CONT $pid
        wait $pid
        fail "a run of frames ended before it could be stopped"
    fi
fi

# --- Names that cannot be made, refused before any work ---

long=$(printf 'n%.0s' $(seq 1 252))
for args in "--hashes $long.txt" "--render-frame 1 --out $long.png" "--capture $long.wav --to 1"; do
    case $args in --capture*) [ "$platform" = windows ] && continue ;; esac
    # shellcheck disable=SC2086
    run $args --data "$data"
    [ $status -eq 1 ] && [ ! -s out ] && [ "$(wc -l <err)" -eq 1 ] &&
        grep -q "^voxelshow: n*\.[a-z]*: the file's name is 256 \(bytes\|characters\) long" err ||
        fail "a 256-character name: status $status, or work done:" err
done
# A name of 255, the longest there is, is written: its temporary's name is cut to fit.
mkdir longest
run --dump-script "longest/${long#n}.txt"
[ $status -eq 0 ] && [ "$(ls -A longest)" = "${long#n}.txt" ] ||
    fail "a 255-character name: status $status, files $(ls -A longest | cut -c 1-20 | tr '\n' ' '):" err
if [ "$platform" = windows ]; then
    for name in 'a<b.txt' 'a|b.txt' 'what?.txt' 'dot.txt.' 'folder"/h.txt'; do
        run --hashes "$name" --data "$data"
        [ $status -eq 1 ] && [ ! -s out ] && [ "$(wc -l <err)" -eq 1 ] && grep -q "Windows" err ||
            fail "the name '$name' Windows cannot take: status $status, or work done:" err
    done
fi

# --- Options ---

# More drawing threads than cores only wait for each other: the run draws with one per core.
cores=$(nproc)
run --benchmark --threads 256 --fps 1 --data "$data"
grep -q "^renderer: fast, threads: $cores, " out || fail "--threads 256 on $cores cores:" out err

run --benchmark --fps 30 --fps 60
[ $status -eq 2 ] && grep -qx "voxelshow: option --fps is given twice" err && [ ! -s out ] ||
    fail "an option given twice: status $status" err

# An mp4 needs a file it can seek in: to a pipe, the run says which kinds stream instead.
if [ "$platform" = linux ]; then
    mkfifo pipe.mp4
    cat pipe.mp4 >/dev/null &
    reader=$!
    run --capture pipe.mp4 --to 1 --data "$data"
    [ $status -eq 1 ] && [ "$(wc -l <err)" -eq 1 ] && grep -q "mp4 needs a file it can seek in.*mkv, webm and wav" err ||
        fail "an mp4 to a pipe: status $status:" err
    kill $reader 2>/dev/null
    wait $reader 2>/dev/null
fi

[ "$failures" -eq 0 ] || echo "$failures output safety checks failed ($platform)"
[ "$failures" -eq 0 ]
