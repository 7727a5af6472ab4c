#!/bin/sh
# Side-by-side comparison of twinsift-cli with other duplicate finders on one
# seeded tree, warm page cache.
#
#     bench/compare.sh [--files N] [--seed S] [--tree DIR] [--runs R]
#
# Installs fdupes, jdupes, rdfind, rmlint and duff (apt), builds a Release
# twinsift-cli (or uses $TWINSIFT_CLI), generates the tree with
# bench/make_tree.py --duplicates unless DIR already holds it, and prints one
# table: program, median wall seconds, peak memory, groups, and whether the
# groups agree with a ground truth computed here (size, then SHA-256 of the
# whole file; one path per inode; empty files left out). It also prints the
# two limits: a bare metadata walk (find -printf) and reading every byte of
# every file whose size another file shares (cat to /dev/null).
set -eu

files=150000
seed=1
runs=3
tree=""
while [ $# -gt 0 ]; do
    case "$1" in
    --files) files="$2"; shift 2 ;;
    --seed) seed="$2"; shift 2 ;;
    --tree) tree="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    *) echo "usage: $0 [--files N] [--seed S] [--tree DIR] [--runs R]" >&2; exit 2 ;;
    esac
done

source_dir=$(cd "$(dirname "$0")/.." && pwd)
# Not below /var or /usr: twinsift protects the system's folders by default.
tree=${tree:-/tmp/twinsift-compare-$files-$seed}

missing=""
for program in fdupes jdupes rdfind rmlint duff; do
    command -v "$program" > /dev/null || missing="$missing $program"
done
if [ -n "$missing" ]; then
    echo "installing$missing" >&2
    DEBIAN_FRONTEND=noninteractive apt-get install -y $missing > /dev/null
fi

if [ -z "${TWINSIFT_CLI:-}" ]; then
    build="$source_dir/build-compare"
    # Configuring needs help2man and the other build packages.
    sh "$source_dir/scripts/install-deps.sh"
    cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTWINSIFT_SANITIZE=OFF \
        -DTWINSIFT_BUILD_BENCH=OFF > /dev/null
    cmake --build "$build" -j2 --target twinsift-cli > /dev/null
    TWINSIFT_CLI="$build/bin/twinsift-cli"
fi

if [ ! -f "$tree/.complete" ]; then
    rm -rf "$tree"
    echo "generating $files files in $tree" >&2
    python3 "$source_dir/bench/make_tree.py" "$tree" --files "$files" --seed "$seed" \
        --duplicates > /dev/null
    touch "$tree/.complete"
fi

exec python3 - "$tree" "$TWINSIFT_CLI" "$runs" << 'EOF'
import collections
import hashlib
import os
import stat
import statistics
import subprocess
import sys
import tempfile

tree, cli, runs = os.fsencode(sys.argv[1]), sys.argv[2], int(sys.argv[3])
work = tempfile.mkdtemp(prefix="twinsift-compare-")


def ground_truth():
    """Groups of identical non-empty regular files, one path per inode."""
    by_size = collections.defaultdict(dict)
    for folder, dirs, names in os.walk(tree):
        for name in names:
            path = os.path.join(folder, name)
            info = os.lstat(path)
            if stat.S_ISREG(info.st_mode) and info.st_size > 0 and name != b".complete":
                by_size[info.st_size].setdefault((info.st_dev, info.st_ino), path)
    shared = {size: inodes for size, inodes in by_size.items() if len(inodes) > 1}
    groups = set()
    for inodes in shared.values():
        by_digest = collections.defaultdict(set)
        for inode, path in inodes.items():
            digest = hashlib.sha256()
            with open(path, "rb") as data:
                while chunk := data.read(1 << 20):
                    digest.update(chunk)
            by_digest[digest.digest()].add(inode)
        groups |= {frozenset(g) for g in by_digest.values() if len(g) > 1}
    shared_paths = [path for inodes in shared.values() for path in inodes.values()]
    return groups, shared_paths


def normalised(groups):
    """A program's groups as sets of inodes; links and second paths fold together."""
    result = set()
    for group in groups:
        inodes = set()
        for path in group:
            try:
                info = os.stat(path)
            except OSError:
                continue
            if info.st_size > 0:
                inodes.add((info.st_dev, info.st_ino))
        if len(inodes) > 1:
            result.add(frozenset(inodes))
    return result


def split_groups(entries):
    """Paths with an empty entry after each group (blank lines or NULs)."""
    groups, group = [], []
    for entry in entries:
        if entry:
            group.append(entry)
        elif group:
            groups.append(group)
            group = []
    if group:
        groups.append(group)
    return groups


def lines(output):
    return split_groups(output.split(b"\n"))


def nul_entries(output):
    return split_groups(output.split(b"\0"))


def duff_groups(output):
    groups = []
    for entry in output.split(b"\0"):
        if entry.startswith(b"/"):
            groups[-1].append(entry)
        elif entry:
            groups.append([])  # a cluster header
    return groups


def rdfind_groups(results):
    groups = collections.defaultdict(list)
    for line in results.split(b"\n"):
        if line.startswith(b"DUPTYPE"):
            fields = line.split(b" ", 7)
            groups[abs(int(fields[1]))].append(fields[7])
    return list(groups.values())


def timed(command, output_file=None):
    """Runs `command` `runs` times; (median seconds, peak KiB, last output)."""
    seconds, peaks = [], []
    out = b""
    for _ in range(runs):
        timing = os.path.join(work, "time")
        result = subprocess.run(["/usr/bin/time", "-f", "%e %M", "-o", timing] + command,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, cwd=work)
        with open(timing) as t:
            wall, peak = t.read().split()[-2:]
        seconds.append(float(wall))
        peaks.append(int(peak))
        out = result.stdout
        if output_file:
            with open(output_file, "rb") as f:
                out = f.read()
    return statistics.median(seconds), max(peaks), out


truth, shared_paths = ground_truth()
shared_bytes = sum(os.path.getsize(p) for p in shared_paths)
listing = os.path.join(work, "shared.lst")
with open(listing, "wb") as f:
    f.write(b"\0".join(shared_paths))

root = os.fsdecode(tree)
rd_out = os.path.join(work, "rdfind.txt")
rm_out = os.path.join(work, "rmlint.txt")
cases = [
    ("twinsift-cli byte", [cli, "--hidden", "--null", root], nul_entries, True),
    ("twinsift-cli crc", [cli, "--engine", "crc", "--hidden", "--null", root], nul_entries, True),
    ("twinsift-cli fuzzy", [cli, "--engine", "fuzzy", "--hidden", "--null", root], nul_entries, False),
    ("twinsift-cli name", [cli, "--engine", "name", "--hidden", "--null", root], nul_entries, False),
    ("twinsift-cli zero (scan alone)", [cli, "--engine", "zero", "--hidden", "--null", root],
     nul_entries, False),
    ("jdupes -r", ["jdupes", "-r", "-q", "-0", root], nul_entries, True),
    ("rdfind", ["rdfind", "-outputname", rd_out, root], rdfind_groups, True),
    ("duff -r", ["duff", "-r", "-a", "-z", "-0", root], duff_groups, True),
    ("fdupes -r", ["fdupes", "-r", "-n", "-q", root], lines, True),
    ("rmlint", ["rmlint", "-T", "df", "--hidden", "-o", "fdupes:" + rm_out, root], lines, True),
]

# The limits; the read also warms the page cache for everything after it.
read_limit, _, _ = timed(["sh", "-c", "xargs -0 cat < '%s' > /dev/null" % listing])
walk_limit, _, _ = timed(["find", root, "-printf", "%s %p\\n"])

file_count = sum(len(n) for _, _, n in os.walk(tree))
print(f"tree: {root}: {file_count} names, {len(truth)} groups of identical files, "
      f"{shared_bytes / 1e9:.2f} GB in {len(shared_paths)} files whose size is shared; "
      f"median of {runs} runs, warm cache")
print(f"{'program':32} {'wall s':>8} {'peak MiB':>9} {'groups':>7}  agreement")
results = {}
for name, command, parse, checked in cases:
    output_file = rd_out if name == "rdfind" else rm_out if name == "rmlint" else None
    wall, peak, out = timed(command, output_file)
    groups = parse(out)
    if not checked:
        agreement = "n/a (other rule)"
    else:
        found = normalised(groups)
        agreement = "yes" if found == truth else (
            f"NO: {len(truth - found)} missing, {len(found - truth)} extra")
    results[name] = wall
    print(f"{name:32} {wall:8.2f} {peak / 1024:9.1f} {len(groups):7}  {agreement}")
print(f"{'limit: walk (find -printf)':32} {walk_limit:8.2f}")
print(f"{'limit: read shared sizes (cat)':32} {read_limit:8.2f}")
byte = results["twinsift-cli byte"]
peers = [w for n, w in results.items() if not n.startswith("twinsift")]
print(f"byte / fastest peer: {byte / min(peers):.2f}; byte / (walk + read): "
      f"{byte / (walk_limit + read_limit):.2f}; crc / byte: "
      f"{results['twinsift-cli crc'] / byte:.2f}; name / scan alone: "
      f"{results['twinsift-cli name'] / results['twinsift-cli zero (scan alone)']:.2f}")
subprocess.run(["rm", "-rf", work])
EOF
