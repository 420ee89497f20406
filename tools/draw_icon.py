#!/usr/bin/python3
"""Draws the game's icon with cairo: a glowing ball rising over a wall of bevelled bricks on the
dark field, in the classic pack's palette, light from the top-left.

- desktop/icons/hicolor/<N>x<N>/apps/brondelvix2.png for the desktop's menus, N in SIZES;
- resources/data/images/icon.png (64 x 64), which the game puts on its window.

Small sizes are drawn with fewer, larger bricks rather than shrunk, so that they stay readable.

    tools/draw_icon.py [repository folder]
"""
import math
import os
import sys

import cairo

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from draw_interface import rounded_rect  # noqa: E402
from pack_art_shapes import PALETTE, bevel_body, glow, shade, shiny_sphere  # noqa: E402

SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
WINDOW_ICON_SIZE = 64
NAME = "brondelvix2"

ROW_COLOURS = ("red", "orange", "yellow", "green", "blue")


def layout(n):
    """Columns and rows of the wall for an icon n pixels wide."""
    if n <= 24:
        return 2, 2
    if n <= 64:
        return 3, 3
    return 4, 4


def small_brick(ctx, x, y, w, h, rgb):
    """A brick a few pixels tall: the bevel comes down to a light top row and a dark bottom row."""
    ctx.rectangle(x, y, w, h)
    ctx.set_source_rgb(*rgb)
    ctx.fill()
    ctx.rectangle(x, y, w, 1)
    ctx.set_source_rgb(*shade(rgb, 1.45))
    ctx.fill()
    ctx.rectangle(x, y + h - 1, w, 1)
    ctx.set_source_rgb(*shade(rgb, 0.55))
    ctx.fill()


def draw(ctx, n):
    s = n / 256.0  # the drawing is laid out on a 256 grid
    # The field: a dark rounded tile with a faint light from the top-left.
    margin = 8 * s if n >= 32 else 0.5
    radius = 36 * s if n >= 32 else 3
    rounded_rect(ctx, margin, margin, n - 2 * margin, n - 2 * margin, radius)
    field = cairo.LinearGradient(0, 0, n, n)
    field.add_color_stop_rgb(0, 0.16, 0.18, 0.27)
    field.add_color_stop_rgb(1, 0.04, 0.04, 0.08)
    ctx.set_source(field)
    ctx.fill_preserve()
    ctx.set_line_width(max(1.0, 3 * s))
    ctx.set_source_rgba(*PALETTE["ink"], 1)
    ctx.stroke()

    # The wall across the upper half, one colour a row; one brick already broken.
    cols, rows = layout(n)
    left, right = 30 * s, n - 30 * s
    top = 34 * s
    gap = max(1.0, 6 * s)
    bw = (right - left - gap * (cols - 1)) / cols
    wall = 96 * s if n > 64 else 0.42 * n
    bh = (wall - gap * (rows - 1)) / rows
    broken = (rows - 1, cols - 2)
    for r in range(rows):
        for c in range(cols):
            if (r, c) == broken:
                continue
            x = left + c * (bw + gap)
            y = top + r * (bh + gap)
            rgb = PALETTE[ROW_COLOURS[r % len(ROW_COLOURS)]]
            if n < 32:
                small_brick(ctx, round(x), round(y), round(bw), round(bh), rgb)
            else:
                bevel_body(ctx, round(x), round(y), round(bw), round(bh), rgb, radius=max(1.0, 5 * s),
                           bevel=max(1.0, 7 * s), outline=True, gloss=True)

    # The ball below the gap it just left, with its glow.
    bx = left + broken[1] * (bw + gap) + bw / 2
    by = 178 * s
    br = 25 * s if n > 24 else 36 * s
    glow(ctx, bx, by, br * 0.5, br * 2.6, PALETTE["cyan"], 0.85)
    shiny_sphere(ctx, bx, by, br, PALETTE["white"], rim=n >= 32)

    # A short trail from the paddle to the ball, for the larger sizes.
    if n >= 48:
        ctx.set_line_width(6 * s)
        ctx.set_line_cap(cairo.LINE_CAP_ROUND)
        trail = cairo.LinearGradient(bx - 60 * s, 232 * s, bx, by)
        trail.add_color_stop_rgba(0, *PALETTE["cyan"], 0.0)
        trail.add_color_stop_rgba(1, *PALETTE["cyan"], 0.55)
        ctx.set_source(trail)
        ctx.move_to(bx - 60 * s, 226 * s)
        ctx.line_to(bx - br * 0.8, by + br * 0.6)
        ctx.stroke()

    # The paddle at the bottom edge.
    pw, ph = 104 * s, max(2.0, 16 * s)
    px = bx - 60 * s - pw / 2
    px = min(max(px, left), right - pw)
    if n < 48:
        small_brick(ctx, round(px), round(226 * s - ph / 2), round(pw), round(ph), shade(PALETTE["steel"], 1.5))
    else:
        bevel_body(ctx, round(px), round(226 * s - ph / 2), round(pw), round(ph), shade(PALETTE["steel"], 1.3),
                   radius=max(1.0, 6 * s), bevel=max(1.0, 4 * s), outline=True, gloss=True)


def render(n, path):
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, n, n)
    ctx = cairo.Context(surface)
    draw(ctx, n)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    surface.write_to_png(path)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    for n in SIZES:
        render(n, os.path.join(root, "desktop", "icons", "hicolor", f"{n}x{n}", "apps", NAME + ".png"))
    render(WINDOW_ICON_SIZE, os.path.join(root, "resources", "data", "images", "icon.png"))


if __name__ == "__main__":
    main()
