#!/usr/bin/env python3
"""Makes the benchmark tree: a deterministic folder tree of realistic names,
extensions and sizes (sparse files, so large sizes take no disk space).

  make_tree.py DIR [FILES] [FOLDERS]     (defaults: 100000 files in 1000 folders)

With --types, a tree for the Type column instead: empty files in folders of
equal size, each file with an extension of its own ("distinct", which rises
with the name, so a listing meets them in ascending order) or all with the
same one ("one").

  make_tree.py --types distinct|one DIR [FILES] [FOLDERS]   (100000 in 100)
"""
import os
import random
import sys

WORDS = ("report invoice photo holiday budget draft final notes summary scan backup "
         "project meeting minutes design review plan letter contract data export "
         "archive music track video clip slides thesis chapter figure table log").split()
EXTENSIONS = [".txt", ".docx", ".pdf", ".jpg", ".png", ".xlsx", ".csv", ".mp3", ".mp4",
              ".zip", ".html", ".cpp", ".h", ".log", ".iso", ".tar.gz", ""]


def name(rng):
    words = [rng.choice(WORDS) for _ in range(rng.randint(1, 3))]
    sep = rng.choice([" ", "_", "-", ""])
    text = sep.join(words)
    if rng.random() < 0.3:
        text += " %d" % rng.randint(1, 2026)
    if rng.random() < 0.1:
        text = text.capitalize()
    return text


def size(rng):
    roll = rng.random()
    if roll < 0.05:
        return 0
    if roll < 0.70:
        return rng.randint(1, 64 * 1024)
    if roll < 0.97:
        return rng.randint(64 * 1024, 50 * 1024 * 1024)
    return rng.randint(1 << 30, 6 << 30)  # some above 4 GiB


def types_tree(kind, root, files, folders):
    if kind not in ("distinct", "one"):
        sys.exit("make_tree.py: --types takes distinct or one")
    made = set()
    for i in range(files):
        folder = os.path.join(root, "folder %04d" % (i * folders // files))
        if folder not in made:
            os.makedirs(folder, exist_ok=True)
            made.add(folder)
        extension = "x%06d" % i if kind == "distinct" else "dat"
        open(os.path.join(folder, "file %06d.%s" % (i, extension)), "wb").close()
    print("made %d files (%s) in %d folders under %s"
          % (files, "one extension" if kind == "one" else "each its own extension",
             len(made), root))


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--types":
        args = sys.argv[2:]
        files = int(args[2]) if len(args) > 2 else 100000
        folders = int(args[3]) if len(args) > 3 else 100
        types_tree(args[0], args[1], files, folders)
        return
    root = sys.argv[1]
    files = int(sys.argv[2]) if len(sys.argv) > 2 else 100000
    folders = int(sys.argv[3]) if len(sys.argv) > 3 else 1000
    rng = random.Random(20261207)
    os.makedirs(root, exist_ok=True)
    made = [root]
    # Folders up to five levels deep, each under a random earlier one.
    while len(made) < folders:
        parent = rng.choice(made[-200:]) if rng.random() < 0.7 else rng.choice(made)
        if parent.count(os.sep) - root.count(os.sep) >= 5:
            continue
        path = os.path.join(parent, name(rng))
        if os.path.exists(path):
            continue
        os.mkdir(path)
        made.append(path)
    for i in range(files):
        folder = made[i % len(made)]
        path = os.path.join(folder, "%s%s" % (name(rng), rng.choice(EXTENSIONS)))
        while os.path.exists(path):
            path = os.path.join(folder, "%s %d%s" % (name(rng), i, rng.choice(EXTENSIONS)))
        with open(path, "wb") as f:
            f.truncate(size(rng))
        when = 1500000000 + rng.randint(0, 250000000)
        os.utime(path, (when, when))
    print("made %d files in %d folders under %s" % (files, len(made), root))


if __name__ == "__main__":
    main()
