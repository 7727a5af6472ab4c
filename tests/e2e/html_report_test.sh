#!/bin/sh
# The HTML report of hostile file names as a browser renders it: headless
# Chromium loads the page the export wrote and dumps the resulting DOM; the
# result table must hold the names as text and no element made from them.
set -u
driver="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/checks.sh"

browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
    echo "FAILED: chromium is not installed (scripts/install-deps.sh installs it)" >&2
    exit 1
fi

check "report written" "$driver" "$work/report.htm"
# As root Chromium runs only without its sandbox.
HOME="$work" timeout 30 "$browser" --headless --no-sandbox --disable-gpu \
    --user-data-dir="$work/profile" --dump-dom "file://$work/report.htm" \
    > "$work/dom.html" 2> "$work/browser.log"
check "browser rendered the page" test $? -eq 0

python3 - "$work/dom.html" <<'PY' || failures=$((failures + 1))
import sys
from html.parser import HTMLParser

class Tables(HTMLParser):
    def __init__(self):
        super().__init__()
        self.tables, self.cell, self.tags = [], None, []
    def handle_starttag(self, tag, attrs):
        self.tags.append(tag)
        if tag == "table":
            self.tables.append([])
        elif tag == "tr":
            self.tables[-1].append([])
        elif tag in ("td", "th"):
            self.cell = ""
    def handle_endtag(self, tag):
        if tag in ("td", "th") and self.cell is not None:
            self.tables[-1][-1].append(self.cell)
            self.cell = None
    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data

dom = Tables()
dom.feed(open(sys.argv[1], encoding="utf-8").read())
results = [t for t in dom.tables if t and t[0] and t[0][0] == "File Name"]
expected = [
    ["<img src=x onerror=alert(1)>.txt", "txt", "1234", "2024-01-02 03:04", "N/A", "1", "/data/a&b/"],
    ["Tom & Jerry.txt", "txt", "1234", "2024-01-02 03:04", "N/A", "1", "/data/a&b/"],
    ["caf\ufffd.txt", "txt", "1234", "2024-01-02 03:04", "N/A", "2", "/data/\ufffd/"],
]
problems = []
if len(results) != 1:
    problems.append("%d result tables" % len(results))
elif results[0][1:] != expected:
    problems.append("data rows %r" % (results[0][1:],))
if "img" in dom.tags or "script" in dom.tags:
    problems.append("a file name became an element")
for problem in problems:
    print("FAILED: rendered report:", problem, file=sys.stderr)
sys.exit(1 if problems else 0)
PY

[ "$failures" -eq 0 ] || cat "$work/browser.log" >&2
exit "$failures"
