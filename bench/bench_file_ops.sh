#!/bin/sh
# Twinsift's file operations against the system's tools on the same kind of
# files, one run, warm page cache:
#
#     bench/bench_file_ops.sh [--files N] [--copy-mb M] [--rounds R] [--dir DIR] [--driver PATH]
#
# Deleting N files to the Trash (file_ops_driver trash vs gio trash) and
# permanently (vs rm), moving N files within one file system (vs mv) and
# copying one file of M MiB (vs cp; our copy is flushed to the disk before
# it is named, so cp followed by sync is shown as well). The driver goes
# through the whole run, with its look at each file and at the kept copy of
# its group before acting. The small-file operations are timed R times
# (default 3), each side going first in turn on fresh files, and the medians
# compared: one round alone is at the mercy of the file system's journal. Both sides get their
# paths from the same xargs. DIR (default /tmp) must be on the file system
# that holds $HOME for the home Trash to be used: HOME and XDG_DATA_HOME are
# pointed below DIR for both sides.
set -eu

files=10000
copy_mb=2048
rounds=3
base=/tmp
source_dir=$(cd "$(dirname "$0")/.." && pwd)
driver="$source_dir/build/bench/file_ops_driver"
while [ $# -gt 0 ]; do
    case "$1" in
    --files) files="$2"; shift 2 ;;
    --copy-mb) copy_mb="$2"; shift 2 ;;
    --rounds) rounds="$2"; shift 2 ;;
    --dir) base="$2"; shift 2 ;;
    --driver) driver="$2"; shift 2 ;;
    *) echo "usage: $0 [--files N] [--copy-mb M] [--rounds R] [--dir DIR] [--driver PATH]" >&2; exit 2 ;;
    esac
done
[ -x "$driver" ] || { echo "no $driver: build the bench targets first" >&2; exit 2; }

work=$(mktemp -d "$base/twinsift-fileops-XXXXXX")
trap 'rm -rf "$work"' EXIT
export HOME="$work" XDG_DATA_HOME="$work/data"

now() { date +%s.%N; }

# make_files DIR: N small files of distinct content.
make_files() {
    mkdir -p "$1"
    i=0
    while [ "$i" -lt "$files" ]; do
        printf 'file %d of the benchmark\n' "$i" > "$1/f$i.txt"
        i=$((i + 1))
    done
}

# timed LABEL COMMAND...: runs COMMAND with the files of $from as its last
# arguments and prints the seconds it took.
timed() {
    label="$1"; shift
    # Nothing of the set-up left to write back while the clock runs.
    sync
    start=$(now)
    find "$from" -type f -print0 | xargs -0 "$@"
    end=$(now)
    seconds=$(echo "$start $end" | awk '{ printf "%.3f", $2 - $1 }')
    printf '%-34s %8s s\n' "$label" "$seconds"
    echo "$seconds"  > "$work/last"
}

# compare OURS_LABEL OURS_CMD -- THEIRS_LABEL THEIRS_CMD: the ratio line.
ratio() {
    awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { printf "%-34s %8.2f x (target <= %s x)\n", "  ratio", a / b, t }'
}

# once KIND SIDE: one timing of one side on fresh files, each side with an
# empty Trash (names that are there already cost a search).
once() {
    from="$work/from"
    rm -rf "$from" "$work/to" "$XDG_DATA_HOME"
    mkdir -p "$work/to"
    make_files "$from"
    case "$1-$2" in
    trash-ours) set -- "$1" "$2" "$driver" trash "$work/kept.txt" ;;
    trash-theirs) set -- "$1" "$2" gio trash ;;
    delete-ours) set -- "$1" "$2" "$driver" delete "$work/kept.txt" ;;
    delete-theirs) set -- "$1" "$2" rm -- ;;
    move-ours) set -- "$1" "$2" "$driver" move "$work/to" "$work/kept.txt" ;;
    move-theirs) set -- "$1" "$2" mv -t "$work/to" -- ;;
    esac
    times="$work/$1-$2"
    shift 2
    # Nothing of the set-up left to write back while the clock runs.
    sync
    start=$(now)
    find "$from" -type f -print0 | xargs -0 "$@"
    end=$(now)
    echo "$start $end" | awk '{ printf "%.3f\n", $2 - $1 }' >> "$times"
}

median() {
    sort -n "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

# compare KIND OURS_LABEL THEIRS_LABEL TARGET
compare() {
    round=1
    while [ "$round" -le "$rounds" ]; do
        if [ $((round % 2)) -eq 1 ]; then
            once "$1" ours; once "$1" theirs
        else
            once "$1" theirs; once "$1" ours
        fi
        round=$((round + 1))
    done
    ours=$(median "$work/$1-ours")
    theirs=$(median "$work/$1-theirs")
    printf '%-34s %8s s (median)\n' "$2" "$ours" "$3" "$theirs"
    ratio "$ours" "$theirs" "$4"
}

echo "files: $files, rounds: $rounds, copy: $copy_mb MiB, folder: $work"
echo kept > "$work/kept.txt"
compare trash "trash, twinsift" "trash, gio trash" 1.5
compare delete "delete, twinsift" "delete, rm" 1.5
compare move "move, twinsift" "move, mv" 1.5
rm -rf "$work/from" "$work/to"

mkdir -p "$work/big" "$work/to-a" "$work/to-b" "$work/to-c"
head -c "$((copy_mb * 1048576))" /dev/urandom > "$work/big/big.bin"
from="$work/big"
timed "copy, twinsift" "$driver" copy "$work/to-a" "$work/kept.txt"; ours=$(cat "$work/last")
timed "copy, cp" cp -t "$work/to-b" --; theirs=$(cat "$work/last")
ratio "$ours" "$theirs" 1.2
timed "copy, cp then sync -f" sh -c 'cp -t "$0" -- "$@" && sync -f "$0"' "$work/to-c"; synced=$(cat "$work/last")
ratio "$ours" "$synced" 1.2
