"""Writes data and Python's zlib results over it, for the zlib binding test.

zlib_reference.py OUT_DIR
"""
import random
import sys
import zlib
from pathlib import Path

out = Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)
rng = random.Random(20261210)
# Text that compresses well, then noise that does not, then text again.
words = [b"launcher", b"update", b"patch", b"download", b"manifest", b"\x00\xff", b"vemo"]
text = b" ".join(rng.choice(words) for _ in range(30000))
data = text + bytes(rng.getrandbits(8) for _ in range(60000)) + text[:50000]
(out / "data.bin").write_bytes(data)
for level in (1, 6, 9):
    stream = zlib.compressobj(level, zlib.DEFLATED, 15)
    (out / f"zlib_{level}.bin").write_bytes(stream.compress(data) + stream.flush())
gzip = zlib.compressobj(9, zlib.DEFLATED, 31)
(out / "gzip.bin").write_bytes(gzip.compress(data) + gzip.flush())
raw = zlib.compressobj(6, zlib.DEFLATED, -15)
(out / "raw.bin").write_bytes(raw.compress(data) + raw.flush())
(out / "sums.txt").write_text(f"{zlib.crc32(data)} {zlib.adler32(data)} {zlib.ZLIB_RUNTIME_VERSION}\n")
