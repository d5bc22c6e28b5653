#!/usr/bin/env python3
"""A sample update feed for the launcher's update check: a version manifest
and the files it lists, laid out in a folder that the test server serves.

    update_feed.py <folder> [--version 1.0.1] [--count 50]

writes <folder>/manifest.json and <folder>/game_data/... and prints the
manifest's path relative to the folder. The files have deterministic content
and sizes from 1 KB to a few hundred KB.
"""
import argparse
import hashlib
import json
import os
import random
import shutil

MANIFEST = "manifest.json"


def file_bytes(index):
    size = 1024 + (index * 7919) % (300 * 1024)
    return random.Random(index).randbytes(size)


def make_feed(folder, version="1.0.1", count=50, wrong_md5_index=None):
    """Writes the feed; returns its manifest entries ({"path", "size", "md5"})."""
    shutil.rmtree(folder, ignore_errors=True)
    entries = []
    for index in range(count):
        data = file_bytes(index)
        path = "game_data/pack%d/file_%03d.bin" % (index % 4, index)
        local = os.path.join(folder, *path.split("/"))
        os.makedirs(os.path.dirname(local), exist_ok=True)
        with open(local, "wb") as out:
            out.write(data)
        md5 = hashlib.md5(data).hexdigest()
        if index == wrong_md5_index:
            md5 = hashlib.md5(b"something else").hexdigest()
        entries.append({"path": path, "size": len(data), "md5": md5})
    with open(os.path.join(folder, MANIFEST), "w") as out:
        json.dump({"version": version, "files": entries}, out, indent=1)
    return entries


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--version", default="1.0.1")
    parser.add_argument("--count", type=int, default=50)
    args = parser.parse_args()
    make_feed(args.folder, args.version, args.count)
    print(MANIFEST)


if __name__ == "__main__":
    main()
