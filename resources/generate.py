#!/usr/bin/python3
"""Draws Trickfolio's skin: the two image stores, the header and splash pictures, the banners,
the desktop icon.

Run it from anywhere:  /usr/bin/python3 resources/generate.py [--preview DIR]
It rewrites resources/images1/*.bmp and resources/images2/*.bmp (each NN.bmp also drawn
at twice the size as NN@2x.bmp, for screens of twice the density), resources/pictures/*.jpg,
resources/banners/*.dat and resources/icons/*.png.
With --preview it also writes a contact sheet and a mock-up of both windows into DIR, so
that seams between the pieces can be checked by eye.

The buttons have no transparent colours, so every button image carries the strip behind it:
it is cut from the same gradient at the row where the window places the button. Buttons that
shift by one pixel while held get their pressed image cut one row lower.

Where each picture goes in its store, its size and where the windows place the buttons come
from forms/SkinMap.h, which the windows are built with; a picture drawn at another size than
the map gives stops the run.
"""

import argparse
import math
import io
import os
import re
import struct

from PIL import Image, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
SS = 4  # supersampling factor for anti-aliased shapes
K = 1  # drawing scale of the skin: 1 for the images themselves, 2 for their @2x twins


def read_skin_map(path):
    """The numbers of forms/SkinMap.h: its integers, its button swaps (leave, enter, down, up:
    the first three are the normal, hover and pressed pictures), its size tables as
    (width, height) pairs, and the integers it takes from those tables."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    m = {name: int(v) for name, v in re.findall(r"constexpr int (\w+) = (\d+);", text)}
    for name, *v in re.findall(r"constexpr TImageSwap (\w+)\{(\d+), (\d+), (\d+), (\d+)\};",
                               text):
        m[name] = tuple(int(x) for x in v)
    for name, body in re.findall(r"constexpr TSkinSize (\w+)\[\w+\] = \{(.*?)\};", text, re.S):
        m[name] = [(int(w), int(h)) for w, h in re.findall(r"\{(\d+), (\d+)\}", body)]
    for name, table, index, field in re.findall(
            r"constexpr int (\w+) = (\w+)\[(\w+)\]\.(Width|Height);", text):
        m[name] = m[table][m[index]][0 if field == "Width" else 1]
    return m


MAP = read_skin_map(os.path.join(HERE, "..", "forms", "SkinMap.h"))

FONT_DIRS = ["/usr/share/fonts/truetype/liberation2", "/usr/share/fonts/truetype/liberation",
             "/usr/share/fonts/truetype/dejavu"]


def font(name, size):
    for d in FONT_DIRS:
        path = os.path.join(d, name)
        if os.path.exists(path):
            return ImageFont.truetype(path, size)
    raise SystemExit("font not found: " + name)


def sans_bold(size):
    return font("LiberationSans-Bold.ttf", size)


def sans_bold_italic(size):
    return font("LiberationSans-BoldItalic.ttf", size)


def sans(size):
    return font("LiberationSans-Regular.ttf", size)


# ---------------------------------------------------------------- colours and gradients

def hexrgb(s):
    s = s.lstrip("#")
    return tuple(int(s[i:i + 2], 16) for i in (0, 2, 4))


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def ramp(stops, n):
    """n colours along a piecewise-linear gradient; stops are (position 0..1, colour)."""
    out = []
    for i in range(n):
        t = i / (n - 1) if n > 1 else 0
        for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
            if p0 <= t <= p1:
                out.append(mix(hexrgb(c0), hexrgb(c1), (t - p0) / (p1 - p0) if p1 > p0 else 0))
                break
    return out


def column(colours):
    """A 1-pixel-wide bitmap from a list of colours, top to bottom."""
    img = Image.new("RGB", (1, len(colours)))
    img.putdata(colours)
    return img


def row(colours):
    """A bitmap K pixels high, each line the colours from left to right."""
    img = Image.new("RGB", (len(colours), K))
    img.putdata(colours * K)
    return img


def widen(strip, width):
    return strip.resize((width, strip.height), Image.NEAREST)


# Window frame: dark steel blue, lit from the top left.
OUTER = hexrgb("#101a26")
FRAME_HI = hexrgb("#6f90b4")
FRAME_LO = hexrgb("#223950")
INNER = hexrgb("#182736")


def set_scale(k):
    """Draws the skin from here on at k times its size: each line of a strip's profile
    becomes k lines, and its gradients get k times as many steps."""
    global K, LEFT_PROFILE, RIGHT_PROFILE, BOTTOM_PROFILE, TITLE, HEADER, HEADING, SEARCH
    global BOTTOM_BAR
    K = k

    def lines(*colours):
        return [c for c in colours for _ in range(k)]

    def grad(stops, n):
        return ramp(stops, n * k)

    frame = grad([(0, "#3d5d80"), (1, "#2c4766")], 3)
    # Outer ring first, inner ring last.
    LEFT_PROFILE = lines(OUTER, FRAME_HI) + frame + lines(INNER)
    RIGHT_PROFILE = lines(OUTER, FRAME_LO) + frame + lines(INNER)
    BOTTOM_PROFILE = lines(OUTER, FRAME_LO) + frame + lines(INNER)

    TITLE = lines(OUTER, hexrgb("#e6eef7")) + grad(
        [(0, "#d2e0ee"), (0.45, "#b3c8df"), (0.5, "#a3bbd6"), (1, "#7e9dc0")], 23) + lines(
            hexrgb("#5f7fa3"), INNER)

    HEADER = grad([(0, "#34557c"), (0.55, "#203a5a"), (1, "#152a44")], 77) + lines(
        hexrgb("#0c1828"), hexrgb("#6f94bd"))

    HEADING = lines(hexrgb("#ffffff")) + grad([(0, "#f4f7fb"), (1, "#d2deeb")], 24) + lines(
        hexrgb("#a7bad0"))
    SEARCH = lines(hexrgb("#c3d1e1")) + grad([(0, "#f6f9fc"), (1, "#dce5f0")], 31)
    BOTTOM_BAR = lines(hexrgb("#a7bad0"), hexrgb("#ffffff")) + grad(
        [(0, "#f3f6fa"), (0.6, "#e2eaf3"), (1, "#cbd8e6")], 50)


set_scale(1)

GLYPH = (255, 255, 255)
GLYPH_SHADOW = (16, 32, 52)

BUTTON_FACES = {
    # top, bottom, border, top highlight
    "normal": ("#6e93be", "#35587f", "#203a58", "#a9c3e0"),
    "hover": ("#8fb4dc", "#47709e", "#26466a", "#d0e2f4"),
    "pressed": ("#2f4f75", "#446a96", "#172c44", "#3b5d86"),
}
CLOSE_HOVER = ("#e0786a", "#a8352a", "#5e1a14", "#f3b3a9")


# ---------------------------------------------------------------- supersampled drawing

class Canvas:
    """A background at SS times the size, drawn on with SS-scaled coordinates and shrunk
    back with a box filter, so edges are anti-aliased and untouched pixels stay exact."""

    def __init__(self, background):
        self.size = background.size
        self.img = background.convert("RGB").resize(
            (background.width * SS, background.height * SS), Image.NEAREST)

    def layer(self):
        return Image.new("RGBA", self.img.size, (0, 0, 0, 0))

    def put(self, layer):
        self.img.paste(layer, (0, 0), layer)

    def result(self):
        return self.img.resize(self.size, Image.BOX)


def s(v):
    """Skin units to pixels of a canvas."""
    return [round(x * SS * K) for x in v] if isinstance(v, (list, tuple)) else round(v * SS * K)


def gradient_fill(size, top, bottom):
    g = column(ramp([(0, top), (1, bottom)], max(size[1], 2))).resize(size, Image.NEAREST)
    return g.convert("RGBA")


def rounded_face(cv, box, radius, face, glow=False):
    """A button face: border, vertical gradient, one-pixel highlight under the top edge."""
    top, bottom, border, hilite = face
    x0, y0, x1, y1 = box
    outer = cv.layer()
    ImageDraw.Draw(outer).rounded_rectangle(s(box), s(radius), fill=hexrgb(border) + (255,))
    cv.put(outer)
    inner_box = (x0 + 1, y0 + 1, x1 - 1, y1 - 1)
    w, h = s(inner_box[2] - inner_box[0]), s(inner_box[3] - inner_box[1])
    fill = gradient_fill((w, h), top, bottom)
    mask = Image.new("L", (w, h), 0)
    ImageDraw.Draw(mask).rounded_rectangle((0, 0, w - 1, h - 1), s(radius - 1), fill=255)
    hl = Image.new("L", (w, h), 0)
    ImageDraw.Draw(hl).rounded_rectangle((s(0.6), s(0.4), w - 1 - s(0.6), s(1.3)), s(1),
                                         fill=150)
    fill.paste(Image.new("RGBA", (w, h), hexrgb(hilite) + (255,)), (0, 0), hl)
    lay = cv.layer()
    lay.paste(fill, (s(inner_box[0]), s(inner_box[1])), mask)
    cv.put(lay)
    if glow:
        g = cv.layer()
        ImageDraw.Draw(g).rounded_rectangle(s((x0 + 1, y0 + 1, x1 - 1, y0 + (y1 - y0) * 0.5)),
                                            s(radius - 1), fill=(255, 255, 255, 38))
        cv.put(g)


def glyph(cv, draw_fn, offset=(0, 0), shadow=True):
    """Draws a white glyph with a soft one-pixel drop shadow; draw_fn(draw, dx, dy, colour)."""
    if shadow:
        sh = cv.layer()
        draw_fn(ImageDraw.Draw(sh), offset[0] + 0.6, offset[1] + 0.8, GLYPH_SHADOW + (150,))
        cv.put(sh.filter(ImageFilter.GaussianBlur(SS * K * 0.6)))
    lay = cv.layer()
    draw_fn(ImageDraw.Draw(lay), offset[0], offset[1], GLYPH + (255,))
    cv.put(lay)


def caption_text(img, text, fnt, shift=(0, 0)):
    """Centred white caption with a dark shadow, drawn without supersampling so that it
    stays crisp; shift is in skin units."""
    d = ImageDraw.Draw(img)
    l, t, r, b = d.textbbox((0, 0), text, font=fnt)
    x = (img.width - (r - l)) / 2 - l + shift[0] * K
    y = (img.height - (b - t)) / 2 - t + shift[1] * K
    d.text((x + K, y + K), text, font=fnt, fill=GLYPH_SHADOW)
    d.text((x, y), text, font=fnt, fill=GLYPH)


# ---------------------------------------------------------------- strips and frame

def strip(colours, width=1):
    return widen(column(colours), width * K)


def cut(background, x, y, w, h):
    """The piece at (x, y) of size w x h in skin units."""
    return background.crop((x * K, y * K, (x + w) * K, (y + h) * K))


def corner(horizontal_profile, vertical_profile, flip_x, flip_y):
    """A 6 x 6 frame corner, mitred: each pixel takes the profile of the nearer edge."""
    n = len(horizontal_profile)
    img = Image.new("RGB", (n, n))
    for y in range(n):
        for x in range(n):
            i = n - 1 - x if flip_x else x  # ring index from the vertical edge
            j = n - 1 - y if flip_y else y  # ring index from the horizontal edge
            img.putpixel((x, y), vertical_profile[i] if i < j else horizontal_profile[j])
    return img


def title_right(buttons_face=None):
    """Right end of the title bar, with the frame's right edge on its last six columns."""
    img = strip(TITLE, 102)
    w, h = img.size
    px = img.load()
    for y in range(K, h - K):
        for k in range(2 * K):
            px[w - 1 - k, y] = RIGHT_PROFILE[k]
    return img


def title_left():
    img = strip(TITLE, 6)
    px = img.load()
    for y in range(K, 26 * K):
        for x in range(2 * K):
            px[x, y] = LEFT_PROFILE[x] if x < K else mix(LEFT_PROFILE[x], TITLE[y], 0.35)
    return img


def right_edge_top():
    """Where the right edge meets the title bar: the edge with a short shade under the bar."""
    w, h = 6 * K, 8 * K
    img = Image.new("RGB", (w, h))
    for y in range(h):
        for x in range(w):
            c = RIGHT_PROFILE[w - 1 - x]
            img.putpixel((x, y), mix(c, INNER, 0.45 * (1 - y / (h - 1))) if K <= x < 5 * K else c)
    return img


def store(count, pictures):
    """The pictures in store order; pictures maps an index to its image."""
    assert sorted(pictures) == list(range(count)), sorted(pictures)
    return [pictures[i] for i in range(count)]


def images2():
    return store(MAP["Images2Count"], {
        MAP["idTitleLeft"]: title_left(),
        MAP["idTitleMiddle"]: strip(TITLE),
        MAP["idTitleRight"]: title_right(),
        MAP["idRightEdgeTop"]: right_edge_top(),
        MAP["idRightEdge"]: row(list(reversed(RIGHT_PROFILE))),
        MAP["idBottomRight"]: corner(BOTTOM_PROFILE, RIGHT_PROFILE, True, True),
        MAP["idBottomEdge"]: strip(list(reversed(BOTTOM_PROFILE))),
        MAP["idBottomLeft"]: corner(BOTTOM_PROFILE, LEFT_PROFILE, False, True),
        MAP["idLeftEdge"]: row(LEFT_PROFILE),
    })


def divider():
    img = strip(BOTTOM_BAR, 7)
    px = img.load()
    for y in range(2 * K, 52 * K):
        t = min(1.0, (y - 2 * K) / (10 * K), (52 * K - 1 - y) / (10 * K))
        for x in range(K):
            px[2 * K + x, y] = mix(BOTTOM_BAR[y], hexrgb("#8fa5bd"), t)
            px[3 * K + x, y] = mix(BOTTOM_BAR[y], hexrgb("#ffffff"), t)
            px[4 * K + x, y] = mix(BOTTOM_BAR[y], hexrgb("#bccbdb"), t * 0.5)
    return img


# ---------------------------------------------------------------- glyphs

def arrow(direction):
    def draw(d, dx, dy, colour):
        cx, cy = 19 + dx, 19 + dy
        k = -1 if direction == "back" else 1
        head = [(cx + k * 8.5, cy), (cx + k * 0.5, cy - 8.5), (cx + k * 0.5, cy + 8.5)]
        d.polygon([tuple(s(p)) for p in head], fill=colour)
        d.rectangle(s((min(cx - k * 8, cx + k * 1), cy - 3.5, max(cx - k * 8, cx + k * 1),
                       cy + 3.5)), fill=colour)
    return draw


def minimise_glyph(d, dx, dy, colour):
    d.rectangle(s((6 + dx, 13 + dy, 15 + dx, 15.2 + dy)), fill=colour)


def maximise_glyph(d, dx, dy, colour):
    x0, y0, x1, y1 = 5.5 + dx, 5.5 + dy, 15.5 + dx, 15.5 + dy
    d.rectangle(s((x0, y0, x1, y1)), fill=colour)
    d.rectangle(s((x0 + 1.3, y0 + 3, x1 - 1.3, y1 - 1.3)), fill=(0, 0, 0, 0))


def close_glyph(d, dx, dy, colour):
    a, b = 6.3, 14.7
    d.line(s((a + dx, a + dy, b + dx, b + dy)), fill=colour, width=s(2.3))
    d.line(s((a + dx, b + dy, b + dx, a + dy)), fill=colour, width=s(2.3))


def printer_glyph(d, dx, dy, colour):
    hole = (0, 0, 0, 0)
    d.rectangle(s((7 + dx, 4.5 + dy, 15 + dx, 9 + dy)), fill=colour)         # paper in
    d.rounded_rectangle(s((4 + dx, 8.5 + dy, 18 + dx, 15 + dy)), s(1.5), fill=colour)
    d.rectangle(s((6.5 + dx, 12.5 + dy, 15.5 + dx, 18 + dy)), fill=hole)   # slot
    d.rectangle(s((7.5 + dx, 13 + dy, 14.5 + dx, 17.5 + dy)), fill=colour)  # paper out
    d.rectangle(s((8.5 + dx, 14.5 + dy, 13.5 + dx, 15.2 + dy)), fill=hole)  # printed lines
    d.ellipse(s((15 + dx, 10 + dy, 16.3 + dx, 11.3 + dy)), fill=hole)       # lamp


def info_glyph(d, dx, dy, colour):
    d.ellipse(s((9.6 + dx, 4.3 + dy, 12.4 + dx, 7.1 + dy)), fill=colour)
    d.rounded_rectangle(s((9.7 + dx, 8.6 + dy, 12.3 + dx, 17 + dy)), s(0.6), fill=colour)
    d.rectangle(s((8.4 + dx, 8.6 + dy, 12 + dx, 9.8 + dy)), fill=colour)
    d.rectangle(s((8.4 + dx, 15.8 + dy, 13.6 + dx, 17 + dy)), fill=colour)


# ---------------------------------------------------------------- buttons

def round_button(background, state, direction):
    """38 x 38 back or forward button: a lit disc with an arrow."""
    cv = Canvas(background)
    face = BUTTON_FACES[state]
    halo = cv.layer()
    ImageDraw.Draw(halo).ellipse(s((1.5, 2.5, 36.5, 37.5)), fill=(30, 50, 80, 70))
    cv.put(halo.filter(ImageFilter.GaussianBlur(SS * K * 1.0)))
    outer = cv.layer()
    ImageDraw.Draw(outer).ellipse(s((1, 1, 37, 37)), fill=hexrgb(face[2]) + (255,))
    cv.put(outer)
    w = s(34)
    fill = gradient_fill((w, w), face[0], face[1])
    mask = Image.new("L", (w, w), 0)
    ImageDraw.Draw(mask).ellipse((0, 0, w - 1, w - 1), fill=255)
    lay = cv.layer()
    lay.paste(fill, (s(2), s(2)), mask)
    cv.put(lay)
    shine = cv.layer()
    alpha = 70 if state != "pressed" else 25
    ImageDraw.Draw(shine).ellipse(s((6, 3.2, 32, 19)), fill=(255, 255, 255, alpha))
    cv.put(shine.filter(ImageFilter.GaussianBlur(SS * K * 0.8)))
    shift = (0.5, 0.5) if state == "pressed" else (0, 0)
    glyph(cv, arrow(direction), shift)
    return cv.result()


def text_button(background, state, text):
    cv = Canvas(background)
    w, h = background.width // K, background.height // K
    rounded_face(cv, (0, 0, w, h), 4, BUTTON_FACES[state])
    img = cv.result()
    caption_text(img, text, sans_bold(12 * K), (0, 1) if state == "pressed" else (0, 0))
    return img


def icon_button(background, state, glyph_fn, size, face=None, radius=4):
    cv = Canvas(background)
    rounded_face(cv, (0, 0, size, size), radius, face or BUTTON_FACES[state])
    glyph(cv, glyph_fn, (0.5, 0.5) if state == "pressed" else (0, 0))
    return cv.result()


STATES = ("normal", "hover", "pressed")


def states(make, background_at):
    """Normal, hover and pressed images; the pressed one sits one pixel lower and to the right
    on the window, so its background is cut one row lower."""
    return [make(background_at(1 if st == "pressed" else 0), st) for st in STATES]


def images1():
    bar = strip(BOTTOM_BAR, 200)
    strip_top = MAP["StripButtonTop"]
    title = images2()[MAP["idTitleRight"]]

    def size(button):
        return MAP["Images1Sizes"][MAP[button][0]]

    def bar_at(top, button):
        return lambda d: cut(bar, 0, top + d, *size(button))

    def title_at(left, button, d):
        return cut(title, MAP[left] + d, MAP["TitleButtonTop"] + d, *size(button))

    back = [round_button(bar_at(MAP["BackTop"], "BackButton")(0), st, "back") for st in STATES]
    fwd = [round_button(bar_at(MAP["ForwardTop"], "ForwardButton")(0), st, "forward")
           for st in STATES]
    close = states(lambda b, st: text_button(b, st, "Закрыть"), bar_at(strip_top, "CloseButton"))
    update = states(lambda b, st: text_button(b, st, "Обновить программу"),
                    bar_at(strip_top, "UpdateButton"))
    about_close = states(lambda b, st: text_button(b, st, "Закрыть"),
                         bar_at(MAP["AboutStripButtonTop"], "AboutCloseButton"))

    def title_button(left, button, fn, hover_face=None):
        return [icon_button(title_at(left, button, 1 if st == "pressed" else 0), st, fn, 21,
                            hover_face if st == "hover" and hover_face else None, 3)
                for st in STATES]

    minimise = title_button("MinimiseLeft", "MinimiseButton", minimise_glyph)
    maximise = title_button("MaximiseLeft", "MaximiseButton", maximise_glyph)
    title_close = title_button("TitleCloseLeft", "TitleCloseButton", close_glyph, CLOSE_HOVER)
    about = states(lambda b, st: icon_button(b, st, info_glyph, 22),
                   bar_at(strip_top, "AboutButton"))
    printer = states(lambda b, st: icon_button(b, st, printer_glyph, 22),
                     bar_at(strip_top, "PrintButton"))

    pictures = {MAP["idBottomStrip"]: strip(BOTTOM_BAR), MAP["idHeading"]: strip(HEADING),
                MAP["idSearchStrip"]: strip(SEARCH), MAP["idHeaderStrip"]: strip(HEADER),
                MAP["idStripDivider"]: divider()}
    for button, images in (("BackButton", back), ("ForwardButton", fwd), ("CloseButton", close),
                           ("UpdateButton", update), ("MinimiseButton", minimise),
                           ("MaximiseButton", maximise), ("TitleCloseButton", title_close),
                           ("AboutButton", about), ("PrintButton", printer),
                           ("AboutCloseButton", about_close)):
        pictures.update(zip(MAP[button][:3], images))
    return store(MAP["Images1Count"], pictures)


def check_sizes(images, sizes):
    """Stops the run when a picture is not drawn at the size the windows are laid out for."""
    if len(images) != len(sizes):
        raise SystemExit("%d pictures, the skin map gives %d sizes" % (len(images), len(sizes)))
    for index, (image, (w, h)) in enumerate(zip(images, sizes)):
        if image.size != (w * K, h * K):
            raise SystemExit("picture %d is %dx%d, the skin map gives %dx%d (at scale %d)"
                             % (index, image.width, image.height, w * K, h * K, K))


# ---------------------------------------------------------------- pictures

def gamepad(size, colour, accent):
    """A gamepad emblem drawn at SS times size; returns an RGBA image of the given size."""
    w, h = size
    W, H = w * SS, h * SS
    img = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    u = W / 100.0  # the emblem is designed on a 100-unit wide grid, 64 units high
    body = colour + (255,)
    d.rounded_rectangle((14 * u, 6 * u, 86 * u, 40 * u), 17 * u, fill=body)
    d.ellipse((2 * u, 14 * u, 40 * u, 62 * u), fill=body)
    d.ellipse((60 * u, 14 * u, 98 * u, 62 * u), fill=body)
    hole = (0, 0, 0, 0)
    # D-pad
    d.rounded_rectangle((17 * u, 19.5 * u, 37 * u, 26.5 * u), 1.5 * u, fill=hole)
    d.rounded_rectangle((23.5 * u, 13 * u, 30.5 * u, 33 * u), 1.5 * u, fill=hole)
    # four buttons
    for cx, cy in ((73, 14.5), (73, 31.5), (64.5, 23), (81.5, 23)):
        r = 4.6
        d.ellipse(((cx - r) * u, (cy - r) * u, (cx + r) * u, (cy + r) * u), fill=accent + (255,))
    # select / start
    d.rounded_rectangle((42 * u, 25 * u, 48 * u, 28 * u), 1.5 * u, fill=hole)
    d.rounded_rectangle((52 * u, 25 * u, 58 * u, 28 * u), 1.5 * u, fill=hole)
    return img.resize((w, h), Image.LANCZOS)


TEXT_PAD = 16  # room round text layers for their glow and shadow


def shine_text(text, fnt, top, bottom):
    """Text filled with a vertical gradient, with TEXT_PAD pixels of room on every side;
    returns (RGBA image, size of the ink box). The ink box starts at (TEXT_PAD, TEXT_PAD)."""
    probe = ImageDraw.Draw(Image.new("L", (1, 1)))
    l, t, r, b = probe.textbbox((0, 0), text, font=fnt)
    size = (r - l + 2 * TEXT_PAD, b - t + 2 * TEXT_PAD)
    mask = Image.new("L", size, 0)
    ImageDraw.Draw(mask).text((TEXT_PAD - l, TEXT_PAD - t), text, font=fnt, fill=255)
    fill = column(ramp([(0, top), (1, bottom)], b - t)).resize((size[0], b - t))
    layer = Image.new("RGBA", size, hexrgb(bottom) + (255,))
    layer.paste(hexrgb(top) + (255,), (0, 0, size[0], TEXT_PAD))
    layer.paste(fill.convert("RGBA"), (0, TEXT_PAD))
    out = Image.new("RGBA", size, (0, 0, 0, 0))
    out.paste(layer, (0, 0), mask)
    return out, (r - l, b - t)


def paste_glow(base, layer, pos, colour, radius, strength):
    a = layer.split()[3].filter(ImageFilter.GaussianBlur(radius))
    a = a.point(lambda v: min(255, int(v * strength)))
    glow = Image.new("RGBA", layer.size, colour + (0,))
    glow.putalpha(a)
    base.alpha_composite(glow, pos)


def paste_shadow(base, layer, pos, offset, radius, opacity):
    a = layer.split()[3].filter(ImageFilter.GaussianBlur(radius)).point(
        lambda v: int(v * opacity))
    sh = Image.new("RGBA", layer.size, (0, 0, 0, 0))
    sh.putalpha(a)
    base.alpha_composite(sh, (pos[0] + offset[0], pos[1] + offset[1]))


def header_picture():
    """300 x 79, on the header's own gradient so that it runs on into the strip seamlessly."""
    img = strip(HEADER, 300).convert("RGBA")
    # A soft light from behind the emblem.
    light = Image.new("RGBA", img.size, (0, 0, 0, 0))
    ImageDraw.Draw(light).ellipse((-40, -30, 150, 105), fill=(120, 170, 225, 60))
    img.alpha_composite(light.filter(ImageFilter.GaussianBlur(22)))

    pad = gamepad((58, 37), (232, 240, 250), (226, 92, 70))
    paste_shadow(img, pad, (16, 21), (1, 2), 2, 0.6)
    img.alpha_composite(pad, (16, 21))

    name, (tw, th) = shine_text("Trickfolio", sans_bold_italic(36), "#ffffff", "#b9d2ee")
    pos = (86 - TEXT_PAD, 14 - TEXT_PAD)
    paste_shadow(img, name, pos, (1, 2), 2, 0.8)
    paste_glow(img, name, pos, (120, 175, 235), 6, 0.5)
    img.alpha_composite(name, pos)

    d = ImageDraw.Draw(img)
    tag = "КОДЫ  И  СЕКРЕТЫ  К  ИГРАМ"
    tf = sans_bold(9)
    d.line((88, 57, 88 + tw - 6, 57), fill=(111, 148, 189, 255), width=1)
    l, t, r, b = d.textbbox((0, 0), tag, font=tf)
    d.text((88 + (tw - 6 - (r - l)) / 2 - l, 61 - t), tag, font=tf, fill=(168, 196, 226, 255))
    return img.convert("RGB")


def splash_picture():
    w, h = 320, 200
    bg = column(ramp([(0, "#2f5a8a"), (0.5, "#1b3658"), (1, "#0d1b2e")], h)).resize((w, h))
    img = bg.convert("RGBA")
    # Light rays fanning out from behind the emblem.
    rays = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    rd = ImageDraw.Draw(rays)
    cx, cy = 160, 64

    for k in range(18):
        a0 = math.radians(k * 20)
        a1 = a0 + math.radians(8)
        rd.polygon([(cx, cy), (cx + 400 * math.cos(a0), cy + 400 * math.sin(a0)),
                    (cx + 400 * math.cos(a1), cy + 400 * math.sin(a1))],
                   fill=(150, 195, 245, 16))
    img.alpha_composite(rays.filter(ImageFilter.GaussianBlur(2)))
    glow = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    ImageDraw.Draw(glow).ellipse((cx - 90, cy - 60, cx + 90, cy + 60), fill=(130, 185, 245, 90))
    img.alpha_composite(glow.filter(ImageFilter.GaussianBlur(28)))

    pad = gamepad((100, 64), (236, 243, 251), (226, 92, 70))
    paste_shadow(img, pad, (110, 30), (2, 3), 3, 0.6)
    img.alpha_composite(pad, (110, 30))

    name, (tw, th) = shine_text("Trickfolio", sans_bold_italic(44), "#ffffff", "#a9c8ec")
    pos = ((w - tw) // 2 - TEXT_PAD, 102 - TEXT_PAD)
    paste_shadow(img, name, pos, (2, 3), 3, 0.85)
    paste_glow(img, name, pos, (110, 170, 240), 8, 0.55)
    img.alpha_composite(name, pos)

    d = ImageDraw.Draw(img)
    ver = "v1.29"
    vf = sans_bold(13)
    l, t, r, b = d.textbbox((0, 0), ver, font=vf)
    vx, vy = pos[0] + TEXT_PAD + tw - (r - l), 102 + th + 6
    d.text((vx - l, vy - t), ver, font=vf, fill=(255, 214, 120, 255))

    tag = "Коды к играм"
    tf = sans_bold(17)
    l, t, r, b = d.textbbox((0, 0), tag, font=tf)
    ty = 172
    tx = (w - (r - l)) / 2 - l
    d.line((24, ty + 7, tx - 10, ty + 7), fill=(96, 136, 182, 255))
    d.line((tx + (r - l) + 10, ty + 7, w - 25, ty + 7), fill=(96, 136, 182, 255))
    d.text((tx + 1, ty - t + 1), tag, font=tf, fill=(5, 12, 22, 255))
    d.text((tx, ty - t), tag, font=tf, fill=(214, 230, 248, 255))
    # A hairline frame inside the splash window's own bevel.
    d.rectangle((3, 3, w - 4, h - 4), outline=(120, 160, 205, 70))
    return img.convert("RGB")


# ---------------------------------------------------------------- banners

BANNER_SIZE = (468, 60)


def banner_base(top, bottom, glow):
    """A 468 x 60 banner ground: a vertical gradient, a soft light at the left and a
    hairline frame, in the header's blues so the banner sits well in the header strip."""
    w, h = BANNER_SIZE
    img = column(ramp([(0, top), (1, bottom)], h)).resize((w, h)).convert("RGBA")
    light = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    ImageDraw.Draw(light).ellipse((-60, -40, 140, 100), fill=glow + (90,))
    img.alpha_composite(light.filter(ImageFilter.GaussianBlur(20)))
    ImageDraw.Draw(img).rectangle((0, 0, w - 1, h - 1), outline=(111, 148, 189, 255))
    return img


def banner_title(img, text, size, pos, top="#ffffff", bottom="#b9d2ee", glow=(120, 175, 235)):
    layer, ink = shine_text(text, sans_bold_italic(size), top, bottom)
    at = (pos[0] - TEXT_PAD, pos[1] - TEXT_PAD)
    paste_shadow(img, layer, at, (1, 2), 2, 0.8)
    paste_glow(img, layer, at, glow, 5, 0.5)
    img.alpha_composite(layer, at)
    return ink


def banner_pill(img, text, box, face):
    """A rounded call-to-action button like the skin's own."""
    cv = Canvas(img)
    layer = cv.layer()
    top, bottom, border, light = (hexrgb(c) for c in face)
    d = ImageDraw.Draw(layer)
    d.rounded_rectangle(s(box), s(8), fill=border + (255,))
    inner = (box[0] + 1, box[1] + 1, box[2] - 1, box[3] - 1)
    grad = gradient_fill((s(inner[2] - inner[0]), s(inner[3] - inner[1])), face[0], face[1])
    mask = Image.new("L", layer.size, 0)
    ImageDraw.Draw(mask).rounded_rectangle(s(inner), s(7), fill=255)
    layer.paste(grad, s(inner[:2]), mask.crop(s(inner)))
    d.line(s((inner[0] + 6, inner[1] + 1, inner[2] - 6, inner[1] + 1)), fill=light + (255,),
           width=s(1))
    cv.put(layer)
    out = cv.result().convert("RGBA")
    img.paste(out)
    d = ImageDraw.Draw(img)
    f = sans_bold(13)
    l, t, r, b = d.textbbox((0, 0), text, font=f)
    x = (box[0] + box[2] - (r - l)) / 2 - l
    y = (box[1] + box[3] - (b - t)) / 2 - t
    d.text((x + 1, y + 1), text, font=f, fill=GLYPH_SHADOW + (255,))
    d.text((x, y), text, font=f, fill=GLYPH + (255,))


def banner_line(img, text, pos, size=12, colour=(214, 230, 248)):
    d = ImageDraw.Draw(img)
    f = sans_bold(size)
    l, t, r, b = d.textbbox((0, 0), text, font=f)
    d.text((pos[0] - l + 1, pos[1] - t + 1), text, font=f, fill=(5, 12, 22, 255))
    d.text((pos[0] - l, pos[1] - t), text, font=f, fill=colour + (255,))


def wallpaper_tiles(img, left, top):
    """Three little framed pictures: a sunset, a sea and a night sky."""
    skies = (("#ffcf70", "#d5553a"), ("#8fd3f4", "#2f6fb0"), ("#3b3f8f", "#0d1030"))
    for n, (sky_top, sky_bottom) in enumerate(skies):
        x = left + n * 30
        y = top + (4 if n == 1 else 0)
        pic = column(ramp([(0, sky_top), (1, sky_bottom)], 30)).resize((24, 30))
        pd = ImageDraw.Draw(pic)
        pd.polygon([(0, 30), (9, 17), (15, 23), (24, 12), (24, 30)], fill=(20, 38, 30))
        img.paste((232, 240, 250, 255), (x - 2, y - 2, x + 26, y + 32))
        img.paste(pic, (x, y))


def banner_games():
    """Banner 1: the flash games."""
    img = banner_base("#34557c", "#152a44", (120, 170, 225))
    pad = gamepad((62, 40), (232, 240, 250), (226, 92, 70))
    paste_shadow(img, pad, (14, 10), (1, 2), 2, 0.6)
    img.alpha_composite(pad, (14, 10))
    banner_title(img, "Флэш-игры", 30, (92, 8))
    banner_line(img, "Сотни игр прямо в браузере — бесплатно", (94, 42), 11)
    banner_pill(img, "Играть!", (362, 16, 450, 44), BUTTON_FACES["normal"])
    return img


def banner_games_and_wallpapers():
    """Banners 2 and 4: both sections of the site on one picture."""
    img = banner_base("#2f5a8a", "#0d1b2e", (150, 195, 245))
    pad = gamepad((52, 33), (236, 243, 251), (226, 92, 70))
    img.alpha_composite(pad, (12, 14))
    banner_title(img, "Игры и обои", 26, (76, 6), "#ffffff", "#ffd678", (240, 190, 90))
    banner_line(img, "Флэш-игры  •  Обои для рабочего стола", (78, 40), 12)
    wallpaper_tiles(img, 360, 12)
    return img


def banner_wallpapers():
    """Banners 3 and 5: the wallpapers, with the games named beside them."""
    img = banner_base("#3d5d80", "#182736", (255, 200, 140))
    wallpaper_tiles(img, 14, 12)
    banner_title(img, "Обои на рабочий стол", 24, (112, 7))
    banner_line(img, "Новые каждый день  •  и флэш-игры", (114, 40), 12, (255, 214, 120))
    return img


def lzw_codes(indices, min_size):
    """GIF's variable-length LZW: codes and their widths, a clear code first and again
    whenever the table is full, the end code last."""
    clear, end = 1 << min_size, (1 << min_size) + 1
    out = [(clear, min_size + 1)]
    table, size, free = {}, min_size + 1, end + 1
    prefix = indices[0]
    for px in indices[1:]:
        code = table.get((prefix, px))
        if code is not None:
            prefix = code
            continue
        out.append((prefix, size))
        if free < 4095:
            table[(prefix, px)] = free
            free += 1
            if free > (1 << size) and size < 12:
                size += 1
        else:
            out.append((clear, size))
            table, size, free = {}, min_size + 1, end + 1
        prefix = px
    out.append((prefix, size))
    out.append((end, size))
    return out


def pack_codes(codes):
    acc = nbits = 0
    data = bytearray()
    for code, width in codes:
        acc |= code << nbits
        nbits += width
        while nbits >= 8:
            data.append(acc & 255)
            acc >>= 8
            nbits -= 8
    if nbits:
        data.append(acc & 255)
    return bytes(data)


def interlaced_rows(h):
    return (list(range(0, h, 8)) + list(range(4, h, 8)) + list(range(2, h, 4))
            + list(range(1, h, 2)))


def gif89a(img, colours, interlaced):
    """The picture as a GIF89a of one image: a global table of exactly `colours` entries,
    background index 0, no extensions, minimum code size log2(colours). Written here
    rather than by Pillow, whose writer always uses code size 8."""
    bits = colours.bit_length() - 1
    assert 1 << bits == colours
    q = img.convert("RGB").quantize(colors=colours, method=Image.Quantize.MEDIANCUT,
                                    dither=Image.Dither.NONE)
    palette = q.getpalette()[:3 * colours]
    palette += [0] * (3 * colours - len(palette))
    w, h = q.size
    pixels = q.tobytes()
    order = interlaced_rows(h) if interlaced else range(h)
    indices = b"".join(pixels[y * w:(y + 1) * w] for y in order)
    data = pack_codes(lzw_codes(indices, bits))
    blocks = b"".join(bytes([len(data[i:i + 255])]) + data[i:i + 255]
                      for i in range(0, len(data), 255))
    return (b"GIF89a" + struct.pack("<HHBBB", w, h, 0x80 | 0x70 | (bits - 1), 0, 0)
            + bytes(palette)
            + b"," + struct.pack("<HHHHB", 0, 0, w, h, 0x40 if interlaced else 0)
            + bytes([bits]) + blocks + b"\0;")


def banners():
    """The five banners of the main window as GIF files; 2 and 4, 3 and 5 are the same."""
    games = gif89a(banner_games(), 128, False)
    both = gif89a(banner_games_and_wallpapers(), 256, True)
    walls = gif89a(banner_wallpapers(), 256, True)
    return [games, both, walls, both, walls]


# ---------------------------------------------------------------- desktop icon

ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)


def icon(size):
    """The desktop icon: a card in the header's blue with a white "T" over a list of code
    lines. Drawn large and shrunk, so the small sizes stay smooth."""
    big = 512
    img = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    body = Image.new("L", (big, big), 0)
    ImageDraw.Draw(body).rounded_rectangle((24, 24, big - 24, big - 24), 88, fill=255)
    fill = gradient_fill((big, big), "#4f78a6", "#152a44")
    img.paste(fill, (0, 0), body)
    d.rounded_rectangle((24, 24, big - 24, big - 24), 88, outline=hexrgb("#0c1828") + (255,),
                        width=12)
    d.rounded_rectangle((40, 40, big - 40, big - 40), 74, outline=hexrgb("#6f94bd") + (200,),
                        width=6)
    white = GLYPH + (255,)
    d.rectangle((120, 104, 392, 164), fill=white)
    d.rectangle((226, 104, 286, 300), fill=white)
    for n, width in enumerate((232, 176, 208)):
        y = 330 + n * 42
        d.rounded_rectangle((140, y, 140 + width, y + 22), 11, fill=hexrgb("#f3c24a") + (255,))
    return img.resize((size, size), Image.LANCZOS)


# ---------------------------------------------------------------- output and previews

def save_skin(one, two, suffix=""):
    for folder, images in (("images1", one), ("images2", two)):
        os.makedirs(os.path.join(HERE, folder), exist_ok=True)
        for i, im in enumerate(images):
            im.convert("RGB").save(os.path.join(HERE, folder, "%02d%s.bmp" % (i, suffix)))


def save_all(one, two, header, splash, gifs):
    save_skin(one, two)
    os.makedirs(os.path.join(HERE, "pictures"), exist_ok=True)
    header.save(os.path.join(HERE, "pictures", "header.jpg"), quality=93, subsampling=0)
    splash.save(os.path.join(HERE, "pictures", "splash.jpg"), quality=93, subsampling=0)
    os.makedirs(os.path.join(HERE, "icons"), exist_ok=True)
    for size in ICON_SIZES:
        icon(size).save(os.path.join(HERE, "icons", "%d.png" % size), optimize=True)
    # As the window carries them: a 32-bit little-endian byte count, then the GIF file.
    os.makedirs(os.path.join(HERE, "banners"), exist_ok=True)
    for n, gif in enumerate(gifs, 1):
        with open(os.path.join(HERE, "banners", "RxGIFAnimator%d.dat" % n), "wb") as f:
            f.write(struct.pack("<I", len(gif)) + gif)


def tile(dst, src, box):
    x0, y0, x1, y1 = box
    for y in range(y0, y1, src.height):
        for x in range(x0, x1, src.width):
            dst.paste(src.crop((0, 0, min(src.width, x1 - x), min(src.height, y1 - y))), (x, y))


def frame(one, two, w, h, caption=None):
    """An empty window in the skin's frame, pieced together as the windows' frame is."""
    e, t, r = MAP["EdgeWidth"], MAP["TitleBarHeight"], MAP["TitleRightWidth"]
    b, rt = MAP["BottomEdgeHeight"], MAP["RightEdgeTopHeight"]
    win = Image.new("RGB", (w, h), (224, 224, 234))
    for piece, box in (("idTitleLeft", (0, 0, e, t)), ("idTitleMiddle", (e, 0, w - r, t)),
                       ("idTitleRight", (w - r, 0, w, t)), ("idLeftEdge", (0, t, e, h - b)),
                       ("idRightEdgeTop", (w - e, t, w, t + rt)),
                       ("idRightEdge", (w - e, t + rt, w, h - b)),
                       ("idBottomLeft", (0, h - b, e, h)), ("idBottomEdge", (e, h - b, w - e, h)),
                       ("idBottomRight", (w - e, h - b, w, h))):
        tile(win, two[MAP[piece]], box)
    if caption:
        ImageDraw.Draw(win).text((8, 8), caption, font=sans_bold(11), fill=(0, 0, 0))
    return win


def mockups(one, two, header, splash, banner, hover):
    """The main window (client 777 x 433) and the About window (332 x 317), roughly as laid
    out; hover=True shows the hover images so the states can be compared side by side."""
    pick = (lambda button: one[MAP[button][1 if hover else 0]])
    e, t, r = MAP["EdgeWidth"], MAP["TitleBarHeight"], MAP["TitleRightWidth"]
    title_buttons = (("MinimiseButton", "MinimiseLeft"), ("MaximiseButton", "MaximiseLeft"),
                     ("TitleCloseButton", "TitleCloseLeft"))
    w, h = 777, 433
    win = frame(one, two, w, h)
    for button, left in title_buttons:
        win.paste(pick(button), (w - r + MAP[left], MAP["TitleButtonTop"]))
    x0, x1 = e, w - e
    tile(win, one[MAP["idHeaderStrip"]], (x0, t, x1, t + 79))
    win.paste(header, (x0, t))
    win.paste(banner, (x0 + 291, t + 10))
    body_top, body_bottom = t + 79, h - MAP["BottomEdgeHeight"] - 52
    heading, search = one[MAP["idHeading"]], one[MAP["idSearchStrip"]]
    tile(win, heading, (x0, body_top, x0 + 297, body_top + 26))
    tile(win, search, (x0, body_top + 26, x0 + 297, body_top + 59))
    d = ImageDraw.Draw(win)
    d.text((x0 + 100, body_top + 6), "Список игр (1234)", font=sans_bold(13), fill=(0, 0, 0))
    d.text((x0 + 2, body_top + 35), " Поиск:", font=sans_bold(13), fill=(0, 0, 0))
    d.rectangle((x0 + 53, body_top + 30, x0 + 53 + 241, body_top + 53), fill=(224, 224, 234),
                outline=(120, 140, 160))
    d.rectangle((x0 + 297, body_top, x0 + 302, body_bottom - 1), fill=(224, 224, 234),
                outline=(170, 170, 180))
    tile(win, heading, (x0 + 303, body_top, x1, body_top + 26))
    d.text((x0 + 420, body_top + 6), "Doom II (PC)", font=sans_bold(13), fill=(0, 0, 0))
    d.rectangle((x0 + 303, body_top + 26, x1 - 1, body_bottom - 1), fill=(255, 255, 255))
    tile(win, one[MAP["idBottomStrip"]], (x0, body_bottom, x1, body_bottom + 52))
    tile(win, one[MAP["idStripDivider"]], (x0 + 297, body_bottom, x0 + 304, body_bottom + 52))
    win.paste(pick("BackButton"), (x0 + 88 + MAP["BackLeft"], body_bottom + MAP["BackTop"]))
    win.paste(pick("ForwardButton"),
              (x0 + 88 + MAP["ForwardLeft"], body_bottom + MAP["ForwardTop"]))
    for button, left in (("PrintButton", 469), ("AboutButton", 498), ("UpdateButton", 527),
                         ("CloseButton", 693)):
        win.paste(pick(button), (x0 + left, body_bottom + MAP["StripButtonTop"]))
    main = win

    aw, ah = 332, 317
    about = frame(one, two, aw, ah, "О программе")
    about.paste(pick("TitleCloseButton"), (aw - r + MAP["TitleCloseLeft"], MAP["TitleButtonTop"]))
    about.paste(splash, (e, t))
    ad = ImageDraw.Draw(about)
    ad.rectangle((e, t + 200, aw - e - 1, t + 231), fill=(224, 224, 234))
    ad.text((e + 78, t + 209), "Заказать рекламу в программе", font=sans(11), fill=(0, 0, 0))
    tile(about, one[MAP["idBottomStrip"]], (e, t + 232, aw - e, t + 284))
    about.paste(pick("AboutCloseButton"), (e + 132, t + 232 + MAP["AboutStripButtonTop"]))
    return main, about


def contact_sheet(one, two, header, splash, zoom=3):
    cells = [("A%d" % i, im) for i, im in enumerate(one)] + [("B%d" % i, im) for i, im in
                                                           enumerate(two)]
    cw, ch = 175, 140
    cols = 8
    rows = (len(cells) + cols - 1) // cols
    sheet = Image.new("RGB", (cols * cw, rows * ch + 220), (90, 90, 96))
    d = ImageDraw.Draw(sheet)
    for n, (label, im) in enumerate(cells):
        x, y = (n % cols) * cw, (n // cols) * ch
        big = im.resize((min(im.width * zoom, cw - 10), min(im.height * zoom, ch - 30)),
                        Image.NEAREST) if im.width * zoom <= 500 else im
        sheet.paste(big, (x + 5, y + 22))
        d.text((x + 5, y + 4), "%s %dx%d" % (label, im.width, im.height), font=sans(12),
               fill=(255, 255, 255))
    sheet.paste(header, (5, rows * ch + 10))
    sheet.paste(splash, (320, rows * ch + 10))
    return sheet


def stores():
    """Both stores at the current scale, checked against the skin map."""
    one, two = images1(), images2()
    check_sizes(one, MAP["Images1Sizes"])
    check_sizes(two, MAP["Images2Sizes"])
    return one, two


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--preview", metavar="DIR", help="also write previews into DIR")
    ap.add_argument("--check", action="store_true",
                    help="only draw both stores at both scales against the skin map; write nothing")
    args = ap.parse_args()
    one, two = stores()
    if args.check:
        set_scale(2)
        stores()
        return
    header, splash = header_picture(), splash_picture()
    gifs = banners()
    save_all(one, two, header, splash, gifs)
    # For screens of twice the density; Qt chooses these by the device pixel ratio.
    set_scale(2)
    save_skin(*stores(), "@2x")
    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        contact_sheet(one, two, header, splash).save(os.path.join(args.preview, "sheet.png"))
        for hover in (False, True):
            m, a = mockups(one, two, header, splash, Image.open(io.BytesIO(gifs[0])), hover)
            suffix = "-hover" if hover else ""
            m.save(os.path.join(args.preview, "main%s.png" % suffix))
            a.save(os.path.join(args.preview, "about%s.png" % suffix))
        for n, gif in enumerate(gifs[:3], 1):
            with open(os.path.join(args.preview, "banner%d.gif" % n), "wb") as f:
                f.write(gif)


if __name__ == "__main__":
    main()
