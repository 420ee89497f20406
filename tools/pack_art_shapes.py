"""Shared drawing helpers of the classic pack's pictures: the palette, bevelled bodies, glows,
the ice layer and the small emblems (flame, snowflake, bomb, keyhole, padlock, rivets...).

Every function draws into a cairo context in the caller's coordinates; light comes from the
top-left throughout.
"""
import math
import os
import sys

import cairo

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from draw_interface import rounded_rect  # noqa: E402  (the menu pictures' own helper)

FONT = "DejaVu Sans"

# The one palette of the pack.
PALETTE = {
    "red": (0.86, 0.20, 0.18),
    "orange": (0.95, 0.50, 0.12),
    "yellow": (0.95, 0.80, 0.18),
    "green": (0.28, 0.70, 0.26),
    "blue": (0.20, 0.46, 0.90),
    "purple": (0.56, 0.28, 0.82),
    "tough": (0.48, 0.56, 0.66),
    "steel": (0.34, 0.37, 0.42),
    "bomb": (0.55, 0.12, 0.12),
    "wood": (0.60, 0.36, 0.17),
    "ice": (0.62, 0.86, 0.98),
    "gold": (0.95, 0.74, 0.22),
    "bronze": (0.52, 0.36, 0.18),
    "cyan": (0.30, 0.88, 1.00),
    "white": (0.95, 0.95, 0.97),
    "ink": (0.06, 0.06, 0.09),
}


def shade(rgb, k):
    """rgb scaled by k (k > 1 lightens towards white, k < 1 darkens)."""
    if k >= 1:
        return tuple(min(1.0, c + (1 - c) * (k - 1)) for c in rgb)
    return tuple(c * k for c in rgb)


def new_surface(w, h):
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, w, h)
    return surface, cairo.Context(surface)


def scale(rgb, k):
    """rgb with every channel multiplied by k (keeps the hue of dark colours)."""
    return tuple(min(1.0, c * k) for c in rgb)


def bevel_body(ctx, x, y, w, h, rgb, radius=2.5, bevel=3.0, outline=True, gloss=True):
    """A bevelled block: inner gradient, light top/left bands, dark bottom/right bands, a
    highlight line under the top edge, a soft gloss and a thin dark outline. Without gloss
    (large panels) the face keeps its hue: its gradient darkens and lightens by factors."""
    ctx.save()
    rounded_rect(ctx, x, y, w, h, radius)
    ctx.clip()
    grad = cairo.LinearGradient(x, y, x + w * 0.25, y + h)
    grad.add_color_stop_rgb(0, *(shade(rgb, 1.22) if gloss else scale(rgb, 1.25)))
    grad.add_color_stop_rgb(0.55, *rgb)
    grad.add_color_stop_rgb(1, *shade(rgb, 0.72))
    ctx.set_source(grad)
    ctx.paint()
    b = bevel
    bands = [
        ([(x, y), (x + w, y), (x + w - b, y + b), (x + b, y + b)], (1, 1, 1, 0.42)),
        ([(x, y), (x + b, y + b), (x + b, y + h - b), (x, y + h)], (1, 1, 1, 0.24)),
        ([(x, y + h), (x + b, y + h - b), (x + w - b, y + h - b), (x + w, y + h)], (0, 0, 0, 0.38)),
        ([(x + w, y), (x + w, y + h), (x + w - b, y + h - b), (x + w - b, y + b)], (0, 0, 0, 0.26)),
    ]
    for points, rgba in bands:
        ctx.move_to(*points[0])
        for p in points[1:]:
            ctx.line_to(*p)
        ctx.close_path()
        ctx.set_source_rgba(*rgba)
        ctx.fill()
    if gloss:
        # Gloss over the upper half of the face.
        sheen = cairo.LinearGradient(x, y + b, x, y + h * 0.55)
        sheen.add_color_stop_rgba(0, 1, 1, 1, 0.28)
        sheen.add_color_stop_rgba(1, 1, 1, 1, 0.0)
        ctx.rectangle(x + b, y + b, w - 2 * b, h * 0.55 - b)
        ctx.set_source(sheen)
        ctx.fill()
    # Highlight edge.
    ctx.set_line_width(1)
    ctx.set_source_rgba(1, 1, 1, 0.75)
    ctx.move_to(x + radius, y + 1.5)
    ctx.line_to(x + w - radius - 1, y + 1.5)
    ctx.stroke()
    ctx.restore()
    if outline:
        rounded_rect(ctx, x + 0.5, y + 0.5, w - 1, h - 1, radius)
        ctx.set_line_width(1)
        ctx.set_source_rgba(*shade(rgb, 0.25), 1)
        ctx.stroke()


def glow(ctx, cx, cy, r0, r1, rgb, a):
    g = cairo.RadialGradient(cx, cy, r0, cx, cy, r1)
    g.add_color_stop_rgba(0, *rgb, a)
    g.add_color_stop_rgba(0.5, *rgb, a * 0.35)
    g.add_color_stop_rgba(1, *rgb, 0)
    ctx.set_source(g)
    ctx.arc(cx, cy, r1, 0, 2 * math.pi)
    ctx.fill()


def shiny_sphere(ctx, cx, cy, r, rgb, rim=True):
    body = cairo.RadialGradient(cx - r * 0.38, cy - r * 0.42, r * 0.08, cx, cy, r)
    body.add_color_stop_rgb(0, 1, 1, 1)
    body.add_color_stop_rgb(0.3, *shade(rgb, 1.35))
    body.add_color_stop_rgb(0.85, *rgb)
    body.add_color_stop_rgb(1, *shade(rgb, 0.55))
    ctx.set_source(body)
    ctx.arc(cx, cy, r, 0, 2 * math.pi)
    ctx.fill()
    if rim:
        ctx.set_line_width(0.8)
        ctx.set_source_rgba(*shade(rgb, 0.3), 0.9)
        ctx.arc(cx, cy, r - 0.4, 0, 2 * math.pi)
        ctx.stroke()


def ice_layer(ctx, x, y, w, h, radius, seed=0):
    """A translucent layer of ice over what is already drawn: a pale blue film, frost streaks,
    a glint at the top-left and a light outline."""
    ctx.save()
    rounded_rect(ctx, x, y, w, h, radius)
    ctx.clip()
    film = cairo.LinearGradient(x, y, x + w, y + h)
    film.add_color_stop_rgba(0, 0.92, 0.98, 1.0, 0.62)
    film.add_color_stop_rgba(0.5, 0.66, 0.86, 1.0, 0.40)
    film.add_color_stop_rgba(1, 0.45, 0.70, 0.95, 0.52)
    ctx.set_source(film)
    ctx.paint()
    ctx.set_line_width(1)
    step = max(6.0, w / 6.0)
    i = 0
    sx = x - h + (seed % 3) * 2
    while sx < x + w:
        ctx.set_source_rgba(1, 1, 1, 0.35 if i % 2 else 0.18)
        ctx.move_to(sx, y + h)
        ctx.line_to(sx + h * 0.8, y)
        ctx.stroke()
        sx += step * (0.7 + 0.2 * ((i * 7 + seed) % 3))
        i += 1
    gl = cairo.RadialGradient(x + w * 0.18, y + h * 0.2, 0, x + w * 0.18, y + h * 0.2, min(w, h) * 0.6)
    gl.add_color_stop_rgba(0, 1, 1, 1, 0.8)
    gl.add_color_stop_rgba(1, 1, 1, 1, 0)
    ctx.set_source(gl)
    ctx.paint()
    ctx.restore()
    rounded_rect(ctx, x + 0.5, y + 0.5, w - 1, h - 1, radius)
    ctx.set_line_width(1)
    ctx.set_source_rgba(0.85, 0.96, 1.0, 0.95)
    ctx.stroke()


# ---------------------------------------------------------------------------
# Emblems, each centred on (cx, cy) and about s pixels tall.


def emblem_shadowed(ctx, draw, cx, cy, s):
    """Draws an emblem twice: a dark copy down-right (away from the light), then itself."""
    ctx.save()
    ctx.translate(0.8, 0.9)
    ctx.push_group()
    draw(ctx, cx, cy, s)
    pattern = ctx.pop_group()
    ctx.set_source_rgba(0, 0, 0, 0.55)
    ctx.mask(pattern)
    ctx.restore()
    draw(ctx, cx, cy, s)


def flame_path(ctx, cx, cy, s):
    h = s
    w = s * 0.62
    top = cy - h / 2
    bot = cy + h / 2
    ctx.move_to(cx, top)
    ctx.curve_to(cx + w * 0.25, top + h * 0.25, cx + w * 0.62, top + h * 0.42, cx + w * 0.5, bot - h * 0.25)
    ctx.curve_to(cx + w * 0.45, bot, cx - w * 0.45, bot, cx - w * 0.5, bot - h * 0.25)
    ctx.curve_to(cx - w * 0.55, top + h * 0.5, cx - w * 0.1, top + h * 0.45, cx, top)
    ctx.close_path()


def draw_flame(ctx, cx, cy, s):
    flame_path(ctx, cx, cy, s)
    g = cairo.LinearGradient(cx, cy - s / 2, cx, cy + s / 2)
    g.add_color_stop_rgb(0, 1.0, 0.85, 0.2)
    g.add_color_stop_rgb(0.6, 1.0, 0.45, 0.05)
    g.add_color_stop_rgb(1, 0.85, 0.12, 0.05)
    ctx.set_source(g)
    ctx.fill()
    flame_path(ctx, cx, cy + s * 0.18, s * 0.55)
    ctx.set_source_rgb(1.0, 0.95, 0.55)
    ctx.fill()


def draw_snowflake(ctx, cx, cy, s, rgb=(1, 1, 1), width=1.3):
    r = s / 2
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_line_width(width)
    ctx.set_source_rgb(*rgb)
    for k in range(6):
        a = k * math.pi / 3 + math.pi / 2
        dx, dy = math.cos(a), math.sin(a)
        ctx.move_to(cx, cy)
        ctx.line_to(cx + dx * r, cy + dy * r)
        bx, by = cx + dx * r * 0.55, cy + dy * r * 0.55
        for side in (-1, 1):
            b = a + side * math.pi / 4
            ctx.move_to(bx, by)
            ctx.line_to(bx + math.cos(b) * r * 0.33, by + math.sin(b) * r * 0.33)
    ctx.stroke()


def draw_bomb(ctx, cx, cy, s, spark=True):
    r = s * 0.36
    by = cy + s * 0.12
    shiny_sphere(ctx, cx, by, r, (0.16, 0.16, 0.2))
    ctx.set_source_rgb(0.35, 0.35, 0.4)
    ctx.rectangle(cx + r * 0.35, by - r * 1.15, r * 0.55, r * 0.45)
    ctx.fill()
    ctx.set_line_width(max(0.8, s * 0.07))
    ctx.set_source_rgb(0.85, 0.75, 0.55)
    ctx.move_to(cx + r * 0.62, by - r * 1.12)
    ctx.curve_to(cx + r * 0.7, by - r * 1.6, cx + r * 1.2, by - r * 1.5, cx + r * 1.2, by - r * 1.85)
    ctx.stroke()
    if spark:
        sx, sy = cx + r * 1.2, by - r * 1.95
        glow(ctx, sx, sy, 0, s * 0.25, (1.0, 0.8, 0.2), 0.9)
        ctx.set_source_rgb(1, 1, 0.85)
        ctx.arc(sx, sy, max(0.7, s * 0.05), 0, 2 * math.pi)
        ctx.fill()


def draw_keyhole(ctx, cx, cy, s, rgb=(0.12, 0.08, 0.04)):
    r = s * 0.24
    ctx.arc(cx, cy - s * 0.16, r, 0, 2 * math.pi)
    ctx.move_to(cx - r * 0.55, cy - s * 0.12)
    ctx.line_to(cx + r * 0.55, cy - s * 0.12)
    ctx.line_to(cx + r * 0.95, cy + s * 0.42)
    ctx.line_to(cx - r * 0.95, cy + s * 0.42)
    ctx.close_path()
    ctx.set_source_rgb(*rgb)
    ctx.fill()


def draw_padlock(ctx, cx, cy, s):
    bw, bh = s * 0.78, s * 0.55
    ctx.set_line_width(s * 0.13)
    ctx.set_source_rgb(0.78, 0.8, 0.84)
    ctx.arc(cx, cy - s * 0.05, s * 0.25, math.pi, 2 * math.pi)
    ctx.stroke()
    rounded_rect(ctx, cx - bw / 2, cy - s * 0.05, bw, bh, 1.5)
    g = cairo.LinearGradient(cx, cy - s * 0.05, cx, cy + bh)
    g.add_color_stop_rgb(0, 1.0, 0.88, 0.45)
    g.add_color_stop_rgb(1, 0.72, 0.5, 0.12)
    ctx.set_source(g)
    ctx.fill()
    draw_keyhole(ctx, cx, cy + bh * 0.45, s * 0.38)


def draw_rivet(ctx, cx, cy, r=1.8):
    g = cairo.RadialGradient(cx - r * 0.4, cy - r * 0.4, 0, cx, cy, r)
    g.add_color_stop_rgb(0, 0.95, 0.96, 1.0)
    g.add_color_stop_rgb(0.6, 0.6, 0.64, 0.7)
    g.add_color_stop_rgb(1, 0.25, 0.27, 0.3)
    ctx.set_source(g)
    ctx.arc(cx, cy, r, 0, 2 * math.pi)
    ctx.fill()


def star_path(ctx, cx, cy, r_out, r_in, points=5, turn=-math.pi / 2):
    for i in range(points * 2):
        r = r_out if i % 2 == 0 else r_in
        a = turn + i * math.pi / points
        (ctx.move_to if i == 0 else ctx.line_to)(cx + math.cos(a) * r, cy + math.sin(a) * r)
    ctx.close_path()


def draw_star(ctx, cx, cy, s, rgb=(1.0, 0.95, 0.6)):
    star_path(ctx, cx, cy, s / 2, s / 4.4)
    ctx.set_source_rgb(*rgb)
    ctx.fill_preserve()
    ctx.set_line_width(0.8)
    ctx.set_source_rgba(0.45, 0.3, 0.05, 0.9)
    ctx.stroke()


def bolt_path(ctx, cx, cy, s):
    w = s * 0.5
    pts = [(0.15, -0.5), (-0.35, 0.05), (-0.02, 0.05), (-0.2, 0.5), (0.35, -0.08), (0.02, -0.08)]
    for i, (px, py) in enumerate(pts):
        (ctx.move_to if i == 0 else ctx.line_to)(cx + px * w * 2, cy + py * s)
    ctx.close_path()


def draw_bolt(ctx, cx, cy, s, rgb=(1.0, 0.95, 0.35)):
    bolt_path(ctx, cx, cy, s)
    ctx.set_source_rgb(*rgb)
    ctx.fill_preserve()
    ctx.set_line_width(0.7)
    ctx.set_source_rgba(0.3, 0.2, 0.0, 0.8)
    ctx.stroke()


def heart_path(ctx, cx, cy, s):
    r = s * 0.26
    ctx.move_to(cx, cy + s * 0.42)
    ctx.curve_to(cx - s * 0.55, cy + s * 0.02, cx - s * 0.5, cy - s * 0.45, cx - r * 0.1, cy - s * 0.2)
    ctx.line_to(cx, cy - s * 0.12)
    ctx.line_to(cx + r * 0.1, cy - s * 0.2)
    ctx.curve_to(cx + s * 0.5, cy - s * 0.45, cx + s * 0.55, cy + s * 0.02, cx, cy + s * 0.42)
    ctx.close_path()


def draw_heart(ctx, cx, cy, s, rgb=(0.95, 0.2, 0.3)):
    heart_path(ctx, cx, cy, s)
    g = cairo.LinearGradient(cx - s / 2, cy - s / 2, cx + s / 3, cy + s / 2)
    g.add_color_stop_rgb(0, *shade(rgb, 1.4))
    g.add_color_stop_rgb(1, *shade(rgb, 0.7))
    ctx.set_source(g)
    ctx.fill()


def crack(ctx, points, width=1.1):
    """A crack: a dark jagged line with a light edge below-right, where the light catches it."""
    for dx, dy, rgba, wd in ((0.7, 0.7, (1, 1, 1, 0.35), width * 0.8), (0, 0, (0.05, 0.05, 0.08, 0.9), width)):
        ctx.set_line_width(wd)
        ctx.set_source_rgba(*rgba)
        for i, (px, py) in enumerate(points):
            (ctx.move_to if i == 0 else ctx.line_to)(px + dx, py + dy)
        ctx.stroke()


def text_centered(ctx, text, cx, cy, size, rgb=(1, 1, 1), outline=(0, 0, 0), weight=cairo.FONT_WEIGHT_BOLD,
                  outline_width=2.0):
    ctx.select_font_face(FONT, cairo.FONT_SLANT_NORMAL, weight)
    ctx.set_font_size(size)
    ext = ctx.text_extents(text)
    x = cx - ext.width / 2 - ext.x_bearing
    y = cy - ext.height / 2 - ext.y_bearing
    ctx.new_path()
    ctx.move_to(x, y)
    ctx.text_path(text)
    if outline is not None:
        ctx.set_line_join(cairo.LINE_JOIN_ROUND)
        ctx.set_line_width(outline_width)
        ctx.set_source_rgba(*outline, 0.9)
        ctx.stroke_preserve()
    ctx.set_source_rgb(*rgb)
    ctx.fill()
