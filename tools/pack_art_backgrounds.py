"""The classic pack's four level backgrounds (1024 x 768), each in its own colour mood.

Each has the dark textured play field at (4, 4) 720 x 760 in a thin sunken frame, and the
side panel right of it with a small picture beside each figure the game draws there: a star
above the score at (756, 108), a heart left of the lives at (790, 182) and a flag on a stack
of bricks left of the level at (850, 242), all in the 36-pixel font, then the level name, the
player and the records centred on x 876 from y 300 to 655. Pictures, not words, so that the
panel reads in every language. The pause and game-over boxes (the 512 x 424 dialog picture,
shadow and all, centred on the 1024 x 768 layout that the game scales to the window: x 256..768,
y 172..596) hide the panel left of x 768 from y 172 to 596 at every window size, so no picture
stands there.
Textures are smooth (low-resolution noise drawn enlarged) so that the pictures compress.
"""
import math
import os
import random

import cairo

from pack_art_shapes import FONT, PALETTE, bevel_body, glow, heart_path, rounded_rect, scale, shade

W, H = 1024, 768
FIELD = (4, 4, 720, 760)
PANEL = (730, 4, 290, 760)

MOODS = {
    "ember": {"field": (0.10, 0.05, 0.035), "panel": (0.26, 0.13, 0.08), "accent": (1.0, 0.62, 0.25),
              "cloud": (0.55, 0.2, 0.08), "pattern": "wall", "seed": 11},
    "ocean": {"field": (0.025, 0.055, 0.11), "panel": (0.08, 0.16, 0.28), "accent": (0.4, 0.8, 1.0),
              "cloud": (0.1, 0.35, 0.6), "pattern": "waves", "seed": 22},
    "forest": {"field": (0.035, 0.075, 0.045), "panel": (0.11, 0.21, 0.12), "accent": (0.55, 0.95, 0.45),
               "cloud": (0.15, 0.45, 0.18), "pattern": "hex", "seed": 33},
    "nebula": {"field": (0.055, 0.035, 0.10), "panel": (0.18, 0.10, 0.28), "accent": (0.85, 0.6, 1.0),
               "cloud": (0.5, 0.2, 0.7), "pattern": "stars", "seed": 44},
}


def noise_pattern(rng, cols, rows):
    """A small alpha-only surface of random levels, to be drawn enlarged with bilinear filtering."""
    small = cairo.ImageSurface(cairo.FORMAT_A8, cols, rows)
    small.flush()
    data = small.get_data()
    stride = small.get_stride()
    for y in range(rows):
        data[y * stride:y * stride + cols] = bytes(rng.randint(0, 255) for _ in range(cols))
    small.mark_dirty()
    return small


def paint_clouds(ctx, rng, x, y, w, h, rgb, strength):
    """Soft clouds of rgb over the rectangle: two octaves of enlarged noise used as a mask."""
    ctx.save()
    ctx.rectangle(x, y, w, h)
    ctx.clip()
    for cell, a in ((96, strength), (24, strength * 0.45)):
        cols, rows = int(w // cell) + 3, int(h // cell) + 3
        pattern = cairo.SurfacePattern(noise_pattern(rng, cols, rows))
        pattern.set_filter(cairo.FILTER_BILINEAR)
        m = cairo.Matrix()
        m.scale(1.0 / cell, 1.0 / cell)
        m.translate(-(x - cell), -(y - cell))
        pattern.set_matrix(m)
        ctx.set_source_rgba(*rgb, a)
        ctx.mask(pattern)
    ctx.restore()


def field_pattern(ctx, kind, rng, accent):
    x0, y0, w, h = FIELD
    ctx.save()
    ctx.rectangle(x0, y0, w, h)
    ctx.clip()
    ctx.set_line_width(1)
    if kind == "wall":
        bw, bh = 90, 36
        for row in range(h // bh + 1):
            y = y0 + row * bh + 0.5
            ctx.set_source_rgba(0, 0, 0, 0.35)
            ctx.move_to(x0, y)
            ctx.line_to(x0 + w, y)
            ctx.stroke()
            ctx.set_source_rgba(*accent, 0.05)
            ctx.move_to(x0, y + 1)
            ctx.line_to(x0 + w, y + 1)
            ctx.stroke()
            off = (bw // 2) * (row % 2)
            for x in range(x0 - off, x0 + w, bw):
                ctx.set_source_rgba(0, 0, 0, 0.35)
                ctx.move_to(x + 0.5, y)
                ctx.line_to(x + 0.5, y + bh)
                ctx.stroke()
    elif kind == "waves":
        for row in range(0, h, 28):
            ctx.set_source_rgba(*accent, 0.05 + 0.02 * (row // 28 % 2))
            ph = rng.uniform(0, 6.28)
            for i in range(0, w + 8, 8):
                px = x0 + i
                py = y0 + row + 6 * math.sin(i / 60.0 + ph)
                (ctx.move_to if i == 0 else ctx.line_to)(px, py)
            ctx.stroke()
    elif kind == "hex":
        r = 26
        dx, dy = r * math.sqrt(3), r * 1.5
        ctx.set_source_rgba(*accent, 0.055)
        row = 0
        y = y0
        while y < y0 + h + r:
            x = x0 + (dx / 2 if row % 2 else 0)
            while x < x0 + w + r:
                for k in range(6):
                    a = math.pi / 6 + k * math.pi / 3
                    (ctx.move_to if k == 0 else ctx.line_to)(x + r * math.cos(a), y + r * math.sin(a))
                ctx.close_path()
                x += dx
            ctx.stroke()
            y += dy
            row += 1
    elif kind == "stars":
        for _ in range(140):
            x = rng.uniform(x0, x0 + w)
            y = rng.uniform(y0, y0 + h)
            s = rng.choice((0.6, 0.8, 1.0, 1.0, 1.6))
            a = rng.uniform(0.25, 0.7)
            if s > 1.2:
                glow(ctx, x, y, 0, 4, (0.9, 0.85, 1.0), a * 0.5)
            ctx.set_source_rgba(1, 1, 1, a)
            ctx.arc(x, y, s, 0, 2 * math.pi)
            ctx.fill()
    ctx.restore()


def sunken(ctx, x, y, w, h, r, fill_rgba):
    """An inset slot: a dark fill, shadow along the top and left, light along the bottom and right."""
    rounded_rect(ctx, x, y, w, h, r)
    ctx.set_source_rgba(*fill_rgba)
    ctx.fill()
    ctx.save()
    rounded_rect(ctx, x, y, w, h, r)
    ctx.clip()
    g = cairo.LinearGradient(x, y, x, y + 10)
    g.add_color_stop_rgba(0, 0, 0, 0, 0.55)
    g.add_color_stop_rgba(1, 0, 0, 0, 0)
    ctx.set_source(g)
    ctx.paint()
    g = cairo.LinearGradient(x, y, x + 8, y)
    g.add_color_stop_rgba(0, 0, 0, 0, 0.35)
    g.add_color_stop_rgba(1, 0, 0, 0, 0)
    ctx.set_source(g)
    ctx.paint()
    ctx.restore()
    ctx.set_line_width(1)
    ctx.set_source_rgba(1, 1, 1, 0.22)
    ctx.move_to(x + r, y + h - 0.5)
    ctx.line_to(x + w - r, y + h - 0.5)
    ctx.move_to(x + w - 0.5, y + r)
    ctx.line_to(x + w - 0.5, y + h - r)
    ctx.stroke()
    ctx.set_source_rgba(0, 0, 0, 0.6)
    ctx.move_to(x + r, y + 0.5)
    ctx.line_to(x + w - r, y + 0.5)
    ctx.move_to(x + 0.5, y + r)
    ctx.line_to(x + 0.5, y + h - r)
    ctx.stroke()


def caption(ctx, text, x, cy, size, accent, anchor="left"):
    ctx.select_font_face(FONT, cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_BOLD)
    ctx.set_font_size(size)
    ext = ctx.text_extents(text)
    tx = x - ext.x_bearing if anchor == "left" else x - ext.width / 2 - ext.x_bearing
    ty = cy - ext.height / 2 - ext.y_bearing
    ctx.move_to(tx + 1, ty + 1)
    ctx.set_source_rgba(0, 0, 0, 0.7)
    ctx.show_text(text)
    ctx.move_to(tx, ty)
    g = cairo.LinearGradient(0, ty + ext.y_bearing, 0, ty)
    g.add_color_stop_rgb(0, *shade(accent, 1.3))
    g.add_color_stop_rgb(1, *shade(accent, 0.8))
    ctx.set_source(g)
    ctx.show_text(text)


# Towards the light: up and to the left.
LIGHT = (-math.sqrt(0.5), -math.sqrt(0.5))


def shadowed(ctx, draw):
    """Draws a picture over a soft dark copy of itself cast down and to the right."""
    ctx.save()
    ctx.translate(1.2, 1.5)
    ctx.push_group()
    draw()
    shadow = ctx.pop_group()
    ctx.set_source_rgba(0, 0, 0, 0.6)
    ctx.mask(shadow)
    ctx.restore()
    draw()


def glint(ctx, x, y, rx, ry, a=0.75):
    """A soft white highlight where the light strikes a rounded surface."""
    ctx.save()
    ctx.translate(x, y)
    ctx.scale(rx, ry)
    g = cairo.RadialGradient(0, 0, 0, 0, 0, 1)
    g.add_color_stop_rgba(0, 1, 1, 1, a)
    g.add_color_stop_rgba(1, 1, 1, 1, 0)
    ctx.set_source(g)
    ctx.arc(0, 0, 1, 0, 2 * math.pi)
    ctx.fill()
    ctx.restore()


def score_star(ctx, cx, cy, r):
    """The score's mark: a gold star cut in facets, each lit by how it faces the top-left."""
    gold = PALETTE["gold"]
    points = []
    for i in range(10):
        rr = r if i % 2 == 0 else r * 0.46
        a = -math.pi / 2 + i * math.pi / 5
        points.append((cx + math.cos(a) * rr, cy + math.sin(a) * rr))

    def outline():
        for i, p in enumerate(points):
            (ctx.move_to if i == 0 else ctx.line_to)(*p)
        ctx.close_path()

    def body():
        outline()
        ctx.set_source_rgb(*gold)
        ctx.fill()

    glow(ctx, cx, cy, 0, r * 1.6, gold, 0.3)
    shadowed(ctx, body)
    for i in range(10):
        (x1, y1), (x2, y2) = points[i], points[(i + 1) % 10]
        nx, ny = y2 - y1, x1 - x2
        if nx * (x1 - cx) + ny * (y1 - cy) < 0:
            nx, ny = -nx, -ny
        facing = (nx * LIGHT[0] + ny * LIGHT[1]) / math.hypot(nx, ny)
        ctx.move_to(cx, cy)
        ctx.line_to(x1, y1)
        ctx.line_to(x2, y2)
        ctx.close_path()
        ctx.set_source_rgb(*shade(gold, 1.0 + 0.5 * facing))
        ctx.fill()
    outline()
    ctx.set_line_width(1)
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.set_source_rgba(*shade(gold, 0.3), 0.95)
    ctx.stroke()
    glint(ctx, cx - r * 0.22, cy - r * 0.3, r * 0.22, r * 0.16, 0.8)


def lives_heart(ctx, cx, cy, s):
    """The lives' mark: a heart, as on the extra-life powerup, bevelled, with a glint on its left lobe."""
    red = PALETTE["red"]

    def body():
        heart_path(ctx, cx, cy, s)
        g = cairo.LinearGradient(cx - s / 2, cy - s / 2, cx + s / 3, cy + s / 2)
        g.add_color_stop_rgb(0, *shade(red, 1.45))
        g.add_color_stop_rgb(0.55, *red)
        g.add_color_stop_rgb(1, *shade(red, 0.6))
        ctx.set_source(g)
        ctx.fill()

    glow(ctx, cx, cy, 0, s * 0.55, red, 0.35)
    shadowed(ctx, body)
    heart_path(ctx, cx, cy, s)
    ctx.set_line_width(1)
    ctx.set_source_rgba(*shade(red, 0.3), 0.95)
    ctx.stroke()
    glint(ctx, cx - s * 0.22, cy - s * 0.15, s * 0.13, s * 0.1, 0.85)


def level_flag(ctx, x, y):
    """The level's mark, 38 x 37 from its top-left corner (x, y): a pennant planted on a small
    stack of bricks, as on a wall just cleared."""
    bw, bh = 18, 8
    bricks = ((x + 1, y + 29, PALETTE["blue"]), (x + 20, y + 29, PALETTE["green"]),
              (x + 10.5, y + 21, PALETTE["yellow"]))
    pole_x, pole_top = x + 19.5, y + 1
    red = PALETTE["red"]

    def pennant():
        ctx.move_to(pole_x + 1, pole_top + 1)
        ctx.line_to(x + 37, pole_top + 6.5)
        ctx.line_to(pole_x + 1, pole_top + 12)
        ctx.close_path()

    def body():
        for bx, by, rgb in bricks:
            bevel_body(ctx, bx, by, bw, bh, rgb, radius=1.5, bevel=1.5)
        ctx.rectangle(pole_x - 1, pole_top, 2, y + 21 - pole_top)
        ctx.set_source_rgb(*PALETTE["white"])
        ctx.fill()
        pennant()
        ctx.set_source_rgb(*red)
        ctx.fill()

    glow(ctx, x + 19, y + 18, 0, 26, PALETTE["gold"], 0.12)
    shadowed(ctx, body)
    # The pole lit on its left, in shadow on its right, with a knob on top.
    ctx.rectangle(pole_x, pole_top, 1, y + 21 - pole_top)
    ctx.set_source_rgba(*shade(PALETTE["tough"], 0.5), 1)
    ctx.fill()
    ctx.arc(pole_x, pole_top, 1.8, 0, 2 * math.pi)
    ctx.set_source_rgb(*PALETTE["gold"])
    ctx.fill()
    # The pennant: lighter at the pole, a fold across it, a dark edge.
    pennant()
    g = cairo.LinearGradient(pole_x, pole_top, x + 37, pole_top + 12)
    g.add_color_stop_rgb(0, *shade(red, 1.2))
    g.add_color_stop_rgb(1, *shade(red, 0.75))
    ctx.set_source(g)
    ctx.fill()
    ctx.move_to(pole_x + 8, pole_top + 3.5)
    ctx.line_to(pole_x + 8, pole_top + 9.5)
    ctx.set_line_width(1)
    ctx.set_source_rgba(0, 0, 0, 0.2)
    ctx.stroke()
    pennant()
    ctx.set_source_rgba(*shade(red, 0.3), 0.95)
    ctx.stroke()


def draw_background(path, mood):
    m = MOODS[mood]
    rng = random.Random(m["seed"])
    surface = cairo.ImageSurface(cairo.FORMAT_RGB24, W, H)
    ctx = cairo.Context(surface)
    accent, panel, field = m["accent"], m["panel"], m["field"]

    # The frame around everything: the panel colour, darker.
    ctx.set_source_rgb(*shade(panel, 0.55))
    ctx.paint()

    # The field: dark, with clouds, a faint pattern and a vignette.
    fx, fy, fw, fh = FIELD
    g = cairo.LinearGradient(fx, fy, fx + fw * 0.3, fy + fh)
    g.add_color_stop_rgb(0, *scale(field, 1.3))
    g.add_color_stop_rgb(1, *scale(field, 0.75))
    ctx.rectangle(fx, fy, fw, fh)
    ctx.set_source(g)
    ctx.fill()
    paint_clouds(ctx, rng, fx, fy, fw, fh, m["cloud"], 0.16)
    field_pattern(ctx, m["pattern"], rng, accent)
    vignette = cairo.RadialGradient(fx + fw / 2, fy + fh / 2, fh * 0.3, fx + fw / 2, fy + fh / 2, fh * 0.75)
    vignette.add_color_stop_rgba(0, 0, 0, 0, 0)
    vignette.add_color_stop_rgba(1, 0, 0, 0, 0.65)
    ctx.rectangle(fx, fy, fw, fh)
    ctx.set_source(vignette)
    ctx.fill()
    # The field's sunken frame: shadow on the top and left edges, light on the bottom and right.
    ctx.set_line_width(1)
    ctx.set_source_rgba(0, 0, 0, 0.8)
    ctx.move_to(fx - 0.5, fy + fh)
    ctx.line_to(fx - 0.5, fy - 0.5)
    ctx.line_to(fx + fw, fy - 0.5)
    ctx.stroke()
    ctx.set_source_rgba(*shade(accent, 1.1), 0.55)
    ctx.move_to(fx + fw + 0.5, fy - 1)
    ctx.line_to(fx + fw + 0.5, fy + fh + 0.5)
    ctx.line_to(fx - 1, fy + fh + 0.5)
    ctx.stroke()
    ctx.set_source_rgba(0, 0, 0, 0.35)
    ctx.rectangle(fx, fy, fw, 3)
    ctx.rectangle(fx, fy, 3, fh)
    ctx.fill()

    # The side panel: a bevelled slab.
    px, py, pw, ph = PANEL
    bevel_body(ctx, px, py, pw, ph, panel, radius=6, bevel=4, gloss=False)
    paint_clouds(ctx, rng, px + 4, py + 4, pw - 8, ph - 8, scale(panel, 1.6), 0.2)

    slot = (*shade(field, 0.8), 0.92)
    # Score: the star above the figure's first digits (36-pixel digits from about y 115 to 141),
    # and above the boxes, which begin at y 172.
    sunken(ctx, 742, 70, 268, 84, 6, slot)
    score_star(ctx, 770, 90, 13)
    # Lives: the heart in the narrow gap between the boxes' right edge at x 768 and the figure
    # at x 790 (digits from about y 189 to 215).
    sunken(ctx, 742, 170, 268, 58, 6, slot)
    lives_heart(ctx, 779.5, 201, 20)
    # Level: the flag left of the figure at x 850 (digits from about y 249 to 275).
    sunken(ctx, 742, 238, 268, 54, 6, slot)
    level_flag(ctx, 802, 243)
    # Level name, player and records: one inset panel with two dividers.
    sunken(ctx, 742, 298, 268, 366, 8, (*shade(field, 0.9), 0.75))
    for y in (372.5, 518.5):
        g = cairo.LinearGradient(756, 0, 996, 0)
        g.add_color_stop_rgba(0, *accent, 0)
        g.add_color_stop_rgba(0.5, *accent, 0.45)
        g.add_color_stop_rgba(1, *accent, 0)
        ctx.set_source(g)
        ctx.rectangle(756, y, 240, 1)
        ctx.fill()

    # The foot of the panel: a small wall of bricks with a glowing ball over it.
    colours = [(0.86, 0.2, 0.18), (0.95, 0.5, 0.12), (0.95, 0.8, 0.18), (0.28, 0.7, 0.26),
               (0.2, 0.46, 0.9), (0.56, 0.28, 0.82)]
    for row in range(2):
        for col in range(5 - row):
            x = 790 + col * 34 + row * 17
            y = 722 - row * 15
            bevel_body(ctx, x, y, 32, 13, colours[(col + row * 2 + m["seed"]) % 6], radius=2, bevel=2)
    glow(ctx, 910, 688, 0, 22, accent, 0.55)
    ball = cairo.RadialGradient(907, 685, 0.5, 910, 688, 7)
    ball.add_color_stop_rgb(0, 1, 1, 1)
    ball.add_color_stop_rgb(1, *shade(accent, 0.7))
    ctx.set_source(ball)
    ctx.arc(910, 688, 7, 0, 2 * math.pi)
    ctx.fill()
    caption(ctx, "BRONDELVIX 2!", 876, 750, 12, shade(accent, 0.9), anchor="centre")

    surface.write_to_png(path)


def draw_all(folder):
    for mood in MOODS:
        draw_background(os.path.join(folder, f"bg_{mood}.png"), mood)
