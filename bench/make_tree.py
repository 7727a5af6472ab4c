#!/usr/bin/env python3
"""Builds a seeded folder tree for the walk and comparison benchmarks.

    bench/make_tree.py DEST [--files N] [--seed S] [--duplicates] [--median-size B]
                       [--derived P]

Nested folders, log-normal file sizes (the large files are sparse), hidden
files and folders, symbolic links to files and folders, names with blanks,
commas, "?", non-UTF-8 bytes and a leading ".", and a few hard links. The same
seed gives the same tree. Prints the number of regular file paths it created
(hard links included, symbolic links excluded).

With --duplicates every file holds real data (nothing sparse) and some files
are made from earlier ones: exact copies in other folders, files of the same
size that differ in the first block or only in the last bytes, and empty
files; some files take the name of a file in another folder. --derived sets
the share of files made from earlier ones (half of them exact copies), and
--median-size the typical file size, so that a tree of a million files with
many groups still fits in a few gigabytes.
"""

import argparse
import math
import os
import random
import sys

AWKWARD_NAMES = [
    b"Photos, 2019",
    b"what?",
    b"caf\xe9",  # Latin-1, not UTF-8
    b"\xff\xfe bytes",
    "Ünïcödé".encode(),
    b"with  two blanks",
    b"semi;colon",
]
EXTENSIONS = [b".txt", b".jpg", b".dat", b".pdf", b".mp3", b".TXT", b".tar.gz", b""]
SPARSE_FROM = 64 * 1024  # larger files get a hole instead of data


def file_size(rng, median):
    # A long tail: a hundred times the median is not rare.
    return min(int(math.exp(rng.gauss(math.log(median), 2.0))), 1 << 30)


def make_file(path, size, rng):
    with open(path, "wb") as out:
        if size >= SPARSE_FROM:
            out.truncate(size)
        else:
            out.write(rng.randbytes(size))


def folder_name(rng, index):
    if rng.random() < 0.05:
        return b"." + b"hidden%d" % index
    if rng.random() < 0.08:
        return rng.choice(AWKWARD_NAMES) + b" %d" % index
    return b"dir%d" % index


def file_name(rng, index):
    if rng.random() < 0.03:
        stem = b".dot%d" % index
    elif rng.random() < 0.05:
        stem = rng.choice(AWKWARD_NAMES) + b" %d" % index
    else:
        stem = b"file%d" % index
    return stem + rng.choice(EXTENSIONS)


class Contents:
    """Seeded file contents for --duplicates: slices of one random pool, so
    that gigabytes are written quickly, and files derived from earlier ones."""

    POOL_SIZE = 64 * 1024 * 1024
    BLOCK = 4096

    def __init__(self, rng, derived_share):
        self.rng = rng
        self.derived_share = derived_share
        self.pool = rng.randbytes(self.POOL_SIZE)
        self.earlier = []  # (path, size) of files with data, to copy from

    def fresh(self, path, size):
        with open(path, "wb") as out:
            left = size
            while left > 0:
                start = self.rng.randrange(self.POOL_SIZE)
                piece = self.pool[start : start + left]
                out.write(piece)
                left -= len(piece)
        if size > 0:
            self.earlier.append((path, size))

    def derived(self, path):
        """Writes a file made from an earlier one; returns False when there is none."""
        if not self.earlier:
            return False
        source, size = self.rng.choice(self.earlier)
        with open(source, "rb") as given:
            data = bytearray(given.read())
        kind = self.rng.random()
        if kind < 0.5:
            pass  # an exact copy
        elif kind < 0.75:
            data[self.rng.randrange(min(size, self.BLOCK))] ^= 0xFF  # differs in the first block
        else:
            data[size - 1 - self.rng.randrange(min(size, 8))] ^= 0xFF  # differs at the end
        with open(path, "wb") as out:
            out.write(data)
        return True

    def make(self, path, size):
        roll = self.rng.random()
        if roll < 0.02:
            open(path, "wb").close()
        elif roll < 0.02 + self.derived_share and self.derived(path):
            pass
        else:
            self.fresh(path, size)


def build(dest, total_files, seed, duplicates=False, median_size=4096, derived_share=0.18):
    rng = random.Random(seed)
    contents = Contents(rng, derived_share) if duplicates else None
    root = os.fsencode(dest)
    os.makedirs(root, exist_ok=True)
    folders = [root]
    created = []
    next_folder = 0
    while len(created) < total_files:
        parent = rng.choice(folders[-200:] if rng.random() < 0.7 else folders)
        folder = os.path.join(parent, folder_name(rng, next_folder))
        next_folder += 1
        os.makedirs(folder, exist_ok=True)
        folders.append(folder)
        for _ in range(rng.randint(1, 40)):
            if len(created) >= total_files:
                break
            path = os.path.join(folder, file_name(rng, len(created)))
            if contents and contents.earlier and rng.random() < 0.05:
                # The name of a file elsewhere, as copies and versions often have.
                reused = os.path.join(folder, os.path.basename(rng.choice(contents.earlier)[0]))
                if not os.path.lexists(reused):
                    path = reused
            if contents:
                contents.make(path, file_size(rng, median_size))
            else:
                make_file(path, file_size(rng, median_size), rng)
            created.append(path)

    links = 0
    for index in range(max(1, total_files // 2000)):
        target = rng.choice(created)
        os.symlink(target, os.path.join(rng.choice(folders), b"filelink%d" % index))
        os.symlink(rng.choice(folders), os.path.join(rng.choice(folders), b"dirlink%d" % index))
        os.link(target, os.path.join(rng.choice(folders), b"hardlink%d" % index))
        links += 1
    return len(created) + links


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("dest")
    parser.add_argument("--files", type=int, default=150000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--duplicates", action="store_true",
                        help="real data, with copies and near-copies of earlier files")
    parser.add_argument("--median-size", type=int, default=4096, help="typical file size in bytes")
    parser.add_argument("--derived", type=float, default=0.18,
                        help="with --duplicates: share of files made from earlier ones")
    args = parser.parse_args()
    if os.path.exists(args.dest) and os.listdir(args.dest):
        sys.exit(f"{args.dest} is not empty")
    print(build(args.dest, args.files, args.seed, args.duplicates, args.median_size,
                args.derived))


if __name__ == "__main__":
    main()
