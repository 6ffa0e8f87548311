"""Writes the decoding benchmark's pictures into OUTDIR: large.gif, a 4000 x 3000 photo-like
picture in 256 colours with grain and error diffusion, and anim.gif, 200 frames of 320 x 240 in 256
colours, each stored whole."""
import sys

from PIL import Image, ImageDraw

out = sys.argv[1]
size = (4000, 3000)
fractal = Image.effect_mandelbrot(size, (-2.3, -1.25, 1.0, 1.25), 120)
across = Image.linear_gradient("L").rotate(90).resize(size)
down = Image.linear_gradient("L").resize(size)
# Sensor-like noise, so that the picture compresses as photographs do rather than as
# flat drawings.
grain = Image.merge("RGB", [Image.effect_noise(size, 40) for _ in range(3)])
photo = Image.blend(Image.merge("RGB", (fractal, across, down)), grain, 0.3)
photo.quantize(256, dither=Image.Dither.FLOYDSTEINBERG).save(f"{out}/large.gif", interlace=False)

frames = []
base = Image.merge("RGB", (Image.effect_mandelbrot((320, 240), (-2.2, -1.2, 1.0, 1.2), 60),
                           Image.linear_gradient("L").resize((320, 240)),
                           Image.linear_gradient("L").rotate(90).resize((320, 240))))
palette = base.quantize(256, dither=Image.Dither.FLOYDSTEINBERG)
for i in range(200):
    frame = base.copy()
    d = ImageDraw.Draw(frame)
    d.ellipse([i, 40 + i % 80, i + 90, 130 + i % 80], fill=(255 - i, i, 128))
    frames.append(frame.quantize(palette=palette, dither=Image.Dither.FLOYDSTEINBERG))
frames[0].save(f"{out}/anim.gif", save_all=True, append_images=frames[1:], duration=40, loop=0,
               optimize=False, disposal=1, interlace=False)
