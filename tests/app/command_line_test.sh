#!/bin/sh
# Runs the program as a user would and checks exit statuses and messages of bad input.
# Usage: command_line_test.sh PATH_TO_VOXELSHOW
program="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

expect_status() {  # expected-status description command...
    expected=$1
    description=$2
    shift 2
    "$@" >"$work/out" 2>"$work/err"
    status=$?
    if [ "$status" -ne "$expected" ]; then
        echo "FAIL: $description: status $status, expected $expected"
        failures=$((failures + 1))
    fi
}

for args in "--nonsense" "--benchmark --fps 0" "--render-frame -3 --out f.png" "--seed abc" \
    "--render-frame 1,2 --out f.png" "--presenter"; do
    # shellcheck disable=SC2086
    expect_status 2 "$args" "$program" $args
    grep -q '^usage: voxelshow' "$work/err" || {
        echo "FAIL: $args: no usage text"
        failures=$((failures + 1))
    }
done

expect_status 1 "missing data" "$program" --benchmark --data "$work/none"
grep -qxF "voxelshow: $work/none/text1.png: No such file or directory" "$work/err" || {
    echo "FAIL: missing data: no message naming the missing file:"
    cat "$work/err"
    failures=$((failures + 1))
}

# The benchmark holds every frame it timed to the reference renderer's and says so.
expect_status 0 "verified benchmark" "$program" --benchmark --verify --fps 2 --threads 2
grep -q '^renderer: fast, threads: 2, simd: ' "$work/out" && grep -q '^renderer: reference' "$work/out" &&
    grep -q '^frames: all 393 equal the reference' "$work/out" || {
    echo "FAIL: --benchmark --verify does not report the renderers and the comparison:"
    cat "$work/out"
    failures=$((failures + 1))
}

expect_status 0 "help" "$program" --help
grep -q '^usage: voxelshow' "$work/out" || {
    echo "FAIL: --help prints no usage on standard output"
    failures=$((failures + 1))
}
expect_status 0 "version" "$program" --version

[ "$failures" -eq 0 ] || echo "$failures command line checks failed"
[ "$failures" -eq 0 ]
