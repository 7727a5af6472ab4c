#!/bin/sh
# Sessions and exports of the terminal front end as a real process: a saved
# list loads back with its marks, re-checked and re-scanned, and every export
# reads back with a strict parser.
set -u
cli="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/checks.sh"

t="$work/tree"
# Two groups, names a careless writer would break: comma, quote, "&", "<", "?".
fresh_tree() {
    rm -rf "$t"
    mkdir -p "$t/a" "$t/b, c"
    echo 'first group' > "$t/a/one.txt"
    echo 'first group' > "$t/b, c/one \"q\".txt"
    echo 'second group, longer' > "$t/a/two & <x>.bin"
    echo 'second group, longer' > "$t/b, c/two?.bin"
    echo 'second group, longer' > "$t/b, c/three.bin"
    touch -d '2001-01-01' "$t/a/one.txt" "$t/a/two & <x>.bin"
}

run() { # the cli's arguments
    "$cli" "$@" < /dev/null > "$work/out" 2> "$work/err"
}

# The JSON document's groups: path, size, time and mark of each file, in order.
py_groups='
import json, sys
def groups(path):
    with open(path, encoding="utf-8") as f:
        document = json.load(f)
    return [[(f["path"], f["size"], f["modified"], f["marked"]) for f in g["files"]]
            for g in document.get("groups", [])]
'
groups_are() { # JSON output, then another JSON output or the group sizes, e.g. "2 3"
    python3 -c "$py_groups
got, want = groups(sys.argv[1]), sys.argv[2]
sys.exit(got != groups(want) if want.endswith('.json') else
         ' '.join(str(len(g)) for g in got) != want)" "$1" "$2"
}

# Each export read back: the set of paths (folder and name) of its rows,
# compared with the paths of the JSON document, all or only the marked ones.
exported_as_listed() { # format, export file, JSON output, all|marked[, delimiter]
    python3 -c "$py_groups"'
import csv, html.parser, os, xml.etree.ElementTree as ET
form, exported, listing, rows = sys.argv[1:5]
wanted = sorted(f[0] for g in groups(listing) for f in g if rows == "all" or f[3])
if form == "xml":
    got = [os.path.join(e.findtext("Path"), e.findtext("FileName"))
           for e in ET.parse(exported).getroot()]
elif form == "csv":
    with open(exported, newline="", encoding="utf-8") as f:
        table = [r for r in csv.reader(f, delimiter=sys.argv[5]) if r]
    name, folder = table[0].index("File Name"), table[0].index("Path")
    got = [os.path.join(r[folder], r[name]) for r in table[1:]]
else:  # each name a cell of text; a name that became markup makes a tag
    class Report(html.parser.HTMLParser):
        texts, tags = [], []
        def handle_starttag(self, tag, attrs):
            self.tags.append(tag)
        def handle_data(self, data):
            self.texts.append(data.strip())
    report = Report()
    with open(exported, encoding="utf-8") as f:
        report.feed(f.read())
    got = [p for p in wanted if os.path.basename(p) in report.texts]
    if "x" in report.tags or "table" not in report.tags:
        got = []
sys.exit(sorted(got) != wanted)
' "$@"
}

fresh_tree
run --mark all-duplicates --json --save-session "$work/s.tsf" "$t"
check "a search saved as a session exits 0" test $? -eq 0
cp "$work/out" "$work/searched.json"
check "the search found both groups" groups_are "$work/searched.json" "2 3"

run --load-session "$work/s.tsf" --json
check "loading the session exits 0" test $? -eq 0
check "the loaded list has the searched rows and marks" groups_are "$work/out" "$work/searched.json"

run --load-session "$work/s.tsf" --marked-only
check "the saved marks list without --mark" test "$(wc -l < "$work/out")" -eq 3
run --load-session "$work/s.tsf" --delete --permanent --yes
check "deleting the saved marks exits 0" test $? -eq 0
check "only the saved marks are deleted" test ! -e "$t/a/one.txt" -a -e "$t/b, c/one \"q\".txt"

# A file gone since the save: its group keeps one row and is dropped.
fresh_tree
run --save-session "$work/s.tsf" "$t"
rm "$t/b, c/one \"q\".txt"
run --load-session "$work/s.tsf" --recheck --json
check "re-checking exits 0" test $? -eq 0
check "re-checking drops the dead row's group" groups_are "$work/out" "3"

# Same size and time, other content: only a new comparison sees it.
fresh_tree
run --save-session "$work/s.tsf" "$t"
touch -r "$t/b, c/two?.bin" "$work/stamp"
echo 'second group, LONGER' > "$t/b, c/two?.bin"
touch -r "$work/stamp" "$t/b, c/two?.bin"
run --load-session "$work/s.tsf" --recheck --json
check "re-checking alone keeps the changed file" groups_are "$work/out" "2 3"
run --load-session "$work/s.tsf" --rescan --json
check "re-scanning exits 0" test $? -eq 0
check "re-scanning drops the changed file" groups_are "$work/out" "2 2"

fresh_tree
run --mark all-duplicates --json "$t"
cp "$work/out" "$work/searched.json"
run --mark all-duplicates --export "$work/list.xml" "$t"
check "XML export exits 0" test $? -eq 0
check "XML export reads back" exported_as_listed xml "$work/list.xml" "$work/searched.json" all
for delimiter in comma semicolon tab '|'; do
    case "$delimiter" in
    comma) char=',' ;; semicolon) char=';' ;; tab) char=$(printf '\t') ;; *) char="$delimiter" ;;
    esac
    run --mark all-duplicates --export "$work/list.CSV" --delimiter "$delimiter" "$t"
    check "delimited export with $delimiter exits 0" test $? -eq 0
    check "delimited export with $delimiter reads back" \
        exported_as_listed csv "$work/list.CSV" "$work/searched.json" all "$char"
done
run --mark all-duplicates --export "$work/list.html" "$t"
check "HTML export exits 0" test $? -eq 0
check "the HTML report holds every row as text" \
    exported_as_listed html "$work/list.html" "$work/searched.json" all
run --mark all-duplicates --export "$work/marked.xml" --export-rows marked "$t"
check "marked rows only" exported_as_listed xml "$work/marked.xml" "$work/searched.json" marked

run --export "$work/list.txt" "$t"
check "an unknown export extension is a usage error" test $? -eq 2
check "the refusal names the accepted extensions" grep -q '.xml, .csv, .htm or .html' "$work/err"
printf '1,1,0,2,12,3,2,x,0\r\n' > "$work/damaged.tsf"
run --load-session "$work/damaged.tsf"
check "a damaged session fails" test $? -eq 1
check "the failure is told" grep -q 'twinsift-cli: ' "$work/err"
# No file can be made in /proc, not even by the superuser.
run --mark all-duplicates --export /proc/list.xml --delete --yes "$t"
check "a failed export exits 1" test $? -eq 1
check "and the action does not run" test -f "$t/a/one.txt"

if [ "$failures" -ne 0 ]; then
    echo "--- last standard error:" >&2
    cat "$work/err" >&2
    exit 1
fi
echo "cli session e2e: all checks passed"
