#!/bin/sh
# The terminal front end as a real process on a small tree: its output, exit
# statuses, the JSON document and a usage error.
set -u
cli="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/checks.sh"


lacks() { ! grep -q "$1" "$2"; }

mkdir -p "$work/tree/sub" "$work/tree/Photos, 2019"
: > "$work/tree/one"
: > "$work/tree/sub/two"
: > "$work/tree/Photos, 2019/three"
echo content > "$work/tree/full"

"$cli" --engine zero "$work/tree" > "$work/out" 2> "$work/err"
status=$?
check "completed search exits 0" test "$status" -eq 0
printf '%s\n' "$work/tree/one" "$work/tree/Photos, 2019/three" "$work/tree/sub/two" "" > "$work/expected"
check "zero-size listing" cmp -s "$work/out" "$work/expected"
check "status on standard error" grep -qx 'Search Completed.' "$work/err"
check "files counted" grep -qx 'Files : 3' "$work/err"

"$cli" --engine zero --json "$work/tree" > "$work/json" 2> /dev/null
check "json exits 0" test $? -eq 0
check "json status" grep -q '"status": "Search Completed."' "$work/json"
check "json path" grep -q "\"path\": \"$work/tree/sub/two\"" "$work/json"

# Two groups, the smaller size first, each followed by an empty line.
mkdir -p "$work/dups/x"
echo hello > "$work/dups/a1"
echo hello > "$work/dups/x/a2"
echo hellO > "$work/dups/u"
echo 'a longer line' > "$work/dups/b1"
echo 'a longer line' > "$work/dups/x/b2"
"$cli" --threads 2 "$work/dups" > "$work/out" 2> "$work/err"
check "byte search exits 0" test $? -eq 0
printf '%s\n' "$work/dups/a1" "$work/dups/x/a2" "" "$work/dups/b1" "$work/dups/x/b2" "" > "$work/expected"
check "groups in list order" cmp -s "$work/out" "$work/expected"
check "duplicates counted" grep -qx 'Duplicate Files: 2  Size: 20 Bytes' "$work/err"

"$cli" --engine sideways "$work/tree" > "$work/out" 2> "$work/err"
check "usage error exits 2" test $? -eq 2
check "usage error message" grep -q "unknown engine 'sideways'" "$work/err"
check "nothing on standard output after a usage error" test ! -s "$work/out"

# The reader is gone before the first write.
{ sleep 0.3; "$cli" --engine zero "$work/tree" 2> "$work/err"; echo $? > "$work/status"; } | true
check "closed standard output ends quietly" test "$(cat "$work/status")" -eq 0
check "closed standard output prints no message" lacks 'twinsift-cli:' "$work/err"

# Standard output closed before the start: nothing can be listed, and the user is told.
"$cli" --engine zero "$work/tree" >&- 2> "$work/err"
check "closed standard output fails" test $? -eq 1
check "closed standard output is reported" grep -q 'standard output is closed' "$work/err"

if [ "$failures" -ne 0 ]; then
    echo "--- last standard error:" >&2
    cat "$work/err" >&2
    exit 1
fi
echo "cli e2e: all checks passed"
