#!/bin/sh
# Twinsift's file operations against the system's tools on the same kind of
# files, one run, warm page cache:
#
#     bench/bench_file_ops.sh [--files N] [--copy-mb M] [--dir DIR] [--driver PATH]
#
# Deleting N files to the Trash (file_ops_driver trash vs gio trash) and
# permanently (vs rm), moving N files within one file system (vs mv) and
# copying one file of M MiB (vs cp; our copy is flushed to the disk before
# it is named, so cp followed by sync is shown as well). Both sides get their
# paths from the same xargs. DIR (default /tmp) must be on the file system
# that holds $HOME for the home Trash to be used: HOME and XDG_DATA_HOME are
# pointed below DIR for both sides.
set -eu

files=10000
copy_mb=2048
base=/tmp
source_dir=$(cd "$(dirname "$0")/.." && pwd)
driver="$source_dir/build/bench/file_ops_driver"
while [ $# -gt 0 ]; do
    case "$1" in
    --files) files="$2"; shift 2 ;;
    --copy-mb) copy_mb="$2"; shift 2 ;;
    --dir) base="$2"; shift 2 ;;
    --driver) driver="$2"; shift 2 ;;
    *) echo "usage: $0 [--files N] [--copy-mb M] [--dir DIR] [--driver PATH]" >&2; exit 2 ;;
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

echo "files: $files, copy: $copy_mb MiB, folder: $work"

# Each side gets an empty Trash: names that are there already cost a search.
from="$work/a"; make_files "$from"; timed "trash, twinsift" "$driver" trash; ours=$(cat "$work/last")
rm -rf "$XDG_DATA_HOME"
from="$work/b"; make_files "$from"; timed "trash, gio trash" gio trash; theirs=$(cat "$work/last")
ratio "$ours" "$theirs" 1.5
rm -rf "$XDG_DATA_HOME"

from="$work/a"; make_files "$from"; timed "delete, twinsift" "$driver" delete; ours=$(cat "$work/last")
from="$work/b"; make_files "$from"; timed "delete, rm" rm --; theirs=$(cat "$work/last")
ratio "$ours" "$theirs" 1.5

mkdir -p "$work/to-a" "$work/to-b"
from="$work/a"; make_files "$from"; timed "move, twinsift" "$driver" move "$work/to-a"; ours=$(cat "$work/last")
from="$work/b"; make_files "$from"; timed "move, mv" mv -t "$work/to-b" --; theirs=$(cat "$work/last")
ratio "$ours" "$theirs" 1.5
rm -rf "$work/to-a" "$work/to-b" "$work/a" "$work/b"

mkdir -p "$work/big" "$work/to-a" "$work/to-b" "$work/to-c"
head -c "$((copy_mb * 1048576))" /dev/urandom > "$work/big/big.bin"
from="$work/big"
timed "copy, twinsift" "$driver" copy "$work/to-a"; ours=$(cat "$work/last")
timed "copy, cp" cp -t "$work/to-b" --; theirs=$(cat "$work/last")
ratio "$ours" "$theirs" 1.2
timed "copy, cp then sync -f" sh -c 'cp -t "$0" -- "$@" && sync -f "$0"' "$work/to-c"; synced=$(cat "$work/last")
ratio "$ours" "$synced" 1.2
