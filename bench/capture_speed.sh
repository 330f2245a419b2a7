#!/bin/sh
# Capture speed of every kind of file: writes the same span of the show to each, one after the
# other, and prints each capture's summary line (its speed as a multiple of real time) with the
# CPU time it took and the machine's load before and after, since other work stretches the
# wall-clock figures.
#
#   bench/capture_speed.sh build/voxelshow [FROM TO [SIZE]]     (default: 30 to 50 s, 640x480)
set -eu
program=${1:?usage: capture_speed.sh PROGRAM [FROM TO [SIZE]]}
from=${2:-30}
to=${3:-50}
size=${4:-640x480}
data=$(dirname "$program")/data
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
echo "span $from to $to s at $size; load before: $(cut -d' ' -f1-3 /proc/loadavg), cores: $(nproc)"
for name in show.mp4 show.mkv show.webm show.webp f%d.png f%d.bgra music.wav music.flac; do
    # CPU seconds of the finished child, from the shell's own accounting.
    before=$(awk '{print $16 + $17}' /proc/$$/stat)
    case $name in
        *.wav | *.flac) sizing= ;;  # sound only
        *) sizing="--size $size" ;;
    esac
    # shellcheck disable=SC2086
    line=$("$program" --data "$data" --capture "$out/$name" --from "$from" --to "$to" $sizing | tail -n 1)
    after=$(awk '{print $16 + $17}' /proc/$$/stat)
    ticks=$(getconf CLK_TCK)
    echo "$line; CPU $(echo "$after $before $ticks" | awk '{printf "%.1f", ($1 - $2) / $3}') s"
    rm -f "$out"/* "$out"/.??* 2>/dev/null || true
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
