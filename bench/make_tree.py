#!/usr/bin/env python3
"""Builds a seeded folder tree for the walk benchmark.

    bench/make_tree.py DEST [--files N] [--seed S]

Nested folders, log-normal file sizes (the large files are sparse), hidden
files and folders, symbolic links to files and folders, names with blanks,
commas, "?", non-UTF-8 bytes and a leading ".", and a few hard links. The same
seed gives the same tree. Prints the number of regular file paths it created
(hard links included, symbolic links excluded).
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


def file_size(rng):
    # Median about 4 KiB, a long tail into the megabytes.
    return min(int(math.exp(rng.gauss(math.log(4096), 2.0))), 1 << 30)


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


def build(dest, total_files, seed):
    rng = random.Random(seed)
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
            make_file(path, file_size(rng), rng)
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
    args = parser.parse_args()
    if os.path.exists(args.dest) and os.listdir(args.dest):
        sys.exit(f"{args.dest} is not empty")
    print(build(args.dest, args.files, args.seed))


if __name__ == "__main__":
    main()
