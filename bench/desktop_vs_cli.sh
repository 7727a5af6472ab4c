#!/bin/sh
# The desktop program's scan against twinsift-cli on the same seeded tree,
# warm page cache, byte-by-byte engine, hidden files included.
#
#     bench/desktop_vs_cli.sh [--files N] [--seed S] [--tree DIR] [--runs R] [--limit L]
#
# Builds a Release twinsift-cli and desktop_scan_driver in build-compare/
# (or uses $TWINSIFT_CLI and $TWINSIFT_DESKTOP_DRIVER), makes the tree as
# bench/compare.sh does (and reuses it), reads it once to warm the cache, then
# times R alternating runs of each. Prints the median wall seconds of the
# cli's whole process and of the desktop's scan (Scan command to filled list;
# the window's start-up, shown apart, is no part of a scan), and their ratio;
# fails when it exceeds L (1.3) or when the two list a different number of
# files.
set -eu

files=150000
seed=1
runs=3
limit=1.3
tree=""
while [ $# -gt 0 ]; do
    case "$1" in
    --files) files="$2"; shift 2 ;;
    --seed) seed="$2"; shift 2 ;;
    --tree) tree="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    --limit) limit="$2"; shift 2 ;;
    *) echo "usage: $0 [--files N] [--seed S] [--tree DIR] [--runs R] [--limit L]" >&2; exit 2 ;;
    esac
done

source_dir=$(cd "$(dirname "$0")/.." && pwd)
# Not below /var or /usr: both programs protect the system's folders by default.
tree=${tree:-/tmp/twinsift-compare-$files-$seed}

if [ -z "${TWINSIFT_CLI:-}" ] || [ -z "${TWINSIFT_DESKTOP_DRIVER:-}" ]; then
    build="$source_dir/build-compare"
    # Configuring needs help2man and the other build packages.
    sh "$source_dir/scripts/install-deps.sh"
    cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTWINSIFT_SANITIZE=OFF \
        -DTWINSIFT_BUILD_TESTS=OFF -DTWINSIFT_BUILD_BENCH=ON > /dev/null
    cmake --build "$build" -j2 --target twinsift-cli desktop_scan_driver > /dev/null
    TWINSIFT_CLI="$build/bin/twinsift-cli"
    TWINSIFT_DESKTOP_DRIVER="$build/bench/desktop_scan_driver"
fi

if [ ! -f "$tree/.complete" ]; then
    rm -rf "$tree"
    echo "generating $files files in $tree" >&2
    python3 "$source_dir/bench/make_tree.py" "$tree" --files "$files" --seed "$seed" \
        --duplicates > /dev/null
    touch "$tree/.complete"
fi

# The desktop's settings and data go to a folder of their own, not the user's.
home=$(mktemp -d /tmp/twinsift-desktop-bench-XXXXXX)
trap 'rm -rf "$home"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"

now() { date +%s.%N; }

# Both list every member of every group: the cli each path ended by a NUL and
# each group by one more, the desktop one row per member.
cli_run() {
    start=$(now)
    "$TWINSIFT_CLI" --hidden --null "$tree" 2> /dev/null > "$home/cli.out"
    awk -v a="$(now)" -v b="$start" 'BEGIN { print a - b }'
}
desktop_run() {
    start=$(now)
    if ! "$TWINSIFT_DESKTOP_DRIVER" "$tree" > "$home/desktop.out" 2> "$home/desktop.err"; then
        cat "$home/desktop.err" >&2
        exit 1
    fi
    awk -v a="$(now)" -v b="$start" 'BEGIN { print a - b }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "warming the page cache" >&2
find "$tree" -type f -exec cat {} + > /dev/null 2>&1 || true

: > "$home/cli.times"
: > "$home/desktop.times"
: > "$home/scan.times"
i=0
while [ "$i" -lt "$runs" ]; do
    cli_run >> "$home/cli.times"
    desktop_run >> "$home/desktop.times"
    cut -d' ' -f1 "$home/desktop.out" >> "$home/scan.times"
    i=$((i + 1))
done

cli_rows=$(tr '\0' '\n' < "$home/cli.out" | grep -c .)
desktop_rows=$(cut -d' ' -f2 "$home/desktop.out")
cli=$(median < "$home/cli.times")
desktop=$(median < "$home/desktop.times")
scan=$(median < "$home/scan.times")
ratio=$(awk -v d="$scan" -v c="$cli" 'BEGIN { printf "%.3f", d / c }')
printf 'tree                 %s (%s files, seed %s)\n' "$tree" "$files" "$seed"
printf 'twinsift-cli         %.2f s  (%s paths)\n' "$cli" "$cli_rows"
printf 'desktop scan         %.2f s  (%s rows)\n' "$scan" "$desktop_rows"
printf 'desktop process      %.2f s  (start-up and scan)\n' "$desktop"
printf 'ratio scan/cli       %s  (limit %s, median of %s runs)\n' "$ratio" "$limit" "$runs"
if [ "$cli_rows" != "$desktop_rows" ]; then
    echo "the two found different numbers of files" >&2
    exit 1
fi
if awk -v r="$ratio" -v l="$limit" 'BEGIN { exit !(r > l) }'; then
    echo "the desktop's scan is more than $limit times the cli's" >&2
    exit 1
fi
