#!/bin/sh
# The terminal front end's marks and actions as a real process, each on a
# fresh tree of two duplicate groups and a unique file: what is left, what
# reached the Trash and the exit statuses.
set -u
cli="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/checks.sh"
# The Trash of this run only; glib reads these once, at the first trash.
export HOME="$work/home" XDG_DATA_HOME="$work/data"
mkdir -p "$HOME"

t="$work/tree"
# The older copy of each group is in a/; b/one and c/two are the newest.
fresh_tree() {
    rm -rf "$t" "$work/dest"
    mkdir -p "$t/a" "$t/b" "$t/c" "$work/dest"
    echo 'first group' > "$t/a/one.txt"
    echo 'first group' > "$t/b/one.txt"
    echo 'second group, longer' > "$t/a/two.bin"
    echo 'second group, longer' > "$t/c/two.bin"
    echo 'unique' > "$t/u.txt"
    touch -d '2001-01-01' "$t/a/one.txt" "$t/a/two.bin"
}

all_there() {
    for f in a/one.txt b/one.txt a/two.bin c/two.bin u.txt; do
        test -f "$t/$f" || return 1
    done
}

newest_only() {
    test -f "$t/b/one.txt" && test -f "$t/c/two.bin" && test -f "$t/u.txt" &&
        test ! -e "$t/a/one.txt" && test ! -e "$t/a/two.bin"
}

run() { # the cli's arguments; standard input is not a terminal
    "$cli" "$@" < /dev/null > "$work/out" 2> "$work/err"
}

fresh_tree
run --mark all-duplicates --delete --dry-run "$t"
check "dry run exits 0" test $? -eq 0
check "dry run touches nothing" all_there
check "dry run says what it would do" grep -qx "would delete $t/a/one.txt to the Trash" "$work/err"

run --mark all-duplicates --move "$work/dest" --structure --dry-run "$t"
check "dry run of a move names the target folder" grep -qx "would move $t/a/two.bin to $work/dest$t/a" "$work/err"
check "dry run of a move touches nothing" all_there

run --mark all-duplicates --delete "$t"
check "delete without --yes on a non-terminal is a usage error" test $? -eq 2
check "the refusal says why" grep -q 'give --yes' "$work/err"
check "nothing deleted without --yes" all_there

run --mark all-duplicates --marked-only --null "$t"
check "marked-only exits 0" test $? -eq 0
printf '%s\0' "$t/a/one.txt" "$t/a/two.bin" > "$work/expected"
check "marked-only lists the marked paths, NUL-ended" cmp -s "$work/out" "$work/expected"

run --mark all-duplicates --delete --yes "$t"
check "delete to the Trash exits 0" test $? -eq 0
check "delete to the Trash leaves the newest of each group" newest_only
check "the run is summed up" grep -qx 'twinsift-cli: Deleted 2 files to the Trash, 0 failed' "$work/err"
check "the files are in the Trash" test -f "$XDG_DATA_HOME/Trash/files/one.txt" -a -f "$XDG_DATA_HOME/Trash/files/two.bin"
check "with their trash info" grep -qx "Path=$t/a/one.txt" "$XDG_DATA_HOME/Trash/info/one.txt.trashinfo"

fresh_tree
rm -rf "$XDG_DATA_HOME/Trash"
run --mark all-duplicates --delete --permanent --yes "$t"
check "permanent delete exits 0" test $? -eq 0
check "permanent delete leaves the newest of each group" newest_only
check "permanent delete uses no Trash" test ! -e "$XDG_DATA_HOME/Trash"

fresh_tree
run --mark keep-newer --move "$work/dest" --structure --yes "$t"
check "move exits 0" test $? -eq 0
check "move leaves the newest of each group" newest_only
check "moved below the destination with the folders" test -f "$work/dest$t/a/one.txt" -a -f "$work/dest$t/a/two.bin"
check "the emptied folder stays without --remove-empty-folders" test -d "$t/a"

fresh_tree
run --mark keep-newer --move "$work/dest" --remove-empty-folders --yes "$t"
check "the emptied folder is removed" test ! -e "$t/a"
check "but not its parent" test -d "$t"

fresh_tree
run --mark all-duplicates --copy "$work/dest" --structure "$t"
check "copy needs no --yes and exits 0" test $? -eq 0
check "copy leaves every file" all_there
check "copied below the destination with the folders" cmp -s "$t/a/one.txt" "$work/dest$t/a/one.txt"

# Both copies of one.txt lie in the folders marked: one of them stays.
fresh_tree
run --mark-folder "$t/a" --mark-folder "$t/b" --delete --permanent --yes "$t"
check "protected delete exits 0" test $? -eq 0
check "a fully marked group keeps one copy" test "$(find "$t" -name one.txt | wc -l)" -eq 1
check "the other marked file is gone" test ! -e "$t/a/two.bin"
fresh_tree
run --mark-folder "$t/a" --mark-folder "$t/b" --marked-only "$t"
check "the marked list keeps a copy of a fully marked group too" test "$(grep -c one.txt "$work/out")" -eq 1
run --mark-folder "$t/a" --mark-folder "$t/b" --marked-only --allow-whole-groups "$t"
check "unless whole groups are allowed" test "$(grep -c one.txt "$work/out")" -eq 2

# A Trash that cannot be made: the files stay and the run fails.
fresh_tree
: > "$work/plain"
XDG_DATA_HOME="$work/plain/data" run --mark all-duplicates --delete --yes --error-log "$work/err.log" "$t"
check "a failed delete exits 1" test $? -eq 1
check "the error log has its heading and both failures" test "$(wc -l < "$work/err.log")" -eq 9
check "its lines end in CR LF" test "$(grep -c "$(printf '\r')\$" "$work/err.log")" -eq 9
check "the failure is reported with its number" grep -q "^twinsift-cli: error 1005: Unable to delete file '$t/a/one.txt': " "$work/err"
check "a file the Trash refused stays" all_there

if [ "$failures" -ne 0 ]; then
    echo "--- last standard error:" >&2
    cat "$work/err" >&2
    exit 1
fi
echo "cli actions e2e: all checks passed"
