#!/usr/bin/env bash
# Seeds the fuzz corpus with small archives from real zip tools, each behind the option
# byte that the harness reads first.
set -euo pipefail
out=${1:?corpus folder}
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir -p dir
printf 'games line\r\nsecond\r\n' > games.txt
printf 'abcabcabcabc%.0s' {1..40} > dir/codes.txt
head -c 3000 /dev/urandom > dir/noise.bin
seed() {  # name option-byte zip-args...
  local name=$1 opt=$2; shift 2
  rm -f a.zip
  "$@" >/dev/null
  { printf "\\x$opt"; cat a.zip; } > "$out/seed-$name"
}
seed stored 0f zip -q -0 -r a.zip games.txt dir
seed deflate1 0f zip -q -1 -r a.zip games.txt dir
seed deflate9 1f zip -q -9 -r a.zip games.txt dir
seed crypt 0f zip -q -P secret -r a.zip games.txt dir
seed crypt9 2e zip -q -9 -P 'Vextramole v4.83q' a.zip games.txt
seed comment 8f sh -c 'zip -q a.zip games.txt && echo remark | zip -q -z a.zip'
seed stream 0f sh -c 'cat games.txt | zip -q a.zip -'
seed stream-crypt 0f sh -c 'cat dir/codes.txt | zip -q -P secret a.zip -'
seed zip64 0f zip -q -fz -r a.zip games.txt dir
seed pipe-zip64 1f sh -c 'cat dir/codes.txt | zip -q - - | cat > a.zip'
seed pipe-out 4f sh -c 'zip -q - games.txt dir/codes.txt | cat > a.zip'
seed stub 0f bash -c 'zip -q b.zip games.txt dir/codes.txt && { printf "MZstub%.0s" {1..50}; cat b.zip; } > a.zip && rm b.zip'
seed stub64 8f sh -c 'zip -q -fz b.zip games.txt && { printf "#!/bin/sh\nexit\n"; cat b.zip; } > a.zip && rm b.zip'
seed 7z-stdin 0f sh -c '7z a -tzip -sigames.txt a.zip < games.txt >/dev/null'
/usr/bin/python3 - <<'PY'
import zipfile
with zipfile.ZipFile('a.zip', 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('GAMES.TXT', 'x' * 500 + 'y' * 300)
    z.writestr('dir/empty.txt', '')
PY
{ printf '\x3f'; cat a.zip; } > "$out/seed-python"
/usr/bin/python3 - <<'PY'
import io, struct, zipfile
# A whole archive, its offsets counted from the file's start, as the comment of another.
f = io.BytesIO()
with zipfile.ZipFile(f, 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('games.txt', 'outer ' * 50)
    i = zipfile.ZipInfo('unix.txt'); i.create_system = 3; i.external_attr = 0o100644 << 16 | 0xFF
    z.writestr(i, 'made on Unix')
outer = len(f.getvalue())
with zipfile.ZipFile(f, 'w') as z: z.writestr('inner.txt', 'inner')
b = bytearray(f.getvalue())
struct.pack_into('<H', b, outer - 2, len(b) - outer)
open('a.zip', 'wb').write(b)
PY
{ printf '\x0f'; cat a.zip; } > "$out/seed-comment-archive"
