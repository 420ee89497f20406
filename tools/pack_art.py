#!/usr/bin/python3
"""Draws every picture of the classic content pack with cairo and writes its images.xml.

    tools/pack_art.py [pack folder]

The pack folder defaults to resources/data/packs/classic; the pictures go to its images/
folder (bricks, balls, paddle, nain, projectiles, weapon, powerups, particles and the four
level backgrounds) and one `image` element per picture (not the backgrounds, which levels
load by path) goes to images.xml. The list of names and sizes is tools/pack_manifest_images.md.
Every random choice is seeded, so the output is the same each time. Light comes from the
top-left. Needs python3-cairo and fonts-dejavu-core.
"""
import math
import os
import random
import sys

import cairo

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pack_art_shapes import (PALETTE, bevel_body, bolt_path, crack, draw_bolt, draw_bomb,  # noqa: E402
                             draw_flame, draw_heart, draw_keyhole, draw_padlock, draw_rivet,
                             draw_snowflake, draw_star, emblem_shadowed, flame_path, glow, ice_layer,
                             new_surface, rounded_rect, shade, shiny_sphere, star_path, text_centered)
import pack_art_backgrounds  # noqa: E402

# (name, file stem, width, height, handle x, handle y, draw function taking a context)
PICTURES = []


def picture(name, w, h, handle=(0, 0), stem=None):
    def register(fn):
        PICTURES.append((name, stem or name, w, h, handle[0], handle[1], fn))
        return fn
    return register


def frozen(name, w, h, handle, base, radius, seed, inset=None):
    """Registers "_frozen_" + name: the base picture under a layer of ice, which leaves a
    margin of `inset` pixels (by default the handle, i.e. the glow margin) uncovered."""
    ix, iy = inset if inset is not None else handle

    def draw(ctx):
        base(ctx)
        ice_layer(ctx, ix, iy, w - 2 * ix, h - 2 * iy, radius, seed)
    PICTURES.append(("_frozen_" + name, "frozen_" + name, w, h, handle[0], handle[1], draw))


# ---------------------------------------------------------------------------
# Bricks: 48 x 20

BW, BH = 48, 20
CX, CY = BW / 2, BH / 2


def plain_brick(rgb):
    def draw(ctx):
        bevel_body(ctx, 0, 0, BW, BH, rgb)
        # A faint groove across the middle, as on a moulded block.
        ctx.set_line_width(1)
        ctx.set_source_rgba(0, 0, 0, 0.12)
        ctx.move_to(5, CY + 3.5)
        ctx.line_to(BW - 5, CY + 3.5)
        ctx.stroke()
    return draw


def tough_brick(stage):
    def draw(ctx):
        bevel_body(ctx, 0, 0, BW, BH, PALETTE["tough"])
        # Brushed plate lines.
        ctx.set_line_width(0.6)
        for i in range(5, BH - 4, 3):
            ctx.set_source_rgba(1, 1, 1, 0.08)
            ctx.move_to(4, i)
            ctx.line_to(BW - 4, i)
            ctx.stroke()
        for x in (6.5, BW - 6.5):
            for y in (6, BH - 6):
                draw_rivet(ctx, x, y)
        if stage >= 2:
            crack(ctx, [(19, 3), (22, 8), (20, 11), (25, 15), (24, 17)])
        if stage >= 3:
            crack(ctx, [(34, 3), (31, 7), (33, 10), (29, 14), (31, 17)])
            crack(ctx, [(22, 8), (28, 9), (31, 7)], 0.9)
            # A corner chipped away, showing the dark core.
            ctx.move_to(BW - 1, BH - 9)
            ctx.line_to(BW - 7, BH - 5)
            ctx.line_to(BW - 11, BH - 1)
            ctx.line_to(BW - 1, BH - 1)
            ctx.close_path()
            ctx.set_source_rgb(0.16, 0.17, 0.2)
            ctx.fill()
    return draw


def steel_brick(ctx):
    bevel_body(ctx, 0, 0, BW, BH, PALETTE["steel"], bevel=3.5)
    ctx.save()
    ctx.rectangle(4, 4, BW - 8, BH - 8)
    ctx.clip()
    ctx.set_line_width(1.4)
    for x in range(-20, BW + 20, 5):
        ctx.set_source_rgba(0, 0, 0, 0.28)
        ctx.move_to(x, BH)
        ctx.line_to(x + BH, 0)
        ctx.stroke()
        ctx.set_source_rgba(1, 1, 1, 0.12)
        ctx.move_to(x + 1.2, BH)
        ctx.line_to(x + BH + 1.2, 0)
        ctx.stroke()
    ctx.restore()
    for x in (4.5, BW - 4.5):
        for y in (4.5, BH - 4.5):
            draw_rivet(ctx, x, y, 1.5)


def emblem_brick(rgb, emblem, size=13):
    def draw(ctx):
        bevel_body(ctx, 0, 0, BW, BH, rgb)
        emblem_shadowed(ctx, emblem, CX, CY, size)
    return draw


def wood_brick(ctx):
    bevel_body(ctx, 0, 0, BW, BH, PALETTE["wood"])
    ctx.save()
    rounded_rect(ctx, 3, 3, BW - 6, BH - 6, 1)
    ctx.clip()
    ctx.set_line_width(0.8)
    for i, y in enumerate((5.5, 8.5, 12, 15)):
        ctx.set_source_rgba(0.2, 0.1, 0.03, 0.35)
        ctx.move_to(3, y)
        ctx.curve_to(14, y - 1.5 + i % 2 * 3, 30, y + 1.5, BW - 3, y - 0.5)
        ctx.stroke()
    ctx.restore()
    emblem_shadowed(ctx, draw_flame, CX, CY - 0.5, 14)


def key_brick(ctx):
    bevel_body(ctx, 0, 0, BW, BH, PALETTE["gold"])
    # A brass plate around the keyhole.
    rounded_rect(ctx, CX - 7, 3.5, 14, 13, 3)
    g = cairo.LinearGradient(0, 3, 0, 17)
    g.add_color_stop_rgb(0, 1.0, 0.92, 0.6)
    g.add_color_stop_rgb(1, 0.7, 0.5, 0.1)
    ctx.set_source(g)
    ctx.fill_preserve()
    ctx.set_line_width(0.8)
    ctx.set_source_rgb(0.4, 0.26, 0.04)
    ctx.stroke()
    draw_keyhole(ctx, CX, CY + 0.5, 11)
    for x in (6, BW - 6):
        draw_rivet(ctx, x, CY, 1.4)


def locked_brick(ctx):
    bevel_body(ctx, 0, 0, BW, BH, PALETTE["bronze"])
    ctx.set_line_width(1.6)
    ctx.set_source_rgba(0.15, 0.1, 0.05, 0.55)
    for y in (7, 13):
        ctx.move_to(4, y)
        ctx.line_to(BW - 4, y)
    ctx.stroke()
    emblem_shadowed(ctx, draw_padlock, CX, CY - 1, 15)


def gold_brick(ctx):
    bevel_body(ctx, 0, 0, BW, BH, PALETTE["gold"])
    glow(ctx, CX, CY, 0, 11, (1, 1, 0.85), 0.7)
    emblem_shadowed(ctx, lambda c, x, y, s: draw_star(c, x, y, s), CX, CY, 14)


def shield_brick(ctx):
    cyan = PALETTE["cyan"]
    rounded_rect(ctx, 0.5, 0.5, BW - 1, BH - 1, 4)
    g = cairo.LinearGradient(0, 0, 0, BH)
    g.add_color_stop_rgba(0, *shade(cyan, 1.4), 0.85)
    g.add_color_stop_rgba(0.45, *cyan, 0.45)
    g.add_color_stop_rgba(1, *shade(cyan, 0.6), 0.7)
    ctx.set_source(g)
    ctx.fill_preserve()
    ctx.set_line_width(1)
    ctx.set_source_rgba(0.75, 1, 1, 1)
    ctx.stroke()
    ctx.set_line_width(1)
    for x in range(6, BW - 3, 6):
        ctx.set_source_rgba(1, 1, 1, 0.25)
        ctx.move_to(x, 3)
        ctx.line_to(x - 3, BH - 3)
        ctx.stroke()
    ctx.set_source_rgba(1, 1, 1, 0.8)
    ctx.move_to(4, 2.5)
    ctx.line_to(BW - 4, 2.5)
    ctx.stroke()


BRICKS = [(f"brick_{c}", plain_brick(PALETTE[c])) for c in ("red", "orange", "yellow", "green", "blue", "purple")]
BRICKS += [(f"brick_tough_{s}", tough_brick(s)) for s in (1, 2, 3)]
BRICKS += [
    ("brick_steel", steel_brick),
    ("brick_explosive", emblem_brick(PALETTE["bomb"], draw_bomb, 15)),
    ("brick_burnable", wood_brick),
    ("brick_iceproof", emblem_brick((0.36, 0.70, 0.86), lambda c, x, y, s: draw_snowflake(c, x, y, s), 15)),
    ("brick_key", key_brick),
    ("brick_locked", locked_brick),
    ("brick_gold", gold_brick),
    ("brick_shield", shield_brick),
]
for _i, (_name, _fn) in enumerate(BRICKS):
    picture(_name, BW, BH)(_fn)
for _i, (_name, _fn) in enumerate(BRICKS):
    frozen(_name, BW, BH, (0, 0), _fn, 2.5, _i)


# ---------------------------------------------------------------------------
# Balls: 24 x 24, body 14 x 14 centred

BALL, BR = 24, 7.0
BC = BALL / 2


def ball(rgb, glow_rgb, extra=None, under=None):
    def draw(ctx):
        glow(ctx, BC, BC, BR * 0.6, BC, glow_rgb, 0.75)
        if under:
            under(ctx)
        shiny_sphere(ctx, BC, BC, BR, rgb)
        if extra:
            extra(ctx)
    return draw


def fire_tongues(ctx):
    for k in range(8):
        a = k * math.pi / 4 + 0.2
        ctx.save()
        ctx.translate(BC + math.cos(a) * 7.5, BC + math.sin(a) * 7.5)
        ctx.rotate(a + math.pi / 2)
        flame_path(ctx, 0, 0, 6)
        ctx.set_source_rgba(1.0, 0.55 + 0.3 * (k % 2), 0.1, 0.9)
        ctx.fill()
        ctx.restore()


def fire_core(ctx):
    flame_path(ctx, BC, BC + 1, 8)
    ctx.set_source_rgba(1, 0.95, 0.5, 0.85)
    ctx.fill()


def ice_facets(ctx):
    ctx.set_line_width(0.8)
    ctx.set_source_rgba(1, 1, 1, 0.75)
    for a0 in (0.3, 2.4, 4.3):
        ctx.move_to(BC, BC)
        ctx.line_to(BC + math.cos(a0) * BR, BC + math.sin(a0) * BR)
    ctx.stroke()
    draw_snowflake(ctx, BC, BC, 8, (1, 1, 1), 0.8)


def shock_arcs(ctx):
    rng = random.Random(7)
    ctx.set_line_width(1.0)
    for k in range(4):
        a = k * math.pi / 2 + 0.5
        ctx.move_to(BC + math.cos(a) * 4, BC + math.sin(a) * 4)
        for step in range(1, 5):
            r = 4 + step * 2
            aa = a + rng.uniform(-0.35, 0.35)
            ctx.line_to(BC + math.cos(aa) * r, BC + math.sin(aa) * r)
        ctx.set_source_rgba(0.9, 0.85, 1.0, 0.95)
        ctx.stroke()


def plow_spikes(ctx):
    for k in range(8):
        a = k * math.pi / 4
        ctx.move_to(BC + math.cos(a - 0.28) * 6.5, BC + math.sin(a - 0.28) * 6.5)
        ctx.line_to(BC + math.cos(a) * 10.5, BC + math.sin(a) * 10.5)
        ctx.line_to(BC + math.cos(a + 0.28) * 6.5, BC + math.sin(a + 0.28) * 6.5)
        ctx.close_path()
    g = cairo.LinearGradient(0, 0, BALL, BALL)
    g.add_color_stop_rgb(0, 0.95, 0.95, 1)
    g.add_color_stop_rgb(1, 0.35, 0.38, 0.45)
    ctx.set_source(g)
    ctx.fill()


def smart_eye(ctx):
    ctx.set_line_width(1.0)
    ctx.set_source_rgba(1, 1, 1, 0.9)
    ctx.arc(BC, BC, 4.2, 0, 2 * math.pi)
    ctx.stroke()
    ctx.set_source_rgb(0.05, 0.2, 0.05)
    ctx.arc(BC + 0.5, BC + 0.5, 2.0, 0, 2 * math.pi)
    ctx.fill()
    ctx.set_source_rgb(1, 1, 1)
    ctx.arc(BC - 0.3, BC - 0.4, 0.7, 0, 2 * math.pi)
    ctx.fill()


BALL_HANDLE = (BC - BR, BC - BR)
for _name, _fn in [
    ("ball_normal", ball((0.86, 0.88, 0.94), (0.7, 0.85, 1.0))),
    ("ball_fire", ball((1.0, 0.55, 0.12), (1.0, 0.45, 0.05), fire_core, fire_tongues)),
    ("ball_ice", ball((0.62, 0.86, 0.98), (0.55, 0.85, 1.0), ice_facets)),
    ("ball_shock", ball((0.7, 0.55, 1.0), (0.6, 0.45, 1.0), shock_arcs)),
    ("ball_plow", ball((0.6, 0.63, 0.7), (1.0, 0.8, 0.5), None, plow_spikes)),
    ("ball_smart", ball((0.35, 0.85, 0.35), (0.4, 1.0, 0.4), smart_eye)),
]:
    picture(_name, BALL, BALL, BALL_HANDLE)(_fn)


# ---------------------------------------------------------------------------
# Paddle: 104 x 26, body 96 x 18 at (4, 4)

PW, PH, PM = 104, 26, 4
BODY_W, BODY_H = PW - 2 * PM, PH - 2 * PM


def paddle_glow(ctx, rgb):
    for i in range(PM, 0, -1):
        rounded_rect(ctx, PM - i, PM - i, BODY_W + 2 * i, BODY_H + 2 * i, BODY_H / 2 + i)
        ctx.set_source_rgba(*rgb, 0.09 * (PM - i + 1))
        ctx.fill()


def paddle(ctx):
    paddle_glow(ctx, PALETTE["cyan"])
    bevel_body(ctx, PM, PM, BODY_W, BODY_H, (0.32, 0.42, 0.62), radius=BODY_H / 2, bevel=3)
    # Glowing end caps.
    for x in (PM + 6, PM + BODY_W - 14):
        rounded_rect(ctx, x, PM + 4, 8, BODY_H - 8, 2)
        g = cairo.LinearGradient(0, PM + 4, 0, PM + BODY_H - 4)
        g.add_color_stop_rgb(0, 0.85, 1.0, 1.0)
        g.add_color_stop_rgb(1, 0.1, 0.6, 0.85)
        ctx.set_source(g)
        ctx.fill()
    # Central grip grooves.
    ctx.set_line_width(1)
    for x in range(PW // 2 - 12, PW // 2 + 13, 6):
        ctx.set_source_rgba(0, 0, 0, 0.35)
        ctx.move_to(x + 0.5, PM + 5)
        ctx.line_to(x + 0.5, PM + BODY_H - 5)
        ctx.stroke()
        ctx.set_source_rgba(1, 1, 1, 0.25)
        ctx.move_to(x + 1.5, PM + 5)
        ctx.line_to(x + 1.5, PM + BODY_H - 5)
        ctx.stroke()


def paddle_sticky(ctx):
    paddle(ctx)
    green = (0.45, 0.9, 0.25)
    ctx.move_to(PM + 8, PM + 1)
    xs = [PM + 8 + i * (BODY_W - 16) / 10 for i in range(11)]
    for i, x in enumerate(xs):
        drip = 4 + (i * 5) % 7 if i % 3 == 1 else 2
        ctx.line_to(x, PM + drip)
    ctx.line_to(PM + BODY_W - 8, PM - 1)
    ctx.curve_to(PM + BODY_W * 0.7, PM - 2.5, PM + BODY_W * 0.3, PM - 2.5, PM + 8, PM - 1)
    ctx.close_path()
    g = cairo.LinearGradient(0, PM - 2, 0, PM + 10)
    g.add_color_stop_rgba(0, *shade(green, 1.4), 0.95)
    g.add_color_stop_rgba(1, *shade(green, 0.7), 0.9)
    ctx.set_source(g)
    ctx.fill()
    for x in (PM + 20, PM + 52, PM + 80):
        ctx.set_source_rgba(1, 1, 1, 0.7)
        ctx.arc(x, PM + 0.5, 1, 0, 2 * math.pi)
        ctx.fill()


picture("paddle", PW, PH, (PM, PM))(paddle)
picture("paddle_sticky", PW, PH, (PM, PM))(paddle_sticky)
frozen("paddle", PW, PH, (PM, PM), paddle, BODY_H / 2, 1)


# ---------------------------------------------------------------------------
# The nain: a small gnome, 28 x 36

NW, NH = 28, 36
SKIN = (0.96, 0.74, 0.6)
HAT = (0.82, 0.16, 0.14)
COAT = (0.22, 0.42, 0.78)
BEARD = (0.97, 0.97, 0.95)
BOOT = (0.32, 0.2, 0.1)


def fill_grad(ctx, rgb, x0, y0, x1, y1):
    g = cairo.LinearGradient(x0, y0, x1, y1)
    g.add_color_stop_rgb(0, *shade(rgb, 1.3))
    g.add_color_stop_rgb(1, *shade(rgb, 0.7))
    ctx.set_source(g)
    ctx.fill_preserve()
    ctx.set_line_width(0.8)
    ctx.set_source_rgba(*shade(rgb, 0.25), 1)
    ctx.stroke()


def nain_body(ctx, pose, skin=SKIN, hat=HAT, coat=COAT, beard=BEARD, boot=BOOT, face="calm"):
    """Draws the gnome in a pose: "sit", "throw", "fall"."""
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    hx = 14
    if pose == "fall":
        ctx.save()
        ctx.translate(14, 20)
        ctx.rotate(0.25)
        ctx.translate(-14, -20)
    # Legs and boots.
    if pose == "fall":
        for x, lift in ((9, -2), (17, 1)):
            ctx.rectangle(x, 27 + lift, 3.5, 5)
            fill_grad(ctx, coat, x, 27, x + 3.5, 32)
            rounded_rect(ctx, x - 1, 31 + lift, 6, 3.5, 1.5)
            fill_grad(ctx, boot, x, 31, x, 35)
    else:
        for x in (6, 16):
            rounded_rect(ctx, x, 31, 7, 4, 1.8)
            fill_grad(ctx, boot, x, 31, x, 35)
    # Coat: a rounded bell.
    ctx.move_to(hx - 5, 17)
    ctx.curve_to(hx - 10, 22, hx - 10, 30, hx - 9, 32)
    ctx.line_to(hx + 9, 32)
    ctx.curve_to(hx + 10, 30, hx + 10, 22, hx + 5, 17)
    ctx.close_path()
    fill_grad(ctx, coat, 4, 17, 22, 32)
    # Belt.
    ctx.rectangle(hx - 8.5, 26, 17, 2.2)
    ctx.set_source_rgb(0.25, 0.15, 0.08)
    ctx.fill()
    ctx.rectangle(hx - 1.5, 25.6, 3, 3)
    ctx.set_source_rgb(0.95, 0.8, 0.3)
    ctx.fill()
    # Arms.
    arms = {"sit": [((hx - 7, 20), (hx - 10, 26)), ((hx + 7, 20), (hx + 10, 26))],
            "throw": [((hx - 7, 20), (hx - 10, 26)), ((hx + 7, 20), (hx + 11, 12))],
            "fall": [((hx - 7, 20), (hx - 12, 12)), ((hx + 7, 20), (hx + 12, 12))]}[pose]
    for (x0, y0), (x1, y1) in arms:
        ctx.set_line_cap(cairo.LINE_CAP_ROUND)
        ctx.set_line_width(4.2)
        ctx.set_source_rgb(*shade(coat, 0.3))
        ctx.move_to(x0, y0)
        ctx.line_to(x1, y1)
        ctx.stroke()
        ctx.set_line_width(2.8)
        ctx.set_source_rgb(*shade(coat, 1.1))
        ctx.move_to(x0, y0)
        ctx.line_to(x1, y1)
        ctx.stroke()
        ctx.arc(x1, y1, 1.9, 0, 2 * math.pi)
        fill_grad(ctx, skin, x1 - 2, y1 - 2, x1 + 2, y1 + 2)
    # Face.
    ctx.arc(hx, 14, 5, 0, 2 * math.pi)
    fill_grad(ctx, skin, hx - 5, 9, hx + 5, 19)
    # Beard.
    ctx.move_to(hx - 5, 14)
    ctx.curve_to(hx - 6, 20, hx - 3, 25, hx, 26)
    ctx.curve_to(hx + 3, 25, hx + 6, 20, hx + 5, 14)
    ctx.curve_to(hx + 3, 17, hx - 3, 17, hx - 5, 14)
    ctx.close_path()
    fill_grad(ctx, beard, hx - 5, 14, hx + 5, 26)
    # Nose and eyes.
    ctx.arc(hx, 15.2, 1.5, 0, 2 * math.pi)
    fill_grad(ctx, shade(skin, 0.9), hx - 1.5, 14, hx + 1.5, 17)
    ctx.set_source_rgb(0.08, 0.05, 0.05)
    for ex in (hx - 2.2, hx + 2.2):
        if face == "dead":
            ctx.set_line_width(0.7)
            ctx.move_to(ex - 0.8, 12)
            ctx.line_to(ex + 0.8, 13.5)
            ctx.move_to(ex + 0.8, 12)
            ctx.line_to(ex - 0.8, 13.5)
            ctx.stroke()
        else:
            ctx.arc(ex, 12.8, 0.75, 0, 2 * math.pi)
            ctx.fill()
    if face == "angry":
        ctx.set_line_width(0.9)
        ctx.move_to(hx - 3.5, 10.6)
        ctx.line_to(hx - 0.8, 11.8)
        ctx.move_to(hx + 3.5, 10.6)
        ctx.line_to(hx + 0.8, 11.8)
        ctx.stroke()
    # Pointy hat, bent a little away from the light.
    hat_lift = -3 if pose == "fall" else 0
    ctx.move_to(hx - 6.5, 11 + hat_lift)
    ctx.curve_to(hx - 4, 6 + hat_lift, hx + 1, 1 + hat_lift, hx + 6, 0.8 + hat_lift)
    ctx.curve_to(hx + 4, 4 + hat_lift, hx + 5, 8 + hat_lift, hx + 6.5, 11 + hat_lift)
    ctx.close_path()
    fill_grad(ctx, hat, hx - 6, 1, hx + 6, 11)
    rounded_rect(ctx, hx - 7, 9.5 + hat_lift, 14, 2.6, 1.2)
    fill_grad(ctx, shade(hat, 0.8), hx, 9.5, hx, 12)
    if pose == "fall":
        ctx.restore()


def nain_sit(ctx):
    nain_body(ctx, "sit")


def nain_throw(ctx):
    nain_body(ctx, "throw")


def nain_fall(ctx):
    nain_body(ctx, "fall", face="dead")


def nain_frozen(ctx):
    nain_body(ctx, "sit", skin=(0.75, 0.85, 0.95), hat=(0.55, 0.55, 0.8), coat=(0.4, 0.55, 0.8))
    ice_layer(ctx, 1, 1, NW - 2, NH - 2, 3, 2)
    for x, y in ((5, 33), (22, 33)):
        ctx.move_to(x, y)
        ctx.line_to(x + 1.5, NH)
        ctx.line_to(x + 3, y)
        ctx.set_source_rgba(0.85, 0.96, 1.0, 0.9)
        ctx.fill()


def nain_burnt(ctx):
    nain_body(ctx, "sit", skin=(0.35, 0.25, 0.22), hat=(0.25, 0.12, 0.1), coat=(0.15, 0.16, 0.2),
              beard=(0.4, 0.38, 0.36), boot=(0.12, 0.08, 0.05), face="dead")
    for x, y, r in ((19, 4, 2.6), (22, 1.8, 1.6), (9, 3, 1.8)):
        glow(ctx, x, y, 0, r * 1.5, (0.6, 0.6, 0.6), 0.8)
    ctx.set_source_rgba(1.0, 0.5, 0.1, 0.9)
    for x, y in ((8, 24), (20, 28), (15, 19)):
        ctx.arc(x, y, 0.8, 0, 2 * math.pi)
        ctx.fill()


def nain_angry(ctx):
    nain_body(ctx, "throw", skin=(0.98, 0.5, 0.42), face="angry")
    ctx.set_line_width(1)
    ctx.set_source_rgba(0.95, 0.95, 0.95, 0.8)
    for x in (2.5, 5.5):
        ctx.move_to(x, 10)
        ctx.curve_to(x - 1.5, 7, x + 1.5, 5, x, 2)
        ctx.stroke()


for _name, _fn in (("nain_sit", nain_sit), ("nain_throw", nain_throw), ("nain_fall", nain_fall),
                   ("nain_frozen", nain_frozen), ("nain_burnt", nain_burnt), ("nain_angry", nain_angry)):
    picture(_name, NW, NH)(_fn)
frozen("nain_sit", NW, NH, (0, 0), nain_sit, 3, 3, inset=(1, 1))
frozen("nain_throw", NW, NH, (0, 0), nain_throw, 3, 4, inset=(1, 1))


@picture("nain_hand", 10, 10)
def nain_hand(ctx):
    ctx.arc(5, 5.5, 3.4, 0, 2 * math.pi)
    fill_grad(ctx, SKIN, 2, 2, 8, 9)
    ctx.arc(2.4, 3.6, 1.4, 0, 2 * math.pi)
    fill_grad(ctx, SKIN, 1, 2, 4, 5)
    ctx.set_line_width(0.6)
    ctx.set_source_rgba(0.4, 0.2, 0.15, 0.8)
    for x in (4.5, 6.2):
        ctx.move_to(x, 2.8)
        ctx.line_to(x, 5)
    ctx.stroke()


# ---------------------------------------------------------------------------
# Projectiles: 12 x 12


@picture("proj_rock", 12, 12)
def proj_rock(ctx):
    pts = [(2, 5), (4, 2), (8, 1.5), (10.5, 4.5), (10, 9), (6.5, 10.8), (2.5, 9.5)]
    for i, p in enumerate(pts):
        (ctx.move_to if i == 0 else ctx.line_to)(*p)
    ctx.close_path()
    fill_grad(ctx, (0.55, 0.52, 0.5), 2, 2, 10, 10)
    ctx.set_source_rgba(1, 1, 1, 0.35)
    ctx.arc(5, 4.5, 1.2, 0, 2 * math.pi)
    ctx.fill()


@picture("proj_snowball", 12, 12)
def proj_snowball(ctx):
    shiny_sphere(ctx, 6, 6, 4.8, (0.8, 0.9, 1.0))
    ctx.set_source_rgba(1, 1, 1, 0.8)
    for x, y in ((4, 7), (7.5, 5), (6, 8.5)):
        ctx.arc(x, y, 0.6, 0, 2 * math.pi)
        ctx.fill()


@picture("proj_bomb", 12, 12)
def proj_bomb(ctx):
    draw_bomb(ctx, 5.4, 6, 11.5)


# ---------------------------------------------------------------------------
# Weapon: the gun on the paddle ends and its shot. The game places the gun's sprite by its
# top-left corner at the muzzle point on the paddle's top edge: the handle (0, 12) stands the
# gun's foot on that edge. The shot's body (6 x 10) starts 2 pixels down its glow.


@picture("weapon_mount", 16, 16, (0, 12))
def weapon_mount(ctx):
    rounded_rect(ctx, 2, 10, 12, 6, 2)
    fill_grad(ctx, (0.4, 0.44, 0.5), 2, 10, 14, 16)
    rounded_rect(ctx, 5.5, 1, 5, 11, 1.2)
    fill_grad(ctx, (0.55, 0.6, 0.68), 5.5, 1, 10.5, 12)
    ctx.rectangle(5.5, 2.5, 5, 1.4)
    ctx.set_source_rgb(*PALETTE["cyan"])
    ctx.fill()
    glow(ctx, 8, 1.5, 0, 4, PALETTE["cyan"], 0.7)


@picture("weapon_shot", 6, 14, (0, 2))
def weapon_shot(ctx):
    g = cairo.RadialGradient(3, 7, 0, 3, 7, 7)
    g.add_color_stop_rgba(0, 1, 1, 0.9, 1)
    g.add_color_stop_rgba(0.4, 1, 0.85, 0.3, 0.9)
    g.add_color_stop_rgba(1, 1, 0.4, 0.1, 0)
    ctx.save()
    ctx.translate(3, 7)
    ctx.scale(0.45, 1)
    ctx.arc(0, 0, 7, 0, 2 * math.pi)
    ctx.restore()
    ctx.set_source(g)
    ctx.fill()
    ctx.save()
    ctx.translate(3, 6.5)
    ctx.scale(0.25, 1)
    ctx.arc(0, 0, 4.2, 0, 2 * math.pi)
    ctx.restore()
    ctx.set_source_rgb(1, 1, 0.95)
    ctx.fill()


# ---------------------------------------------------------------------------
# Powerups: 28 x 28 capsules with an emblem and a letter badge

UP = 28
KIND = {"good": (0.2, 0.45, 0.9), "bad": (0.85, 0.2, 0.18), "gold": (0.92, 0.68, 0.15)}
E = (14, 12.5)  # emblem centre


def e_arrows(out):
    def draw(ctx):
        ctx.set_source_rgb(1, 1, 1)
        ctx.rectangle(10, 11, 8, 3)
        ctx.fill()
        for side in (-1, 1):
            tip = 14 + side * (9 if out else 4)
            base = 14 + side * (4 if out else 9)
            ctx.move_to(tip, 12.5)
            ctx.line_to(base, 8)
            ctx.line_to(base, 17)
            ctx.close_path()
            ctx.fill()
    return draw


def e_balls(n_big=None):
    def draw(ctx):
        if n_big == "big":
            shiny_sphere(ctx, 14, 12.5, 6.5, (0.9, 0.92, 0.97))
        elif n_big == "small":
            shiny_sphere(ctx, 14, 12.5, 2.6, (0.9, 0.92, 0.97))
        else:
            for x, y in ((9.5, 15), (18.5, 15), (14, 8)):
                shiny_sphere(ctx, x, y, 3.5, (0.9, 0.92, 0.97))
    return draw


def e_drop(ctx):
    ctx.move_to(14, 5)
    ctx.curve_to(16, 9, 19, 12, 19, 15)
    ctx.curve_to(19, 19, 9, 19, 9, 15)
    ctx.curve_to(9, 12, 12, 9, 14, 5)
    ctx.close_path()
    fill_grad(ctx, (0.45, 0.95, 0.3), 9, 5, 19, 19)


def e_plow(ctx):
    for x, y in ((7, 14), (17, 14)):
        rounded_rect(ctx, x, y, 6, 4, 1)
        ctx.set_source_rgba(1, 1, 1, 0.5)
        ctx.fill()
    ctx.move_to(14, 4)
    ctx.line_to(19, 12)
    ctx.line_to(16, 12)
    ctx.line_to(16, 20)
    ctx.line_to(12, 20)
    ctx.line_to(12, 12)
    ctx.line_to(9, 12)
    ctx.close_path()
    fill_grad(ctx, (0.9, 0.92, 0.97), 9, 4, 19, 20)


def e_target(ctx):
    ctx.set_line_width(1.6)
    ctx.set_source_rgb(1, 1, 1)
    ctx.arc(14, 12.5, 6, 0, 2 * math.pi)
    ctx.stroke()
    ctx.arc(14, 12.5, 2, 0, 2 * math.pi)
    ctx.fill()
    for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
        ctx.move_to(14 + dx * 4, 12.5 + dy * 4)
        ctx.line_to(14 + dx * 8.5, 12.5 + dy * 8.5)
    ctx.stroke()


def e_clock(ctx):
    ctx.arc(14, 12.5, 7, 0, 2 * math.pi)
    fill_grad(ctx, (0.95, 0.95, 0.95), 7, 6, 21, 20)
    ctx.set_line_width(1.4)
    ctx.set_source_rgb(0.1, 0.1, 0.15)
    ctx.move_to(14, 12.5)
    ctx.line_to(14, 8)
    ctx.move_to(14, 12.5)
    ctx.line_to(17, 14)
    ctx.stroke()


def e_chevrons(ctx):
    ctx.set_line_width(2.4)
    ctx.set_line_join(cairo.LINE_JOIN_MITER)
    ctx.set_source_rgb(1, 1, 1)
    for y in (9, 15):
        ctx.move_to(8, y + 4)
        ctx.line_to(14, y - 2)
        ctx.line_to(20, y + 4)
        ctx.stroke()


def e_hourglass(ctx):
    ctx.move_to(8.5, 5)
    ctx.line_to(19.5, 5)
    ctx.line_to(14, 12.5)
    ctx.line_to(19.5, 20)
    ctx.line_to(8.5, 20)
    ctx.line_to(14, 12.5)
    ctx.close_path()
    fill_grad(ctx, (0.95, 0.88, 0.6), 8, 5, 20, 20)
    ctx.move_to(11, 19.5)
    ctx.line_to(17, 19.5)
    ctx.line_to(14, 15.5)
    ctx.close_path()
    ctx.set_source_rgb(0.85, 0.6, 0.2)
    ctx.fill()


def e_zap(ctx):
    rounded_rect(ctx, 6, 14, 16, 6, 1.2)
    fill_grad(ctx, (0.9, 0.5, 0.3), 6, 14, 22, 20)
    draw_bolt(ctx, 14, 9.5, 12)


def e_shake(ctx):
    rounded_rect(ctx, 8, 9, 12, 7, 1.2)
    fill_grad(ctx, (0.9, 0.7, 0.4), 8, 9, 20, 16)
    ctx.set_line_width(1.2)
    ctx.set_source_rgb(1, 1, 1)
    for x, d in ((5.5, -1), (22.5, 1)):
        for k in (0, 1):
            ctx.move_to(x + d * k * 2.5, 8)
            ctx.curve_to(x + d * k * 2.5 - 1.5, 11, x + d * k * 2.5 + 1.5, 14, x + d * k * 2.5, 17)
            ctx.stroke()


def e_shield(ctx):
    ctx.move_to(14, 4.5)
    ctx.curve_to(17, 6.5, 19, 6.5, 21, 6.5)
    ctx.curve_to(21, 14, 19, 18, 14, 21)
    ctx.curve_to(9, 18, 7, 14, 7, 6.5)
    ctx.curve_to(9, 6.5, 11, 6.5, 14, 4.5)
    ctx.close_path()
    fill_grad(ctx, (0.55, 0.95, 1.0), 7, 4, 21, 21)


def e_gun(ctx):
    rounded_rect(ctx, 8, 15, 12, 5, 1.5)
    fill_grad(ctx, (0.7, 0.74, 0.8), 8, 15, 20, 20)
    rounded_rect(ctx, 12, 5, 4, 11, 1)
    fill_grad(ctx, (0.85, 0.88, 0.94), 12, 5, 16, 16)
    glow(ctx, 14, 4.5, 0, 4.5, (1, 0.9, 0.4), 0.9)


def e_hat(rgb, mark):
    def draw(ctx):
        ctx.move_to(7, 18)
        ctx.curve_to(9, 12, 12, 6, 18, 4)
        ctx.curve_to(17, 9, 19, 14, 21, 18)
        ctx.close_path()
        fill_grad(ctx, rgb, 7, 4, 21, 18)
        rounded_rect(ctx, 6, 17, 16, 3, 1.3)
        fill_grad(ctx, shade(rgb, 0.8), 6, 17, 22, 20)
        if mark == "snow":
            draw_snowflake(ctx, 19.5, 7.5, 7, (1, 1, 1), 1.0)
        elif mark == "anger":
            ctx.set_line_width(1.3)
            ctx.set_source_rgb(1, 1, 0.7)
            for a in range(4):
                ang = a * math.pi / 2 + math.pi / 4
                ctx.move_to(20 + math.cos(ang) * 1.2, 7 + math.sin(ang) * 1.2)
                ctx.line_to(20 + math.cos(ang) * 3.5, 7 + math.sin(ang) * 3.5)
            ctx.stroke()
        elif mark == "eye":
            draw_star(ctx, 20.5, 7, 7, (1, 1, 0.7))
    return draw


def e_note(ctx):
    ctx.set_source_rgb(1, 1, 1)
    for x in (9.5, 17.5):
        ctx.save()
        ctx.translate(x, 17.5)
        ctx.scale(1.3, 1)
        ctx.arc(0, 0, 2.3, 0, 2 * math.pi)
        ctx.restore()
        ctx.fill()
    ctx.set_line_width(1.6)
    ctx.move_to(12, 17.5)
    ctx.line_to(12, 6)
    ctx.line_to(20, 4.5)
    ctx.line_to(20, 17)
    ctx.stroke()
    ctx.set_line_width(2.4)
    ctx.move_to(12, 7.2)
    ctx.line_to(20, 5.7)
    ctx.stroke()


def e_exit(ctx):
    rounded_rect(ctx, 8, 5, 10, 15, 1.5)
    fill_grad(ctx, (0.5, 0.3, 0.15), 8, 5, 18, 20)
    ctx.set_source_rgb(1, 0.95, 0.6)
    ctx.move_to(13, 12.5)
    ctx.line_to(22, 12.5)
    ctx.set_line_width(2.2)
    ctx.stroke()
    ctx.move_to(23.5, 12.5)
    ctx.line_to(19, 8.5)
    ctx.line_to(19, 16.5)
    ctx.close_path()
    ctx.fill()


def e_reverse(ctx):
    ctx.set_line_width(1.8)
    ctx.set_source_rgb(1, 1, 1)
    for y, d in ((9, 1), (16, -1)):
        x0, x1 = (7, 20) if d > 0 else (21, 8)
        ctx.move_to(x0, y)
        ctx.line_to(x1, y)
        ctx.stroke()
        ctx.move_to(x1 + d * 2.5, y)
        ctx.line_to(x1 - d * 1.5, y - 3)
        ctx.line_to(x1 - d * 1.5, y + 3)
        ctx.close_path()
        ctx.fill()


def e_spring(ctx):
    ctx.set_line_width(1.8)
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.set_source_rgb(0.85, 0.88, 0.95)
    ctx.move_to(9, 20)
    for i, y in enumerate((18, 16, 14, 12, 10)):
        ctx.line_to(19 if i % 2 == 0 else 9, y)
    ctx.stroke()
    ctx.rectangle(8, 19.5, 12, 1.8)
    ctx.fill()
    shiny_sphere(ctx, 14, 6.5, 3.4, (0.9, 0.92, 0.97))


def e_coin(ctx):
    shiny_sphere(ctx, 14, 12.5, 7.5, (0.98, 0.78, 0.2))
    draw_star(ctx, 14, 12.5, 9, (1, 0.97, 0.75))


def e_times_two(ctx):
    text_centered(ctx, "x2", 14, 12.5, 13, (1, 0.97, 0.75), (0.35, 0.2, 0.0), outline_width=2.5)


def e_shock(ctx):
    shiny_sphere(ctx, 14, 12.5, 5.5, (0.7, 0.55, 1.0))
    draw_bolt(ctx, 14, 12.5, 13, (1, 1, 0.75))


def e_icon(fn, s=14):
    return lambda ctx: emblem_shadowed(ctx, lambda c, x, y, size: fn(c, x, y, size), E[0], E[1], s)


POWERUPS = [
    ("pu_expand", "good", "E", e_arrows(True)),
    ("pu_shrink", "bad", "R", e_arrows(False)),
    ("pu_sticky", "good", "G", e_drop),
    ("pu_multiball", "good", "M", e_balls()),
    ("pu_bigball", "good", "B", e_balls("big")),
    ("pu_smallball", "bad", "T", e_balls("small")),
    ("pu_fireball", "good", "F", e_icon(draw_flame, 15)),
    ("pu_iceball", "good", "I", e_icon(lambda c, x, y, s: draw_snowflake(c, x, y, s, (1, 1, 1), 1.6), 15)),
    ("pu_shockball", "good", "Z", e_shock),
    ("pu_plow", "good", "P", e_plow),
    ("pu_smart", "good", "A", e_target),
    ("pu_slow", "good", "S", e_clock),
    ("pu_fast", "bad", "V", e_chevrons),
    ("pu_timewarp", "good", "W", e_hourglass),
    ("pu_bouncy", "good", "J", e_spring),
    ("pu_zapper", "good", "K", e_zap),
    ("pu_detonator", "good", "D", e_icon(draw_bomb, 15)),
    ("pu_shaker", "good", "Q", e_shake),
    ("pu_life", "gold", "1", e_icon(draw_heart, 15)),
    ("pu_points", "gold", "$", e_coin),
    ("pu_multiplier", "gold", "x2", e_times_two),
    ("pu_shield", "good", "H", e_shield),
    ("pu_gun", "good", "L", e_gun),
    ("pu_nainfreeze", "good", "C", e_hat((0.45, 0.6, 0.95), "snow")),
    ("pu_nainrage", "bad", "!", e_hat(HAT, "anger")),
    ("pu_naindistract", "good", "?", e_hat((0.3, 0.7, 0.35), "eye")),
    ("pu_music", "good", "\u266a", e_note),
    ("pu_exit", "gold", "X", e_exit),
    ("pu_reverse", "bad", "\u2194", e_reverse),
]


def powerup(kind, letter, emblem):
    rgb = KIND[kind]

    def draw(ctx):
        bevel_body(ctx, 1, 1, UP - 2, UP - 2, rgb, radius=8, bevel=3)
        # A dark round window behind the emblem.
        g = cairo.RadialGradient(13, 11, 1, 14, 12.5, 10)
        g.add_color_stop_rgba(0, 0, 0, 0, 0.15)
        g.add_color_stop_rgba(1, 0, 0, 0, 0.45)
        ctx.set_source(g)
        ctx.arc(14, 12.5, 9.5, 0, 2 * math.pi)
        ctx.fill()
        emblem(ctx)
        # The letter badge at the bottom-right.
        bw = 11 if len(letter) == 1 else 14
        rounded_rect(ctx, UP - 2 - bw, UP - 12, bw, 10, 4.5)
        ctx.set_source_rgba(0.05, 0.05, 0.08, 0.85)
        ctx.fill_preserve()
        ctx.set_line_width(0.8)
        ctx.set_source_rgba(1, 1, 1, 0.6)
        ctx.stroke()
        text_centered(ctx, letter, UP - 2 - bw / 2, UP - 7, 8 if len(letter) == 1 else 7, (1, 1, 1), None)
    return draw


for _name, _kind, _letter, _emblem in POWERUPS:
    picture(_name, UP, UP)(powerup(_kind, _letter, _emblem))


# ---------------------------------------------------------------------------
# Particles, centred on their handle


@picture("p_spark", 8, 8, (4, 4))
def p_spark(ctx):
    glow(ctx, 4, 4, 0, 4, (1, 0.8, 0.3), 1.0)
    ctx.set_source_rgb(1, 1, 0.9)
    ctx.arc(4, 4, 1.2, 0, 2 * math.pi)
    ctx.fill()


@picture("p_ice", 8, 8, (4, 4))
def p_ice(ctx):
    ctx.move_to(4, 0.5)
    ctx.line_to(6.5, 4)
    ctx.line_to(4, 7.5)
    ctx.line_to(1.5, 4)
    ctx.close_path()
    g = cairo.LinearGradient(1, 0, 7, 8)
    g.add_color_stop_rgba(0, 1, 1, 1, 0.95)
    g.add_color_stop_rgba(1, 0.45, 0.75, 1.0, 0.8)
    ctx.set_source(g)
    ctx.fill()


@picture("p_flame", 16, 16, (8, 8))
def p_flame(ctx):
    glow(ctx, 8, 9, 0, 8, (1, 0.4, 0.05), 0.6)
    flame_path(ctx, 8, 8, 13)
    g = cairo.LinearGradient(0, 1, 0, 15)
    g.add_color_stop_rgba(0, 1, 0.9, 0.3, 0.0)
    g.add_color_stop_rgba(0.4, 1, 0.75, 0.2, 0.8)
    g.add_color_stop_rgba(1, 1, 0.35, 0.05, 0.9)
    ctx.set_source(g)
    ctx.fill()
    flame_path(ctx, 8, 10, 6)
    ctx.set_source_rgba(1, 1, 0.8, 0.8)
    ctx.fill()


@picture("p_smoke", 24, 24, (12, 12))
def p_smoke(ctx):
    for x, y, r, a in ((12, 13, 9, 0.45), (8, 10, 6, 0.35), (16, 9, 5.5, 0.35), (13, 16, 6, 0.3)):
        glow(ctx, x, y, 0, r, (0.55, 0.55, 0.58), a)


@picture("p_trail", 8, 8, (4, 4))
def p_trail(ctx):
    glow(ctx, 4, 4, 0, 4, (1, 1, 1), 0.95)


@picture("p_debris", 6, 6, (3, 3))
def p_debris(ctx):
    ctx.move_to(1, 1.5)
    ctx.line_to(5, 0.8)
    ctx.line_to(5.3, 4.5)
    ctx.line_to(1.8, 5.2)
    ctx.close_path()
    fill_grad(ctx, (0.75, 0.75, 0.75), 1, 1, 5, 5)


@picture("p_star", 12, 12, (6, 6))
def p_star(ctx):
    glow(ctx, 6, 6, 0, 6, (1, 1, 0.8), 0.6)
    star_path(ctx, 6, 6, 6, 1.4, 4)
    ctx.set_source_rgb(1, 1, 0.95)
    ctx.fill()


@picture("p_glow", 48, 48, (24, 24))
def p_glow(ctx):
    g = cairo.RadialGradient(24, 24, 0, 24, 24, 24)
    g.add_color_stop_rgba(0, 1, 1, 1, 1)
    g.add_color_stop_rgba(0.25, 1, 0.95, 0.8, 0.6)
    g.add_color_stop_rgba(0.6, 1, 0.85, 0.6, 0.15)
    g.add_color_stop_rgba(1, 1, 0.8, 0.5, 0)
    ctx.set_source(g)
    ctx.paint()


@picture("p_bolt", 16, 16, (8, 8))
def p_bolt(ctx):
    glow(ctx, 8, 8, 0, 8, (0.6, 0.5, 1.0), 0.7)
    bolt_path(ctx, 8, 8, 13)
    ctx.set_source_rgb(0.95, 0.92, 1.0)
    ctx.fill()


# ---------------------------------------------------------------------------
# Output


def images_xml():
    lines = ['<?xml version="1.0" encoding="ISO-8859-1"?>',
             "<!-- The classic pack's pictures, written by tools/pack_art.py: do not edit by hand. -->",
             "<images>"]
    for name, stem, w, h, hx, hy, _ in PICTURES:
        lines.append("  <image>")
        lines.append(f"    <name>{name}</name>")
        lines.append(f"    <fileName>images/{stem}.png</fileName>")
        lines.append("    <frames>1</frames>")
        lines.append(f"    <frameWidth>{w}</frameWidth>")
        lines.append(f"    <frameHeight>{h}</frameHeight>")
        lines.append(f"    <handleX>{hx:g}</handleX>")
        lines.append(f"    <handleY>{hy:g}</handleY>")
        lines.append("    <alpha>1.0</alpha>")
        lines.append("    <blendMode>ALPHABLEND</blendMode>")
        lines.append("  </image>")
    lines.append("</images>")
    return "\n".join(lines) + "\n"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    pack = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "data", "packs", "classic")
    out = os.path.join(pack, "images")
    os.makedirs(out, exist_ok=True)
    for name, stem, w, h, _, _, draw in PICTURES:
        surface, ctx = new_surface(w, h)
        draw(ctx)
        surface.write_to_png(os.path.join(out, stem + ".png"))
    with open(os.path.join(pack, "images.xml"), "w", encoding="latin-1") as f:
        f.write(images_xml())
    pack_art_backgrounds.draw_all(out)


if __name__ == "__main__":
    main()
