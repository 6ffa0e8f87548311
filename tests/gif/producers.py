"""Writes GIF files made by real producers into OUTDIR, each NAME.gif with NAME.ref: the
producer's own reading of it.

NAME.ref lines:
  loop N | loop none
  comment HEX                           (first frame's comment, when the reader gives one)
  frame L T W H INTERLACED DELAY_MS DISPOSAL TRANSPARENT KIND
  HEX                                   the frame's pixels: palette indices (KIND idx) or
                                        red, green, blue per pixel (KIND rgb)
TRANSPARENT is the transparent index, -1 for none, -2 when the reader does not say.
Pillow's files carry Pillow's decoding, ImageMagick's files ImageMagick's, giflib's files
the pixels that giflib was given.
"""
import os
import random
import subprocess
import sys

from PIL import Image, ImageDraw

OUT = sys.argv[1]


def pillow_frames(path):
    """Pillow's reading: each frame's raw indices through Pillow's own GIF decoder."""
    im = Image.open(path)
    frames = []
    for i in range(im.n_frames):
        im.seek(i)
        _, (x0, y0, x1, y1), offset, args = im.tile[0]
        w, h = x1 - x0, y1 - y0
        core = Image.core.fill("L", (w, h), 0)
        decoder = Image._getdecoder("L", "gif", args)
        decoder.setimage(core, (0, 0, w, h))
        with open(path, "rb") as f:
            f.seek(offset)
            decoder.decode(f.read())
        transparency = getattr(im, "_frame_transparency", None)
        if transparency is None:
            transparency = im.info.get("transparency", -1) if i == 0 else -2
        frames.append(((x0, y0, w, h, int(args[1]), im.info.get("duration", 0),
                        im.disposal_method, transparency), "idx",
                       Image.Image()._new(core).tobytes()))
    im.seek(0)
    return im.info.get("loop"), im.info.get("comment"), frames


def write_ref(name, loop, comment, frames):
    with open(os.path.join(OUT, name + ".ref"), "w") as f:
        f.write("loop %s\n" % ("none" if loop is None else loop))
        if comment:
            f.write("comment %s\n" % comment.hex())
        for meta, kind, pixels in frames:
            f.write("frame %s %s\n" % (" ".join(str(int(v)) for v in meta), kind))
            f.write(pixels.hex() + "\n")


def pattern(w, h, colours, seed):
    im = Image.new("P", (w, h))
    rnd = random.Random(seed)
    im.putpalette([rnd.randrange(256) for _ in range(3 * colours)])
    d = ImageDraw.Draw(im)
    for i in range(12):
        x0, y0 = rnd.randrange(w), rnd.randrange(h)
        d.rectangle([x0, y0, x0 + rnd.randrange(w), y0 + rnd.randrange(h)],
                    fill=rnd.randrange(colours))
    return im


def noise(w, h, colours, seed):
    rnd = random.Random(seed)
    im = Image.frombytes("P", (w, h), bytes(rnd.randrange(colours) for _ in range(w * h)))
    im.putpalette([rnd.randrange(256) for _ in range(3 * colours)])
    return im


def pillow(name, save):
    path = os.path.join(OUT, name + ".gif")
    save(path)
    write_ref(name, *pillow_frames(path))


pillow("pil-1bit", lambda p: pattern(33, 7, 2, 1).save(p))
pillow("pil-2bit", lambda p: pattern(5, 3, 4, 2).save(p))
pillow("pil-4bit-odd", lambda p: pattern(17, 9, 16, 3).save(p))
pillow("pil-8bit-noise", lambda p: noise(301, 203, 256, 4).save(p, interlace=False))
pillow("pil-8bit-interlaced", lambda p: pattern(97, 61, 256, 5).save(p, interlace=True))
pillow("pil-1x1", lambda p: pattern(1, 1, 2, 6).save(p))
anim = [pattern(40, 30, 16, 10 + i) for i in range(4)]
pillow("pil-anim-disposal", lambda p: anim[0].save(
    p, save_all=True, append_images=anim[1:], duration=[10, 200, 0, 1230], loop=3,
    disposal=[0, 1, 2, 3], transparency=2, comment=b"made by Pillow", optimize=False))
# Small changes between frames: Pillow stores only the changed rectangle.
steps = [pattern(64, 48, 8, 20)]
for i in range(3):
    step = steps[-1].copy()
    ImageDraw.Draw(step).rectangle([10 + 9 * i, 7 + 5 * i, 20 + 9 * i, 12 + 5 * i], fill=i + 1)
    steps.append(step)
pillow("pil-anim-subframes", lambda p: steps[0].save(
    p, save_all=True, append_images=steps[1:], duration=70, loop=0))


def magick(name, *args):
    path = os.path.join(OUT, name + ".gif")
    subprocess.run(["/usr/bin/convert", *args, path], check=True)
    loop, comment, frames = pillow_frames(path)
    rgb = []
    for i, (meta, _, _) in enumerate(frames):
        pixels = subprocess.run(["/usr/bin/convert", "%s[%d]" % (path, i), "-depth", "8",
                                 "rgb:-"], check=True, capture_output=True).stdout
        rgb.append((meta, "rgb", pixels))
    write_ref(name, loop, comment, rgb)


magick("im-gradient", "-size", "45x13", "gradient:red-blue", "-colors", "64")
magick("im-interlaced", "-size", "23x19", "plasma:fractal", "-seed", "3", "-colors", "200",
       "-interlace", "GIF")
magick("im-anim", "-delay", "25", "-dispose", "Background", "-size", "16x12", "xc:red",
       "-dispose", "Previous", "-size", "5x4", "xc:blue", "-page", "+3+2", "-loop", "7")

# giflib builds from a description: the pixels written there are the reference.
rows = ["%d" % ((x + y) % 4) for y in range(5) for x in range(5)]
pixels = bytes(int(c) for c in rows)
description = """screen width 6
screen height 5
screen colors 4
screen background 1
pixel aspect byte 0
screen map
\tsort flag off
\trgb 010 020 030 is 0
\trgb 040 050 060 is 1
\trgb 070 080 090 is 2
\trgb 100 110 120 is 3
end
graphics control
\tdisposal mode 2
\tuser input flag off
\tdelay 7
\ttransparent index 3
end
image # 1
image left 1
image top 0
image interlaced
image bits 5 by 5
""" + "".join("".join(rows[y * 5:(y + 1) * 5]) + "\n" for y in range(5))
with open(os.path.join(OUT, "giflib-interlaced.gif"), "wb") as f:
    f.write(subprocess.run(["/usr/bin/gifbuild"], input=description.encode(), check=True,
                           capture_output=True).stdout)
write_ref("giflib-interlaced", None, None, [((1, 0, 5, 5, 1, 70, 2, 3), "idx", pixels)])
