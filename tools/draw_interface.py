#!/usr/bin/python3
"""Draws the menu pictures of the data folder with cairo, into resources/data/images/:

- title.png  (1024 x 768) the menu background: a dark brick wall with the game's title;
- dialog.png (512 x 424)  the box every menu screen draws centred behind its buttons;
- cursor.png (32 x 32)    the pointer, its tip at the top-left corner.

Light comes from the top-left throughout. Needs python3-cairo and fonts-dejavu-core.

    tools/draw_interface.py [output folder]
"""
import math
import os
import random
import sys

import cairo

W, H = 1024, 768
FONT = "DejaVu Sans"

# The menus lay their buttons out in the band y 210..564 of the logical 1024 x 768 screen,
# 400 wide and centred; titles stand at y 198 and the player caption at y 589. The box is
# drawn centred on the screen, so its panel spans 480 x 392 around the centre (y 188..580); the rest of
# the picture is room for its shadow.
DIALOG_W, DIALOG_H = 512, 424
PANEL_W, PANEL_H = 480, 392


def rounded_rect(ctx, x, y, w, h, r):
    ctx.new_sub_path()
    ctx.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    ctx.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    ctx.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    ctx.arc(x + r, y + r, r, math.pi, 3 * math.pi / 2)
    ctx.close_path()


def box_blur_alpha(surface, radius, passes=3):
    """Blurs an ARGB32 surface in place (premultiplied, so every channel alike)."""
    w, h = surface.get_width(), surface.get_height()
    stride = surface.get_stride()
    surface.flush()
    data = surface.get_data()
    buf = bytearray(data)
    for _ in range(passes):
        for horizontal in (True, False):
            out = bytearray(len(buf))
            lines, length = (h, w) if horizontal else (w, h)
            for line in range(lines):
                for ch in range(4):
                    def idx(i):
                        return (line * stride + i * 4 + ch) if horizontal else (i * stride + line * 4 + ch)
                    total = 0
                    window = 2 * radius + 1
                    for i in range(-radius, radius + 1):
                        total += buf[idx(min(max(i, 0), length - 1))]
                    for i in range(length):
                        out[idx(i)] = total // window
                        total += buf[idx(min(i + radius + 1, length - 1))] - buf[idx(max(i - radius, 0))]
            buf = out
    data[:] = bytes(buf)
    surface.mark_dirty()


def add_noise(surface, amount, seed):
    """Grain over an opaque surface: every pixel darker or lighter by up to `amount`."""
    rng = random.Random(seed)
    surface.flush()
    data = surface.get_data()
    w, h, stride = surface.get_width(), surface.get_height(), surface.get_stride()
    buf = bytearray(data)
    for y in range(h):
        row = y * stride
        for x in range(w):
            d = rng.randint(-amount, amount)
            p = row + 4 * x
            for c in range(3):
                v = buf[p + c] + d
                buf[p + c] = 0 if v < 0 else 255 if v > 255 else v
    data[:] = bytes(buf)
    surface.mark_dirty()


# ---------------------------------------------------------------------------
# Menu background


def draw_brick(ctx, x, y, w, h, rgb, alpha):
    """A bevelled brick lit from the top-left, drawn faint so it stays in the background."""
    r, g, b = rgb
    grad = cairo.LinearGradient(x, y, x + w * 0.4, y + h)
    grad.add_color_stop_rgba(0, min(1, r * 1.35), min(1, g * 1.35), min(1, b * 1.35), alpha)
    grad.add_color_stop_rgba(1, r * 0.7, g * 0.7, b * 0.7, alpha)
    rounded_rect(ctx, x, y, w, h, 3)
    ctx.set_source(grad)
    ctx.fill()
    bevel = 3
    # Highlight on the top and left edges, shade on the bottom and right.
    ctx.set_line_width(1.5)
    ctx.set_source_rgba(1, 1, 1, alpha * 0.45)
    ctx.move_to(x + bevel, y + h - bevel)
    ctx.line_to(x + bevel, y + bevel)
    ctx.line_to(x + w - bevel, y + bevel)
    ctx.stroke()
    ctx.set_source_rgba(0, 0, 0, alpha * 0.6)
    ctx.move_to(x + w - bevel, y + bevel)
    ctx.line_to(x + w - bevel, y + h - bevel)
    ctx.line_to(x + bevel, y + h - bevel)
    ctx.stroke()
    rounded_rect(ctx, x + 0.5, y + 0.5, w - 1, h - 1, 3)
    ctx.set_line_width(1)
    ctx.set_source_rgba(0, 0, 0, alpha * 0.9)
    ctx.stroke()


def draw_glow_ball(ctx, cx, cy, r, rgb):
    red, green, blue = rgb
    halo = cairo.RadialGradient(cx, cy, r * 0.5, cx, cy, r * 4.5)
    halo.add_color_stop_rgba(0, red, green, blue, 0.45)
    halo.add_color_stop_rgba(1, red, green, blue, 0)
    ctx.set_source(halo)
    ctx.arc(cx, cy, r * 4.5, 0, 2 * math.pi)
    ctx.fill()
    body = cairo.RadialGradient(cx - r * 0.35, cy - r * 0.4, r * 0.1, cx, cy, r)
    body.add_color_stop_rgb(0, 1, 1, 1)
    body.add_color_stop_rgb(0.35, min(1, red + 0.4), min(1, green + 0.4), min(1, blue + 0.4))
    body.add_color_stop_rgb(1, red * 0.6, green * 0.6, blue * 0.6)
    ctx.set_source(body)
    ctx.arc(cx, cy, r, 0, 2 * math.pi)
    ctx.fill()


def draw_title_text(ctx, text, cx, baseline, size):
    ctx.select_font_face(FONT, cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_BOLD)
    ctx.set_font_size(size)
    ext = ctx.text_extents(text)
    x = cx - ext.x_advance / 2 - ext.x_bearing / 2

    def path(dx=0.0, dy=0.0):
        ctx.new_path()
        ctx.move_to(x + dx, baseline + dy)
        ctx.text_path(text)

    top = baseline + ext.y_bearing
    # Soft shadow down and to the right, away from the light.
    shadow = cairo.ImageSurface(cairo.FORMAT_ARGB32, W, 260)
    sctx = cairo.Context(shadow)
    sctx.select_font_face(FONT, cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_BOLD)
    sctx.set_font_size(size)
    sctx.move_to(x + 7, baseline + 9)
    sctx.text_path(text)
    sctx.set_source_rgba(0, 0, 0, 0.85)
    sctx.fill()
    box_blur_alpha(shadow, 4, passes=2)
    ctx.set_source_surface(shadow, 0, 0)
    ctx.paint()
    # A thick dark rim, then the face with a warm gradient, lit from the top-left.
    path()
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.set_line_width(9)
    ctx.set_source_rgb(0.05, 0.03, 0.10)
    ctx.stroke()
    path()
    face = cairo.LinearGradient(0, top, 0, baseline)
    face.add_color_stop_rgb(0.0, 1.00, 0.97, 0.78)
    face.add_color_stop_rgb(0.45, 1.00, 0.78, 0.25)
    face.add_color_stop_rgb(0.55, 0.95, 0.55, 0.10)
    face.add_color_stop_rgb(1.0, 0.80, 0.30, 0.05)
    ctx.set_source(face)
    ctx.fill_preserve()
    # Bevel: a light edge on the upper left of each letter, a dark one lower right.
    ctx.save()
    ctx.clip()
    path(2.5, 2.5)
    ctx.set_line_width(3)
    ctx.set_source_rgba(1, 1, 0.9, 0.55)
    ctx.stroke()
    path(-2.5, -2.5)
    ctx.set_line_width(3)
    ctx.set_source_rgba(0.35, 0.12, 0.0, 0.6)
    ctx.stroke()
    ctx.restore()
    path()
    ctx.set_line_width(1.2)
    ctx.set_source_rgba(0.25, 0.08, 0.0, 0.9)
    ctx.stroke()
    return x, top, ext


def draw_title(path):
    # Opaque: the whole screen is covered, so the file needs no alpha channel.
    surface = cairo.ImageSurface(cairo.FORMAT_RGB24, W, H)
    ctx = cairo.Context(surface)
    rng = random.Random(77)

    # The field: deep blue-violet, lighter toward the top-left where the light is.
    base = cairo.LinearGradient(0, 0, W * 0.6, H)
    base.add_color_stop_rgb(0, 0.09, 0.10, 0.20)
    base.add_color_stop_rgb(1, 0.02, 0.02, 0.06)
    ctx.set_source(base)
    ctx.paint()

    # A wall of faint bricks, in running bond, in the pack's palette.
    palette = [(0.85, 0.25, 0.25), (0.95, 0.6, 0.15), (0.9, 0.85, 0.2), (0.3, 0.8, 0.35),
               (0.2, 0.6, 0.95), (0.6, 0.35, 0.9), (0.5, 0.55, 0.65)]
    bw, bh, gap = 64, 28, 4
    for row, y in enumerate(range(-bh // 2, H + bh, bh + gap)):
        offset = -(bw + gap) // 2 if row % 2 else 0
        for x in range(offset, W + bw, bw + gap):
            if rng.random() < 0.12:
                continue  # knocked out already
            rgb = rng.choice(palette)
            draw_brick(ctx, x, y, bw, bh, rgb, 0.10 + 0.06 * rng.random())

    # Light from the top-left and a vignette that keeps the middle calm for the menu.
    light = cairo.RadialGradient(120, 60, 20, 120, 60, 900)
    light.add_color_stop_rgba(0, 0.55, 0.65, 1.0, 0.16)
    light.add_color_stop_rgba(1, 0.55, 0.65, 1.0, 0.0)
    ctx.set_source(light)
    ctx.paint()
    calm = cairo.RadialGradient(W / 2, H / 2 + 20, 120, W / 2, H / 2 + 20, 420)
    calm.add_color_stop_rgba(0, 0, 0, 0.02, 0.55)
    calm.add_color_stop_rgba(1, 0, 0, 0.02, 0.0)
    ctx.set_source(calm)
    ctx.paint()
    vignette = cairo.RadialGradient(W / 2, H / 2, 300, W / 2, H / 2, 720)
    vignette.add_color_stop_rgba(0, 0, 0, 0, 0)
    vignette.add_color_stop_rgba(1, 0, 0, 0, 0.75)
    ctx.set_source(vignette)
    ctx.paint()

    # A band behind the title so it reads on the wall.
    band = cairo.LinearGradient(0, 10, 0, 180)
    band.add_color_stop_rgba(0, 0, 0, 0, 0)
    band.add_color_stop_rgba(0.5, 0.0, 0.0, 0.02, 0.55)
    band.add_color_stop_rgba(1, 0, 0, 0, 0)
    ctx.set_source(band)
    ctx.rectangle(0, 10, W, 170)
    ctx.fill()

    x, top, ext = draw_title_text(ctx, "Brondelvix 2!", W / 2, 138, 104)

    # A ball in flight past the title, with its spark trail.
    bx, by = x + ext.x_advance + 62, top - 4
    for i in range(12):
        t = i / 12.0
        px = bx - 18 - 60 * t
        py = by + 30 + 70 * t * t
        ctx.set_source_rgba(0.6, 0.9, 1.0, 0.35 * (1 - t))
        ctx.arc(px, py, 5.5 * (1 - t) + 1, 0, 2 * math.pi)
        ctx.fill()
    draw_glow_ball(ctx, bx, by + 14, 11, (0.35, 0.8, 1.0))

    # A thin rule under the title, light on its upper edge.
    rule_y = 168
    rule = cairo.LinearGradient(W / 2 - 300, 0, W / 2 + 300, 0)
    rule.add_color_stop_rgba(0, 1, 0.75, 0.3, 0)
    rule.add_color_stop_rgba(0.5, 1, 0.75, 0.3, 0.8)
    rule.add_color_stop_rgba(1, 1, 0.75, 0.3, 0)
    ctx.set_source(rule)
    ctx.rectangle(W / 2 - 300, rule_y, 600, 2)
    ctx.fill()

    add_noise(surface, 2, 11)
    surface.write_to_png(path)


# ---------------------------------------------------------------------------
# Dialog box


def draw_dialog(path):
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, DIALOG_W, DIALOG_H)
    ctx = cairo.Context(surface)
    px, py = (DIALOG_W - PANEL_W) / 2, (DIALOG_H - PANEL_H) / 2
    radius = 16

    # Shadow, cast down and to the right.
    shadow = cairo.ImageSurface(cairo.FORMAT_ARGB32, DIALOG_W, DIALOG_H)
    sctx = cairo.Context(shadow)
    rounded_rect(sctx, px + 5, py + 7, PANEL_W, PANEL_H, radius)
    sctx.set_source_rgba(0, 0, 0, 0.7)
    sctx.fill()
    box_blur_alpha(shadow, 4, passes=2)
    ctx.set_source_surface(shadow, 0, 0)
    ctx.paint()

    # The panel: dark and see-through, a little lighter at the top-left.
    rounded_rect(ctx, px, py, PANEL_W, PANEL_H, radius)
    fill = cairo.LinearGradient(px, py, px + PANEL_W * 0.5, py + PANEL_H)
    fill.add_color_stop_rgba(0, 0.10, 0.14, 0.16, 0.88)
    fill.add_color_stop_rgba(1, 0.01, 0.03, 0.04, 0.86)
    ctx.set_source(fill)
    ctx.fill()

    # A soft sheen over the upper part.
    ctx.save()
    rounded_rect(ctx, px, py, PANEL_W, PANEL_H, radius)
    ctx.clip()
    sheen = cairo.LinearGradient(0, py, 0, py + 120)
    sheen.add_color_stop_rgba(0, 1, 1, 1, 0.07)
    sheen.add_color_stop_rgba(1, 1, 1, 1, 0)
    ctx.set_source(sheen)
    ctx.rectangle(px, py, PANEL_W, 120)
    ctx.fill()
    ctx.restore()

    # Bevelled frame: an outer dark line, then a rim lit from the top-left.
    rounded_rect(ctx, px + 0.5, py + 0.5, PANEL_W - 1, PANEL_H - 1, radius)
    ctx.set_line_width(1)
    ctx.set_source_rgba(0, 0, 0, 0.9)
    ctx.stroke()
    rim = cairo.LinearGradient(px, py, px + PANEL_W, py + PANEL_H)
    rim.add_color_stop_rgba(0, 0.55, 1.0, 0.55, 0.85)
    rim.add_color_stop_rgba(0.5, 0.0, 0.7, 0.2, 0.55)
    rim.add_color_stop_rgba(1, 0.0, 0.25, 0.05, 0.8)
    rounded_rect(ctx, px + 3, py + 3, PANEL_W - 6, PANEL_H - 6, radius - 3)
    ctx.set_line_width(3)
    ctx.set_source(rim)
    ctx.stroke()
    rounded_rect(ctx, px + 6.5, py + 6.5, PANEL_W - 13, PANEL_H - 13, radius - 6)
    ctx.set_line_width(1)
    ctx.set_source_rgba(0, 0, 0, 0.6)
    ctx.stroke()

    # Rivets in the corners.
    for cx, cy in ((px + 18, py + 18), (px + PANEL_W - 18, py + 18),
                   (px + 18, py + PANEL_H - 18), (px + PANEL_W - 18, py + PANEL_H - 18)):
        rivet = cairo.RadialGradient(cx - 1.5, cy - 1.5, 0.5, cx, cy, 4)
        rivet.add_color_stop_rgba(0, 0.9, 1, 0.9, 0.9)
        rivet.add_color_stop_rgba(1, 0.05, 0.3, 0.1, 0.9)
        ctx.set_source(rivet)
        ctx.arc(cx, cy, 4, 0, 2 * math.pi)
        ctx.fill()
    surface.write_to_png(path)


# ---------------------------------------------------------------------------
# Pointer


def draw_cursor(path):
    size = 32
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, size, size)
    ctx = cairo.Context(surface)

    def arrow(dx=0.0, dy=0.0):
        ctx.new_path()
        pts = [(1, 1), (1, 22), (6.5, 17), (10.5, 26), (14, 24.5), (10, 16), (17.5, 16)]
        ctx.move_to(pts[0][0] + dx, pts[0][1] + dy)
        for x, y in pts[1:]:
            ctx.line_to(x + dx, y + dy)
        ctx.close_path()

    shadow = cairo.ImageSurface(cairo.FORMAT_ARGB32, size, size)
    sctx = cairo.Context(shadow)
    ctx_saved = ctx
    ctx = sctx
    arrow(2, 2.5)
    ctx.set_source_rgba(0, 0, 0, 0.6)
    ctx.fill()
    ctx = ctx_saved
    box_blur_alpha(shadow, 1, passes=2)
    ctx.set_source_surface(shadow, 0, 0)
    ctx.paint()

    arrow()
    face = cairo.LinearGradient(1, 1, 14, 26)
    face.add_color_stop_rgb(0, 1.0, 1.0, 1.0)
    face.add_color_stop_rgb(1, 0.72, 0.90, 0.74)
    ctx.set_source(face)
    ctx.fill_preserve()
    ctx.set_line_join(cairo.LINE_JOIN_MITER)
    ctx.set_line_width(1.4)
    ctx.set_source_rgb(0.02, 0.12, 0.04)
    ctx.stroke()
    surface.write_to_png(path)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "data", "images")
    os.makedirs(out, exist_ok=True)
    for name, draw in (("title.png", draw_title), ("dialog.png", draw_dialog), ("cursor.png", draw_cursor)):
        draw(os.path.join(out, name))
        print("wrote", name)


if __name__ == "__main__":
    main()
