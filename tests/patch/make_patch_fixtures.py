#!/usr/bin/env python3
"""Makes the patch tests' fixtures with the native `bsdiff` tool: old and new
files, a patch of each, the new files' MD5s (fixtures.txt) and a folder-patch
manifest. Usage: make_patch_fixtures.py <folder>"""
import hashlib
import os
import random
import shutil
import subprocess
import sys


def contents(seed, size):
    rng = random.Random(seed)
    return bytes(rng.getrandbits(8) for _ in range(size))


def edited(data, seed):
    rng = random.Random(seed)
    out = bytearray(data)
    for _ in range(40):  # scattered byte changes, an insertion and a cut
        at = rng.randrange(len(out))
        out[at] ^= 0x5A
    at = rng.randrange(len(out))
    out[at:at] = b"inserted by the new version" * 20
    del out[100:400]
    return bytes(out)


def main():
    root = sys.argv[1]
    shutil.rmtree(root, ignore_errors=True)
    for sub in ("old", "respkg", "patches", "expected/sub"):
        os.makedirs(os.path.join(root, sub), exist_ok=True)
    # name, where the old file lies, size of the old file
    files = [("a.bin", "old", 70000), ("b.txt", "old", 3000), ("sub/c.dat", "respkg", 150000)]
    lines = []
    manifest = ["# the same three files as one folder patch"]
    for index, (name, place, size) in enumerate(files):
        old = contents(index, size)
        new = edited(old, index + 100)
        old_path = os.path.join(root, place, name)
        os.makedirs(os.path.dirname(old_path), exist_ok=True)
        with open(old_path, "wb") as f:
            f.write(old)
        new_path = os.path.join(root, "expected", name)
        with open(new_path, "wb") as f:
            f.write(new)
        patch_name = name.replace("/", "_") + ".patch"
        subprocess.run(["bsdiff", old_path, new_path, os.path.join(root, "patches", patch_name)], check=True)
        lines.append("%s %s %s" % (name, patch_name, hashlib.md5(new).hexdigest()))
        manifest.append("%s\t%s\t%s" % (name, patch_name, name))
    # A second copy of one file, into a folder the patch creates.
    manifest.append("%s\t%s\tcopies/%s" % (files[1][0], files[1][0] + ".patch", files[1][0]))
    with open(os.path.join(root, "patches", "manifest.txt"), "w", newline="\r\n") as f:
        f.write("\n".join(manifest) + "\n")
    with open(os.path.join(root, "fixtures.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
