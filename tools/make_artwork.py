#!/usr/bin/python3
"""Draws Torva's bitmaps, icon and hand cursor into resources/, byte for byte the same on every run."""

import io
import math
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont, ImageOps

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


def nearest(palette, c):
    best, best_d = 0, None
    for i, p in enumerate(palette):
        dd = (p[0] - c[0]) ** 2 * 3 + (p[1] - c[1]) ** 2 * 4 + (p[2] - c[2]) ** 2 * 2
        if best_d is None or dd < best_d:
            best, best_d = i, dd
    return best


def indexed_16(art):
    px = list(art.getdata())
    return [0 if a == 0 else nearest(VGA16, (r, g, b)) for r, g, b, a in px], VGA16


def indexed_256(art):
    px = list(art.getdata())
    colours = sorted({(r, g, b) for r, g, b, a in px if a})
    if len(colours) > 255:
        q = art.convert("RGB").quantize(255, method=Image.MEDIANCUT, dither=Image.NONE)
        pal = q.getpalette()[:255 * 3]
        colours = sorted({tuple(pal[i:i + 3]) for i in range(0, len(pal), 3)})
    # Entry 0 stays black: transparent pixels use it, as Windows expects.
    palette = [(0, 0, 0)] + [c for c in colours if c != (0, 0, 0)]
    palette = palette[:256]
    index = {c: i for i, c in enumerate(palette)}
    out = []
    for r, g, b, a in px:
        if a == 0:
            out.append(0)
        else:
            out.append(index[(r, g, b)] if (r, g, b) in index else nearest(palette, (r, g, b)))
    return out, palette + [(0, 0, 0)] * (256 - len(palette))


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


# --------------------------------------------------------------------------
# File writers. Pillow cannot write indexed icons with chosen depths or cursors
# with a hot spot, so the headers are packed here.
# --------------------------------------------------------------------------

def pack_rows(values, width, height, bpp):
    """Bottom-up rows of `bpp`-bit values, each row padded to 32 bits."""
    stride = (width * bpp + 31) // 32 * 4
    out = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray(stride)
        for x in range(width):
            v = values[y * width + x]
            bit = x * bpp
            row[bit // 8] |= v << (8 - bpp - bit % 8)
        out += row
    return bytes(out)


def rle8_row(row):
    """One row in BI_RLE8: runs of a repeated index as (count, index), other stretches of at least
    three indices in absolute mode (0, count, indices, padded to a word)."""
    out = bytearray()
    i, n = 0, len(row)

    def run_at(k):
        r = 1
        while k + r < n and r < 255 and row[k + r] == row[k]:
            r += 1
        return r

    while i < n:
        r = run_at(i)
        if r >= 2:
            out += bytes((r, row[i]))
            i += r
            continue
        j = i
        while j < n and j - i < 255 and (j == i or run_at(j) < 3):
            j += 1
        literal = row[i:j]
        if len(literal) < 3:
            for v in literal:
                out += bytes((1, v))
        else:
            out += bytes((0, len(literal))) + bytes(literal) + bytes(len(literal) % 2)
        i = j
    return out


def bmp_rle8(img):
    """A 256-colour bitmap, run-length encoded: the pictures are mostly black, and their few thousand
    colours quantise to 256 without visible loss (no dithering, which would defeat the runs)."""
    w, h = img.size
    q = img.convert("RGB").quantize(256, method=Image.MAXCOVERAGE, dither=Image.NONE, kmeans=5)
    palette = q.getpalette()[:256 * 3]
    palette += [0] * (256 * 3 - len(palette))
    indices = q.tobytes()
    rows = bytearray()
    for y in range(h - 1, -1, -1):
        rows += rle8_row(indices[y * w:(y + 1) * w]) + bytes((0, 0))
    rows[-2:] = bytes((0, 1))  # the last end of line becomes the end of the bitmap
    colours = b"".join(struct.pack("<BBBB", palette[i + 2], palette[i + 1], palette[i], 0)
                       for i in range(0, 256 * 3, 3))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 1, len(rows), 2835, 2835, 256, 0)
    offset = 14 + len(info) + len(colours)
    head = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    encoded = head + info + colours + bytes(rows)
    decoded = Image.open(io.BytesIO(encoded)).convert("RGB")
    assert decoded.tobytes() == q.convert("RGB").tobytes(), "the run-length coding must be lossless"
    return encoded


def dib_with_mask(indices, mask, palette, bpp, n=32):
    """One icon/cursor image: header (double height), palette, XOR bits, AND bits."""
    xor = pack_rows(indices, n, n, bpp)
    andm = pack_rows(mask, n, n, 1)
    info = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, bpp, 0, len(xor) + len(andm), 0, 0, 0, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    assert len(palette) == 1 << bpp
    return info + pal + xor + andm


def icon_dir(kind, entries):
    """entries: (width, colour count, field a, field b, image bytes); a/b are planes/bit count
    for icons and the hot spot for cursors."""
    out = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    body = b""
    for n, colours, a, b, data in entries:
        out += struct.pack("<BBBBHHII", n, n, colours, 0, a, b, len(data), offset + len(body))
        body += data
    return out + body


def icon_file():
    # Sixteen colours have no orange, so the small-palette image gets a plain red T.
    art4 = icon_art([(255, 0, 0), (255, 0, 0)])
    art8 = icon_art([(255, 200, 0), (255, 40, 0), (220, 0, 0)])
    assert art4.getchannel("A").tobytes() == art8.getchannel("A").tobytes()
    mask = [1 if a == 0 else 0 for a in art8.getchannel("A").getdata()]
    i4, p4 = indexed_16(art4)
    i8, p8 = indexed_256(art8)
    return icon_dir(1, [
        (32, 16, 1, 4, dib_with_mask(i4, mask, p4, 4)),
        (32, 0, 1, 8, dib_with_mask(i8, mask, p8, 8)),
    ])


def cursor_file():
    n = 32
    xor = [0] * (n * n)
    andm = [1] * (n * n)
    for y, row in enumerate(HAND):
        for x, ch in enumerate(row):
            if ch != ".":
                andm[y * n + x] = 0
                xor[y * n + x] = 1 if ch == "o" else 0
    assert HAND[HOT_SPOT[1]][HOT_SPOT[0]] == "X", "hot spot must be on the fingertip"
    return icon_dir(2, [(n, 2, HOT_SPOT[0], HOT_SPOT[1],
                         dib_with_mask(xor, andm, [(0, 0, 0), (255, 255, 255)], 1))])


def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    outputs = {
        "logo.bmp": bmp_rle8(logo()),
        "config_logo.bmp": bmp_rle8(config_logo()),
        "preview.bmp": bmp_rle8(preview()),
        "torva.ico": icon_file(),
        "hand.cur": cursor_file(),
    }
    for name, data in outputs.items():
        path = os.path.join(OUT_DIR, name)
        with open(path, "wb") as fh:
            fh.write(data)
        print(f"{os.path.relpath(path, ROOT)}: {len(data)} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
