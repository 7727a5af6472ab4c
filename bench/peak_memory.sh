#!/bin/sh
# Peak memory and wall time of one twinsift-cli scan of a million-file tree.
#
#     bench/peak_memory.sh [--files N] [--engine E] [--tree DIR] [--cli PATH]
#
# Generates the tree once with bench/make_tree.py (small files, a third of
# them copies: about 2 GB for a million files) unless DIR already holds it,
# then scans it and prints the peak resident memory ("Maximum resident set
# size" of /usr/bin/time -v), the wall time and the rows and groups listed.
# Run it twice for a warm page cache. The tree stays for reuse: delete it
# when done.
set -eu

files=1000000
engine=byte
tree=""
cli=""
while [ $# -gt 0 ]; do
    case "$1" in
    --files) files="$2"; shift 2 ;;
    --engine) engine="$2"; shift 2 ;;
    --tree) tree="$2"; shift 2 ;;
    --cli) cli="$2"; shift 2 ;;
    *) echo "usage: $0 [--files N] [--engine E] [--tree DIR] [--cli PATH]" >&2; exit 2 ;;
    esac
done

source_dir=$(cd "$(dirname "$0")/.." && pwd)
# Not below /var or /usr: twinsift protects the system's folders by default.
tree=${tree:-/tmp/twinsift-peak-$files}
cli=${cli:-$source_dir/build/bin/twinsift-cli}

if [ ! -f "$tree/.complete" ]; then
    rm -rf "$tree"
    echo "generating $files files in $tree" >&2
    python3 "$source_dir/bench/make_tree.py" "$tree" --files "$files" --duplicates \
        --median-size 256 --derived 0.35 > /dev/null
    touch "$tree/.complete"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/time -v -o "$work/time" "$cli" --engine "$engine" --hidden "$tree" > "$work/out" \
    2> /dev/null
peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time")
wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time")
rows=$(grep -c . "$work/out" || true)
groups=$(grep -c '^$' "$work/out" || true)
echo "$engine: $rows rows in $groups groups; peak $((peak / 1024)) MiB; wall $wall"
