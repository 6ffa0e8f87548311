#!/usr/bin/env bash
# Seeds the Deflate fuzz corpus with raw streams from zlib at every level and strategy,
# each behind the harness's option byte and declared size.
set -euo pipefail
out=${1:?corpus folder}
mkdir -p "$out"
/usr/bin/python3 - "$out" <<'PY'
import os, random, struct, sys, zlib
out = sys.argv[1]
rng = random.Random(11)
words = [b"code ", b"\xea\xee\xe4 ", b"GOD MODE ", b"99 ", b"\r\n", b"L1+R1 "]
def text(n):
    b = b"".join(rng.choice(words) for _ in range(n // 4))
    return b[:n]
def records(n):
    v, b = 0, bytearray()
    while len(b) < n:
        v = (v + rng.randrange(64)) & 0xFFFFFF
        b += struct.pack("<I", v)
    return bytes(b[:n])
plains = {"text": text(70000), "records": records(40000), "noise": os.urandom(3000),
          "runs": b"a" * 5000 + b"ab" * 3000 + b"abcdefg" * 900, "small": b"x", "empty": b""}
strategies = [zlib.Z_DEFAULT_STRATEGY, zlib.Z_FILTERED, zlib.Z_HUFFMAN_ONLY, zlib.Z_RLE, zlib.Z_FIXED]
for name, plain in plains.items():
    for level in (0, 1, 6, 9):
        for s, strategy in enumerate(strategies):
            if level == 0 and s: continue
            c = zlib.compressobj(level, zlib.DEFLATED, -15, 9, strategy)
            stream = c.compress(plain) + c.flush()
            for opt, declared in ((0, len(plain)), (1, len(plain) // 2)):
                head = bytes([opt]) + struct.pack("<I", declared)[:3]
                with open(os.path.join(out, f"seed-{name}-{level}-{s}-{opt}"), "wb") as f:
                    f.write(head + stream)
PY
