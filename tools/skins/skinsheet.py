"""Pictures of the skins for a person: the three window sizes put together as the editor
draws them (background, keyed layers, buttons in assorted states, sample text), and a
sheet of every skin image enlarged."""
import os

from PIL import Image, ImageDraw

import skintable
from skinart import LAVENDER, ORANGE, WHITE
from skinpaint import text

# States shown in the pictures, so that one picture has every kind of row in it.
STATES = {"manual": 1, "window enlarge": 0, "window shrink": 0, "graph zoom-in": 4, "stop": 0,
          "play/pause": 2, "speed up": 1, "insert": 0, "preview": 3, "delete all": 0}
SELECTED = {"pattern": 3, "level": 6}


def _key_mask(image):
    r, g, b = image.split()
    eq = lambda ch, v: ch.point(lambda p: 0 if p == v else 255)  # noqa: E731
    from PIL import ImageChops
    return ImageChops.lighter(ImageChops.lighter(eq(r, 0), eq(g, 255)), eq(b, 0))


def _draw_keyed(dst, image, at):
    dst.paste(image, at, _key_mask(image))


def _cell(image, columns, rows, column, row):
    cw, ch = image.width // columns, image.height // rows
    return image.crop((column * cw, row * ch, column * cw + cw, row * ch + ch))


def _graph_text(rgb, mode):
    g = {"normal": (21, 121, 469, 302, 19, 136, 287, 450), "wide": (39, 121, 961, 446, 37, 151, 416, 924)}[mode]
    grid_left, grid_top, grid_right, grid_bottom, graph_left, graph_top, graph_bottom, graph_w = g
    d = ImageDraw.Draw(rgb)
    ppt = graph_w / 100
    origin = graph_left + int(50 * ppt)
    now = 17.3
    for t, label in ((20, "20s"), (15, "15s")):
        x = int(origin + (t - now) * 10 * ppt)
        d.line([(x, grid_top), (x, grid_bottom - 1)], fill=(200, 212, 255))
        text(rgb, (x - 5, grid_top - 14), label, 10, LAVENDER, anchor="la", fixed=True)
    d.line([(origin, grid_top), (origin, grid_bottom - 1)], fill=(255, 51, 0))
    if mode == "normal":
        text(rgb, (2, 117), "Time", 10, LAVENDER, anchor="la", fixed=True)
        text(rgb, (473, 295), "Level", 10, LAVENDER, anchor="la", fixed=True)
        for i, lv in enumerate(range(10, -1, -1)):
            text(rgb, (474, 130 + 15 * i), str(lv), 10, LAVENDER, anchor="la", fixed=True)
    else:
        text(rgb, (10, 117), "Time", 10, LAVENDER, anchor="la", fixed=True)
        text(rgb, (970, 441), "Level", 10, LAVENDER, anchor="la", fixed=True)
        for i, lv in enumerate(range(10, -1, -1)):
            text(rgb, (974, 144 + 27 * i), str(lv), 10, LAVENDER, anchor="la", fixed=True)
    return origin, ppt, now, graph_bottom, (graph_bottom - graph_top) / 10


def render_mode(skins, mode):
    w, h = skintable.MODES[mode]
    rgb = Image.new("RGB", (w, h))
    places = [p for p in skintable.placements() if p.mode == mode and p.name != "pattern drop"]
    for p in places:
        image = skins[p.skin]
        if p.name == "background":
            rgb.paste(image, (0, 0))
        elif p.skin == "c000_001":
            rgb.paste(image, (p.x, p.y))
        elif image.height == p.h and p.columns == 1 and not p.name.startswith("play ring"):
            if p.name not in ("seek thumb",):
                _draw_keyed(rgb, image, (p.x, p.y))
    if mode != "mini":
        origin, ppt, now, base, ppl = _graph_text(rgb, mode)
        for t, pattern, level in ((14.0, 2, 3), (16.5, 5, 7), (19.0, 8, 10), (21.2, 1, 0)):
            x = int(origin + (t - now) * 10 * ppt) - 10
            y = int(base - ppl * level) - 10
            _draw_keyed(rgb, _cell(skins["a002_000"], 10, 5, pattern, 2 if t == 16.5 else 0), (x, y))
    for p in places:
        image = skins[p.skin]
        if p.name.startswith("play ring") and not p.name.endswith("idle"):
            _draw_keyed(rgb, image, (p.x, p.y))
        if p.name == "seek thumb":
            _draw_keyed(rgb, image, (p.x + 120 if mode == "normal" else p.x + 264, p.y))
    d = ImageDraw.Draw(rgb)
    if mode != "mini":
        bar_x, bar_y = (37, 385) if mode == "normal" else (287, 534)
        d.rectangle([bar_x + 120, bar_y - 5, bar_x + 133 - 1, bar_y + 15 - 1], outline=(177, 17, 44))
    for p in places:
        if image_rows(skins[p.skin], p) != 5 or (mode == "mini" and p.y > 74):
            continue
        for i in range(p.count):
            state = STATES.get(p.name, 0)
            if SELECTED.get(p.name) == i:
                state = 2
            _draw_keyed(rgb, _cell(skins[p.skin], p.columns, 5, p.column + i, state), (p.x + i * p.step_x, p.y))
    text(rgb, (115, 4), "sample_movie.wmv", 14, LAVENDER, anchor="la", fixed=True)
    text(rgb, (115, 19), "sample_sheet.tms", 14, LAVENDER, anchor="la", fixed=True)
    text(rgb, (26, 48), "C:\\Users\\user\\Documents\\sample_sheet.tms", 12, WHITE, anchor="la", fixed=True)
    if mode != "mini":
        tx, ty = (288, 324) if mode == "normal" else (538, 473)
        text(rgb, (tx + 95, ty + 18), "00:00:17.3", 22, ORANGE, fixed=True, bold=True)
        sx, sy = (165, 404) if mode == "normal" else (415, 553)
        text(rgb, (sx, sy), "1", 24, ORANGE, anchor="la", fixed=True, bold=True)
        text(rgb, (sx + 28 if mode == "normal" else sx + 24, sy), "0", 24, ORANGE, anchor="la", fixed=True, bold=True)
        text(rgb, (6, 585 if mode == "normal" else 735), "新しいタイムシートを公開しました", 10, ORANGE, anchor="la", fixed=True)
    return rgb


def image_rows(image, p):
    return image.height // p.h if p.h else 0


def render_sheet(skins):
    items = [(k, v) for k, v in skins.items() if k not in ("a000_000", "b000_000", "c000_000")]
    pad, x, y, row_h, width = 12, 12, 12, 0, 1100
    placed = []
    for name, image in items:
        s = 2 if image.width <= 400 else 1
        w, h = image.width * s, image.height * s + 16
        if x + w > width:
            x, y, row_h = pad, y + row_h + pad, 0
        placed.append((name, image, s, x, y))
        x, row_h = x + w + pad, max(row_h, h)
    sheet = Image.new("RGB", (width, y + row_h + pad), (40, 40, 40))
    for name, image, s, x, y in placed:
        text(sheet, (x, y), f"{name} {image.width}x{image.height}", 11, WHITE, anchor="la")
        sheet.paste(image.resize((image.width * s, image.height * s), Image.NEAREST), (x, y + 16))
    return sheet


def render(skins, out_dir):
    os.makedirs(out_dir, exist_ok=True)
    for mode in skintable.MODES:
        render_mode(skins, mode).save(os.path.join(out_dir, f"skins-{mode}.png"))
    render_sheet(skins).save(os.path.join(out_dir, "skins-all.png"))
