#!/usr/bin/python3
"""Draws Torva's bitmaps, icon and hand cursor with Pillow and has ImageMagick and icoutils encode them
into resources/ (or the folder given), byte for byte the same on every run."""

import io
import math
import os
import re
import subprocess
import sys
import tempfile

from PIL import BmpImagePlugin, Image, ImageDraw, ImageFont, ImageOps

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT_DIR = os.path.join(ROOT, "resources")
FONT_DIR = "/usr/share/fonts/truetype/dejavu"

# Shapes are drawn this many times larger and shrunk at the end; Pillow has no
# anti-aliased polygons, and this is the cheapest deterministic way to get smooth edges.
SS = 4

WEB_ADDRESS = "www.torva.example"
BRAND = "TORVA"


def font(name, size):
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size)


def lerp(a, b, t):
    return a + (b - a) * t


def lerp_rgb(c0, c1, t):
    return tuple(int(round(lerp(a, b, t))) for a, b in zip(c0, c1))


def ramp(stops, t):
    """Colour at t in [0, 1] along evenly spaced colour stops."""
    t = min(max(t, 0.0), 1.0) * (len(stops) - 1)
    i = min(int(t), len(stops) - 2)
    return lerp_rgb(stops[i], stops[i + 1], t - i)


def vertical_gradient(size, stops):
    img = Image.new("RGB", size)
    d = ImageDraw.Draw(img)
    h = size[1]
    for y in range(h):
        d.line([(0, y), (size[0], y)], fill=ramp(stops, y / max(h - 1, 1)))
    return img


def shrink(img, size):
    return img.resize(size, Image.LANCZOS)


def paste_centered(dst, layer, cx, y):
    dst.alpha_composite(layer, (int(round(cx - layer.width / 2)), int(round(y))))


# --------------------------------------------------------------------------
# Brand elements, all drawn at SS scale as RGBA layers on transparency.
# --------------------------------------------------------------------------

FLAME = [(255, 236, 120), (255, 170, 30), (235, 60, 20), (170, 10, 20)]


def wordmark(size_px, trails=True, speed_lines=True):
    """The slanted, fire-coloured brand name with motion trails and speed lines."""
    f = font("DejaVuSans-Bold.ttf", size_px)
    stroke = max(2, size_px // 22)
    probe = ImageDraw.Draw(Image.new("L", (1, 1)))
    x0, y0, x1, y1 = probe.textbbox((0, 0), BRAND, font=f, stroke_width=stroke)
    tw, th = x1 - x0, y1 - y0
    lead = int(th * 1.1) if speed_lines else 0
    pad = stroke * 2
    w, h = lead + tw + 2 * pad, th + 2 * pad
    layer = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    ox, oy = lead + pad - x0, pad - y0

    if speed_lines:
        d = ImageDraw.Draw(layer)
        bar_h = max(2, th // 11)
        for frac, length in ((0.22, 1.0), (0.47, 0.75), (0.72, 0.5)):
            yc = pad + th * frac
            x_end = lead + pad
            x_start = x_end - lead * length
            steps = max(int(x_end - x_start), 1)
            for i in range(steps):
                t = i / steps
                c = ramp(FLAME[1:], 1 - t)
                d.line([(x_start + i, yc - bar_h * t / 2), (x_start + i, yc + bar_h * t / 2)],
                       fill=c + (int(255 * t ** 1.5),))

    if trails:
        # Faded copies behind the word read as speed without needing animation.
        for k, alpha in ((3, 50), (2, 90), (1, 140)):
            ghost = Image.new("RGBA", (w, h), (0, 0, 0, 0))
            ImageDraw.Draw(ghost).text((ox - k * stroke * 2.2, oy), BRAND, font=f,
                                       fill=(200, 30, 10, alpha))
            layer.alpha_composite(ghost)

    # A pale rim keeps the dark red bottom of the letters visible against black.
    rim = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    ImageDraw.Draw(rim).text((ox, oy), BRAND, font=f, fill=(255, 250, 235, 255),
                             stroke_width=stroke, stroke_fill=(255, 250, 235, 255))
    layer.alpha_composite(rim)

    mask = Image.new("L", (w, h), 0)
    ImageDraw.Draw(mask).text((ox, oy), BRAND, font=f, fill=255)
    # Doubled end stops keep the padding from diluting the gradient across the letters.
    fill = vertical_gradient((w, h), [FLAME[0], FLAME[0], FLAME[1], FLAME[2], FLAME[3], FLAME[3]])
    fill = fill.convert("RGBA")
    fill.putalpha(mask)
    layer.alpha_composite(fill)

    # Glossy band across the upper part of the letters.
    gloss_mask = Image.new("L", (w, h), 0)
    gd = ImageDraw.Draw(gloss_mask)
    for y in range(h):
        t = (y - pad) / th
        if 0.05 < t < 0.42:
            gd.line([(0, y), (w, y)], fill=int(110 * math.sin(math.pi * (t - 0.05) / 0.37)))
    gloss_mask = Image.composite(gloss_mask, Image.new("L", (w, h), 0), mask)
    gloss = Image.new("RGBA", (w, h), (255, 255, 255, 0))
    gloss.putalpha(gloss_mask)
    layer.alpha_composite(gloss)
    return slant(layer, SLANT)


# The lean of the wordmark. Only the upright DejaVu faces come with fonts-dejavu-core,
# and shearing the finished word also leans the trails and speed lines with it.
SLANT = 0.24


def slant(layer, k):
    w, h = layer.size
    extra = int(math.ceil(k * h))
    return layer.transform((w + extra, h), Image.AFFINE, (1, k, -extra, 0, 1, 0),
                           resample=Image.BICUBIC)


def chequered_flag(cell, cols, rows, amp, pole_len, pole_w):
    """A waving chequered flag on a silver pole; the pole runs down the layer's left edge."""
    fw, fh = cell * cols, cell * rows
    ball = int(pole_w * 1.8)
    top = ball + int(amp)
    w = pole_w + fw + ball
    h = max(top + pole_len, top + fh + int(2 * amp) + 2)
    layer = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    px = layer.load()

    fx0 = pole_w
    waves = 1.25

    def offset(u):
        # Pinned at the pole, freer towards the fly end.
        return amp * math.sin(2 * math.pi * waves * u) * (0.25 + 0.75 * u)

    def slope(u):
        return (offset(u + 1e-3) - offset(u - 1e-3)) / 2e-3 / amp

    for x in range(fx0, fx0 + fw):
        u = (x - fx0 + 0.5) / fw
        dy = offset(u)
        shade = 0.82 - 0.22 * math.tanh(slope(u) * 0.35)
        # Perspective: the cloth looks a little shorter where it faces away.
        hh = fh * (1.0 - 0.06 * u)
        ytop = top + dy + (fh - hh) * 0.5
        for y in range(int(ytop), int(ytop + hh) + 1):
            v = (y + 0.5 - ytop) / hh
            if not 0.0 <= v < 1.0:
                continue
            light = int(u * cols) + int(v * rows) & 1 == 0
            if light:
                g = int(255 * min(1.0, shade + 0.12))
                c = (g, g, g)
            else:
                g = int(60 * shade)
                c = (g, g, g + 6)
            px[x, y] = c + (255,)

    d = ImageDraw.Draw(layer)
    for i in range(pole_w):
        t = (i + 0.5) / pole_w
        g = int(120 + 125 * math.sin(math.pi * t) ** 0.6)
        d.line([(i, top - ball // 3), (i, top + pole_len)], fill=(g, g, min(255, g + 10), 255))
    cx = pole_w / 2
    d.ellipse([cx - ball / 2, top - ball, cx + ball / 2, top], fill=(235, 170, 30, 255))
    d.ellipse([cx - ball / 4, top - ball * 0.85, cx + ball / 14, top - ball * 0.5],
              fill=(255, 240, 170, 255))
    return layer


def rotate_about(layer, angle, point):
    """Rotates a layer counter-clockwise; returns it and where `point` ended up."""
    out = layer.rotate(angle, resample=Image.BICUBIC, expand=True)
    a = math.radians(angle)
    dx, dy = point[0] - layer.width / 2, point[1] - layer.height / 2
    nx = dx * math.cos(a) + dy * math.sin(a)
    ny = -dx * math.sin(a) + dy * math.cos(a)
    return out, (out.width / 2 + nx, out.height / 2 + ny)


def crossed_flags(cell, cols, rows, amp, pole_len, pole_w, angle):
    """Two flags whose poles cross near their feet, the classic finish-line emblem."""
    flag = chequered_flag(cell, cols, rows, amp, pole_len, pole_w)
    foot = (pole_w / 2, flag.height - 1)
    right, rfoot = rotate_about(flag, -angle, foot)
    left = ImageOps.mirror(right)
    lfoot = (left.width - rfoot[0], rfoot[1])
    # Feet sit apart so the poles cross a little above them.
    spread = pole_len * 0.35 * math.sin(math.radians(angle)) * 2
    w = int(left.width + right.width)
    h = int(max(left.height, right.height))
    layer = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    cx = w / 2
    layer.alpha_composite(left, (int(round(cx + spread / 2 - lfoot[0])), int(round(h - 1 - lfoot[1]))))
    layer.alpha_composite(right, (int(round(cx - spread / 2 - rfoot[0])), int(round(h - 1 - rfoot[1]))))
    return layer.crop(layer.getbbox())


def swoosh(width, height):
    """A tapering underline that fades out at both ends."""
    layer = Image.new("RGBA", (width, height), (0, 0, 0, 0))
    d = ImageDraw.Draw(layer)
    for x in range(width):
        t = x / (width - 1)
        thick = height * math.sin(math.pi * t) ** 0.7
        c = ramp([FLAME[3], FLAME[2], FLAME[1], FLAME[2], FLAME[3]], t)
        d.line([(x, (height - thick) / 2), (x, (height + thick) / 2)],
               fill=c + (int(255 * math.sin(math.pi * t) ** 0.5),))
    return layer


def fit(layer, max_w, max_h):
    s = min(max_w / layer.width, max_h / layer.height)
    return layer.resize((max(1, int(layer.width * s)), max(1, int(layer.height * s))), Image.LANCZOS)


def text_line(img, y, text, fnt, fill):
    """Text drawn at final size so FreeType's hinting keeps small lettering crisp."""
    d = ImageDraw.Draw(img)
    x0, y0, x1, y1 = d.textbbox((0, 0), text, font=fnt)
    d.text(((img.width - (x1 - x0)) / 2 - x0, y - y0), text, font=fnt, fill=fill)
    return y + (y1 - y0)


# --------------------------------------------------------------------------
# The three bitmaps
# --------------------------------------------------------------------------

def brand_panel(w, h, flags_h, word_h, gap, address_size, call_to_action):
    big = Image.new("RGBA", (w * SS, h * SS), (0, 0, 0, 255))
    flags = crossed_flags(cell=9 * SS, cols=7, rows=5, amp=5 * SS, pole_len=92 * SS,
                          pole_w=3 * SS, angle=22)
    flags = fit(flags, w * SS * 0.8, flags_h * SS)
    word = fit(wordmark(120 * SS), w * SS * 0.92, word_h * SS)
    line = swoosh(int(w * SS * 0.78), 4 * SS)

    addr_font = font("DejaVuSans-Bold.ttf", address_size)
    cta_font = font("DejaVuSans.ttf", max(11, address_size - 5))
    probe = ImageDraw.Draw(Image.new("L", (1, 1)))
    addr_h = probe.textbbox((0, 0), WEB_ADDRESS, font=addr_font)
    addr_h = addr_h[3] - addr_h[1]
    cta_h = 0
    if call_to_action:
        b = probe.textbbox((0, 0), call_to_action, font=cta_font)
        cta_h = b[3] - b[1] + gap

    total = flags.height / SS + gap * 0.3 + word.height / SS + gap * 0.6 + line.height / SS \
        + gap + addr_h + cta_h
    y = (h - total) / 2
    paste_centered(big, flags, w * SS / 2, y * SS)
    y += flags.height / SS + gap * 0.3
    paste_centered(big, word, w * SS / 2 - word.width * 0.04, y * SS)
    y += word.height / SS + gap * 0.6
    paste_centered(big, line, w * SS / 2, y * SS)
    y += line.height / SS + gap

    img = shrink(big.convert("RGB"), (w, h))
    y = text_line(img, round(y), WEB_ADDRESS, addr_font, (245, 245, 245))
    if call_to_action:
        text_line(img, round(y + gap), call_to_action, cta_font, (255, 196, 60))
    return img


def logo():
    return brand_panel(388, 293, flags_h=92, word_h=78, gap=10, address_size=20,
                       call_to_action="Click the logo to visit us")


def config_logo():
    return brand_panel(298, 226, flags_h=74, word_h=62, gap=9, address_size=17,
                       call_to_action=None)


def preview():
    """A studio shot of a monitor showing the saver, for the preview pane."""
    w, h = 155, 115
    W, H = w * SS, h * SS
    big = Image.new("RGBA", (W, H), (0, 0, 0, 255))
    bp = big.load()
    # Backdrop: a soft spotlight behind the monitor fading into near black,
    # with a floor that catches a little light.
    floor_y = 0.80 * H
    for y in range(H):
        for x in range(W):
            dx, dy = (x - W * 0.5) / W, (y - H * 0.38) / H
            r = math.sqrt(dx * dx * 1.2 + dy * dy * 2.0)
            k = max(0.0, 1.0 - r * 1.6) ** 1.6
            if y > floor_y:
                k = k * 0.55 + 0.10 * (1 - (y - floor_y) / (H - floor_y))
            bp[x, y] = (int(10 + 48 * k), int(12 + 52 * k), int(18 + 66 * k), 255)
    d = ImageDraw.Draw(big)

    # Shadow the monitor casts on the floor.
    shadow = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    sd = ImageDraw.Draw(shadow)
    for i in range(12):
        a = int(14 + i * 6)
        inset = i * 2.2 * SS
        sd.ellipse([W * 0.22 + inset, floor_y + 3 * SS + inset * 0.12,
                    W * 0.78 - inset, floor_y + 13 * SS - inset * 0.12], fill=(0, 0, 0, a))
    big.alpha_composite(shadow)

    # Stand.
    neck = [(W * 0.45, 0.68 * H), (W * 0.55, 0.68 * H), (W * 0.575, floor_y + 2 * SS),
            (W * 0.425, floor_y + 2 * SS)]
    d.polygon(neck, fill=(52, 54, 60, 255))
    d.polygon([(W * 0.45, 0.68 * H), (W * 0.47, 0.68 * H), (W * 0.445, floor_y + 2 * SS),
               (W * 0.425, floor_y + 2 * SS)], fill=(88, 90, 98, 255))
    d.rounded_rectangle([W * 0.30, floor_y, W * 0.70, floor_y + 6 * SS], radius=3 * SS,
                        fill=(44, 46, 52, 255))
    d.rounded_rectangle([W * 0.30, floor_y, W * 0.70, floor_y + 2 * SS], radius=1 * SS,
                        fill=(110, 112, 122, 255))

    # Bezel with a lit top edge, then the screen.
    bx0, by0, bx1, by1 = W * 0.10, H * 0.08, W * 0.90, H * 0.70
    d.rounded_rectangle([bx0, by0, bx1, by1], radius=4 * SS, fill=(150, 152, 160, 255))
    d.rounded_rectangle([bx0, by0 + 1 * SS, bx1, by1], radius=4 * SS, fill=(32, 33, 38, 255))
    d.rounded_rectangle([bx0 + SS, by0 + 2 * SS, bx1 - SS, by1 - SS], radius=3 * SS,
                        fill=(22, 23, 27, 255))
    sx0, sy0, sx1, sy1 = int(bx0 + 5 * SS), int(by0 + 5 * SS), int(bx1 - 5 * SS), int(by1 - 8 * SS)
    screen = vertical_gradient((sx1 - sx0, sy1 - sy0), [(12, 22, 60), (4, 6, 20), (30, 8, 12)])
    screen = screen.convert("RGBA")
    sw, sh = screen.size
    flag = chequered_flag(cell=6 * SS, cols=6, rows=4, amp=3 * SS, pole_len=40 * SS, pole_w=2 * SS)
    flag = fit(flag, sw * 0.42, sh * 0.50)
    screen.alpha_composite(flag, (int(sw * 0.5 - flag.width * 0.45), int(sh * 0.07)))
    word = fit(wordmark(60 * SS, trails=False), sw * 0.86, sh * 0.36)
    screen.alpha_composite(word, (int(sw / 2 - word.width * 0.54), int(sh * 0.58)))
    # Reflection of the studio light across the glass.
    glare = Image.new("RGBA", screen.size, (0, 0, 0, 0))
    ImageDraw.Draw(glare).polygon([(sw * 0.55, 0), (sw * 0.80, 0), (sw * 0.45, sh), (sw * 0.20, sh)],
                                  fill=(255, 255, 255, 18))
    screen.alpha_composite(glare)
    big.alpha_composite(screen, (sx0, sy0))
    # A small power light, the detail that makes it read as hardware.
    d.ellipse([W * 0.86 - 1.3 * SS, by1 - 4.6 * SS, W * 0.86 + 1.3 * SS, by1 - 2.0 * SS],
              fill=(80, 230, 120, 255))
    return shrink(big.convert("RGB"), (w, h))


# --------------------------------------------------------------------------
# Icon: a bold T over a chequered badge
# --------------------------------------------------------------------------

VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def icon_art(fill_stops):
    """The 32 x 32 brand mark as RGBA, alpha either 0 or 255."""
    n = 32
    S = 8
    big = Image.new("RGBA", (n * S, n * S), (0, 0, 0, 0))
    badge = Image.new("L", big.size, 0)
    ImageDraw.Draw(badge).rounded_rectangle([0, 0, n * S - 1, n * S - 1], radius=6 * S, fill=255)
    board = Image.new("RGBA", big.size, (0, 0, 0, 255))
    bd = ImageDraw.Draw(board)
    cell = 4 * S
    for j in range(n // 4):
        for i in range(n // 4):
            if (i + j) & 1 == 0:
                bd.rectangle([i * cell, j * cell, (i + 1) * cell - 1, (j + 1) * cell - 1],
                             fill=(255, 255, 255, 255))
    big.paste(board, (0, 0), badge)

    f = font("DejaVuSans-Bold.ttf", 27 * S)
    d = ImageDraw.Draw(big)
    b = d.textbbox((0, 0), "T", font=f, stroke_width=S * 3 // 2)
    tx = (n * S - (b[2] - b[0])) / 2 - b[0]
    ty = (n * S - (b[3] - b[1])) / 2 - b[1]
    mask = Image.new("L", big.size, 0)
    ImageDraw.Draw(mask).text((tx, ty), "T", font=f, fill=255)
    # The black rim alone vanishes on black squares, so a white halo goes round it.
    d.text((tx, ty), "T", font=f, fill=(255, 255, 255, 255), stroke_width=3 * S,
           stroke_fill=(255, 255, 255, 255))
    d.text((tx, ty), "T", font=f, fill=(0, 0, 0, 255), stroke_width=S * 3 // 2,
           stroke_fill=(0, 0, 0, 255))
    fill = vertical_gradient(big.size, fill_stops).convert("RGBA")
    big.paste(fill, (0, 0), mask)
    small = big.resize((n, n), Image.BOX)
    # Icons of this kind have no partial transparency: a pixel is either in or out.
    alpha = small.getchannel("A").point(lambda a: 255 if a >= 128 else 0)
    small.putalpha(alpha)
    return small


def in_vga16(art):
    """The art in the sixteen standard colours, each pixel the nearest of them, transparent where it was."""
    palette = Image.new("P", (1, 1))
    palette.putpalette([c for rgb in VGA16 for c in rgb])
    out = art.convert("RGB").quantize(palette=palette, dither=Image.NONE).convert("RGBA")
    out.putalpha(art.getchannel("A"))
    return out


# --------------------------------------------------------------------------
# Hand cursor, drawn pixel by pixel: X black outline, o white, . transparent
# --------------------------------------------------------------------------

HAND = [
    "....XXXX............",
    "...XooooX...........",
    "...XooooX...........",
    "...XooooX...........",
    "...XooooX...........",
    "...XooooX...........",
    "...XooooXXXX........",
    "...XooooXoooXXXX....",
    "...XooooXoooXoooXXX.",
    "...XooooXoooXoooXooX",
    ".XXXooooXoooXoooXooX",
    "XoooXoooooooXoooXooX",
    "XooooXoooooooooooooX",
    ".XooooXooooooooooooX",
    ".XoooooooooooooooooX",
    "..XooooooooooooooooX",
    "..XoooooooooooooooX.",
    "...XooooooooooooooX.",
    "...XooooooooooooooX.",
    "....XooooooooooooX..",
    "....XooooooooooooX..",
    "....XXXXXXXXXXXXXX..",
]
HOT_SPOT = (5, 0)



def hand_art():
    art = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
    colours = {"X": (0, 0, 0, 255), "o": (255, 255, 255, 255)}
    for y, row in enumerate(HAND):
        for x, ch in enumerate(row):
            if ch in colours:
                art.putpixel((x, y), colours[ch])
    return art


# --------------------------------------------------------------------------
# Encoding. Pillow writes no run-length coded bitmaps, no icons of chosen depths and no cursors
# with a hot spot; ImageMagick and icoutils do.
# --------------------------------------------------------------------------

def run_tool(args, data=None):
    try:
        return subprocess.run(args, input=data, stdout=subprocess.PIPE, check=True).stdout
    except FileNotFoundError:
        sys.exit(f"make_artwork: {args[0]} is missing; tools/setup.sh installs it")


def bmp_rle8(img):
    """A 256-colour bitmap, run-length encoded: the pictures are mostly black, and their few thousand
    colours quantise to 256 without visible loss (no dithering, which would defeat the runs)."""
    q = img.convert("RGB").quantize(256, method=Image.MAXCOVERAGE, dither=Image.NONE, kmeans=5)
    png = io.BytesIO()
    q.save(png, "PNG")
    encoded = run_tool(["convert", "png:-", "-compress", "RLE", "BMP3:-"], png.getvalue())
    decoded = Image.open(io.BytesIO(encoded))
    assert decoded.info["compression"] == BmpImagePlugin.BmpImageFile.RLE8, "not run-length coded"
    assert decoded.convert("RGB").tobytes() == q.convert("RGB").tobytes(), "the coding must be lossless"
    return encoded


def icotool_create(depths_and_art, *options):
    """An icon or cursor holding each picture at its bit depth. icotool takes a depth as the least
    it may use and goes deeper for a picture with too many colours, so the result is checked."""
    with tempfile.TemporaryDirectory() as tmp:
        args = ["icotool", "--create", *options]
        for i, (depth, art) in enumerate(depths_and_art):
            path = os.path.join(tmp, f"{i}.png")
            art.save(path)
            args += [f"--bit-depth={depth}", path]
        data = run_tool(args)
    listing = run_tool(["icotool", "--list", "-"], data).decode()
    assert re.findall(r"--bit-depth=(\d+)", listing) == [str(d) for d, _ in depths_and_art], listing
    return data


def icon_file():
    # Sixteen colours have no orange, so the small-palette image gets a plain red T.
    return icotool_create([(4, in_vga16(icon_art([(255, 0, 0), (255, 0, 0)]))),
                           (8, icon_art([(255, 200, 0), (255, 40, 0), (220, 0, 0)]))])


def cursor_file():
    assert HAND[HOT_SPOT[1]][HOT_SPOT[0]] == "X", "hot spot must be on the fingertip"
    return icotool_create([(1, hand_art())], "--cursor",
                          f"--hotspot-x={HOT_SPOT[0]}", f"--hotspot-y={HOT_SPOT[1]}")


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else OUT_DIR
    os.makedirs(out_dir, exist_ok=True)
    outputs = {
        "logo.bmp": bmp_rle8(logo()),
        "config_logo.bmp": bmp_rle8(config_logo()),
        "preview.bmp": bmp_rle8(preview()),
        "torva.ico": icon_file(),
        "hand.cur": cursor_file(),
    }
    for name, data in outputs.items():
        path = os.path.join(out_dir, name)
        with open(path, "wb") as fh:
            fh.write(data)
        print(f"{os.path.relpath(path)}: {len(data)} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
