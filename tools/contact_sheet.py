#!/usr/bin/python3
"""Makes one PNG showing every picture of a content pack at its size on a dark background,
each labelled with its name: first the pictures of the pack's images.xml, in file order, then
the level backgrounds (images/bg_*.png).

    tools/contact_sheet.py [output.png] [--pack FOLDER] [--zoom N]

The output defaults to build/contact_sheet.png under the repository, the pack to
resources/data/packs/classic. --zoom N draws the small pictures N times larger (without
smoothing) for a close look; the backgrounds are always drawn at their own size.
Needs python3-cairo.
"""
import argparse
import glob
import os
import re

import cairo

FONT = "DejaVu Sans"
SHEET_W = 2092
PAD = 14
LABEL = 14


def read_images(pack):
    """(name, picture path) of every image element, in file order."""
    with open(os.path.join(pack, "images.xml"), encoding="latin-1") as f:
        xml = f.read()
    items = []
    for element in re.findall(r"<image>(.*?)</image>", xml, re.S):
        name = re.search(r"<name>(.*?)</name>", element, re.S)
        file_name = re.search(r"<fileName>(.*?)</fileName>", element, re.S)
        items.append((name.group(1).strip() if name else "",
                      os.path.join(pack, file_name.group(1).strip()) if file_name else ""))
    return items


def label(ctx, text, x, y, rgb=(0.8, 0.82, 0.88)):
    ctx.select_font_face(FONT, cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_NORMAL)
    ctx.set_font_size(10)
    ctx.move_to(x, y + 10)
    ctx.set_source_rgb(*rgb)
    ctx.show_text(text)


def layout(items, zoom, probe):
    """Places the pictures in rows: (name, surface or None, x, y, cell width), and the height."""
    placed = []
    x, y, row_h = PAD, PAD, 0
    probe.select_font_face(FONT, cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_NORMAL)
    probe.set_font_size(10)
    for name, path in items:
        try:
            surface = cairo.ImageSurface.create_from_png(path)
            w, h = surface.get_width() * zoom, surface.get_height() * zoom
        except (cairo.Error, OSError, MemoryError):
            surface, w, h = None, 48, 20
        cell_w = max(w, probe.text_extents(name).x_advance) + PAD
        if x + cell_w > SHEET_W - PAD and x > PAD:
            x, y, row_h = PAD, y + row_h + PAD, 0
        placed.append((name, surface, x, y, cell_w))
        row_h = max(row_h, h + LABEL + 4)
        x += cell_w
    return placed, y + row_h + PAD


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.normpath(os.path.join(here, ".."))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output", nargs="?", default=os.path.join(root, "build", "contact_sheet.png"))
    parser.add_argument("--pack", default=os.path.join(root, "resources", "data", "packs", "classic"))
    parser.add_argument("--zoom", type=int, default=1)
    args = parser.parse_args()

    items = read_images(args.pack)
    backgrounds = sorted(glob.glob(os.path.join(args.pack, "images", "bg_*.png")))
    probe = cairo.Context(cairo.ImageSurface(cairo.FORMAT_ARGB32, 1, 1))
    placed, top = layout(items, args.zoom, probe)
    bg_cols = max(1, (SHEET_W - PAD) // (1024 + PAD))
    bg_rows = (len(backgrounds) + bg_cols - 1) // bg_cols
    height = top + bg_rows * (768 + LABEL + 4 + PAD) + PAD

    sheet = cairo.ImageSurface(cairo.FORMAT_RGB24, SHEET_W, height)
    ctx = cairo.Context(sheet)
    ctx.set_source_rgb(0.07, 0.07, 0.09)
    ctx.paint()
    for name, surface, x, y, _ in placed:
        if surface is None:
            ctx.set_source_rgb(0.8, 0.1, 0.1)
            ctx.rectangle(x, y, 48, 20)
            ctx.fill()
            label(ctx, name + " (missing)", x, y + 22, (1, 0.4, 0.4))
            continue
        w, h = surface.get_width() * args.zoom, surface.get_height() * args.zoom
        # A faint frame shows each picture's own extent.
        ctx.set_source_rgba(1, 1, 1, 0.08)
        ctx.rectangle(x - 0.5, y - 0.5, w + 1, h + 1)
        ctx.set_line_width(1)
        ctx.stroke()
        ctx.save()
        ctx.translate(x, y)
        ctx.scale(args.zoom, args.zoom)
        pattern = cairo.SurfacePattern(surface)
        pattern.set_filter(cairo.FILTER_NEAREST)
        ctx.set_source(pattern)
        ctx.paint()
        ctx.restore()
        label(ctx, name, x, y + h + 3)
    for i, path in enumerate(backgrounds):
        x = PAD + (i % bg_cols) * (1024 + PAD)
        y = top + (i // bg_cols) * (768 + LABEL + 4 + PAD)
        surface = cairo.ImageSurface.create_from_png(path)
        ctx.set_source_surface(surface, x, y)
        ctx.paint()
        label(ctx, "images/" + os.path.basename(path), x, y + surface.get_height() + 3)
    os.makedirs(os.path.dirname(os.path.abspath(args.output)), exist_ok=True)
    sheet.write_to_png(args.output)
    print(f"{args.output}: {len(placed)} pictures and {len(backgrounds)} backgrounds")


if __name__ == "__main__":
    main()
