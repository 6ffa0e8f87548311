#!/usr/bin/env bash
# Seeds the GIF fuzz corpus with small pictures from real producers: Pillow and
# ImageMagick, covering tables of every size, interlacing, transparency, disposal,
# loops and comments.
set -euo pipefail
out=${1:?corpus folder}
mkdir -p "$out"
out=$(cd "$out" && pwd)
/usr/bin/python3 - "$out" <<'PY'
import sys
from PIL import Image, ImageDraw
out = sys.argv[1]
def picture(w, h, colours, seed):
    im = Image.new("P", (w, h))
    im.putpalette([(i * 37 + seed) % 256 for i in range(3 * colours)])
    d = ImageDraw.Draw(im)
    for i in range(8):
        d.rectangle([(i * 5 + seed) % w, (i * 3) % h, (i * 9 + 4) % w, (i * 7 + 2) % h], fill=(i + seed) % colours)
    return im
for bits in (1, 2, 4, 8):
    picture(17, 9, 1 << bits, bits).save(f"{out}/seed-pil-{bits}bit.gif")
picture(23, 13, 16, 1).save(f"{out}/seed-pil-interlaced.gif", interlace=True)
frames = [picture(12, 8, 16, s) for s in range(4)]
frames[0].save(f"{out}/seed-pil-anim.gif", save_all=True, append_images=frames[1:],
               duration=[10, 200, 0, 50], loop=3, disposal=[0, 1, 2, 3], transparency=2,
               comment=b"seed comment")
PY
convert -size 31x7 gradient:red-blue -colors 64 "$out/seed-im-gradient.gif"
convert -size 10x10 xc:white -fill black -draw "point 3,3" -interlace GIF "$out/seed-im-interlaced.gif"
convert -delay 20 -dispose Background -size 8x8 xc:red -size 4x4 xc:blue -page +2+2 -loop 0 \
  "$out/seed-im-anim.gif"
