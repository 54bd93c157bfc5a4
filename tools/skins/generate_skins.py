#!/usr/bin/python3
"""Writes every skin bitmap of the editor into an obj folder.

usage: generate_skins.py OUT_DIR [--sheet PICTURE_DIR]

Each image listed in images.csv is painted, checked against the size its cell size and grid
give, and written as a 24-bit Windows bitmap; keyed images use RGB(0, 255, 0) exactly where
they are transparent, and images with an _alp companion get it written beside them (grey
alpha, white = opaque). Files whose bytes would not change are only touched. --sheet also
renders pictures of the three window sizes put together from placements.csv, and of every
skin, for a person to look at.
"""
import argparse
import io
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # keep the source folder clean

from PIL import Image  # noqa: E402

import skinart  # noqa: E402
import skinbg  # noqa: E402
import skintable  # noqa: E402
from skinpaint import keyed, without_key  # noqa: E402

PAINTERS = {
    "a000_000": skinbg.normal,
    "b000_000": skinbg.wide,
    "c000_000": skinbg.mini,
    "a001_000": skinart.graph_normal,
    "b001_000": skinart.graph_wide,
    "b003_000": skinart.news_strip,
    "a008_000": skinart.speed_point,
    "a008_001": skinart.speed_sign,
    "a000_004": skinart.file_frame,
    "b000_001": skinart.file_frame,
    "a006_000": skinart.time_frame,
    "a007_000": skinart.time_bar,
    "a003_000": skinart.seek_track,
    "b002_000": skinart.seek_track,
    "a003_001": skinart.thumb,
    "a000_001": skinart.manual,
    "a000_002": skinart.window_buttons,
    "a000_003": skinart.load_save,
    "a004_000": skinart.zoom,
    "a005_000": skinart.point_move,
    "a010_000": skinart.ring,
    "a010_001": skinart.ring_idle,
    "a010_002": skinart.ring_playing,
    "a010_003": skinart.play_pause,
    "a010_004": skinart.stop,
    "a003_002": skinart.seek_arrows,
    "a009_000": skinart.speed,
    "a011_000": skinart.digits,
    "a011_001": skinart.insert,
    "a011_003": skinart.preview,
    "a012_000": skinart.link,
    "a013_000": skinart.delete_all,
    "a002_000": skinart.points,
}


def paint_all():
    """Returns {file: (colour image, alpha companion or None)} in table order."""
    out = {}
    for img in skintable.images():
        if img.file == "c000_001":  # opaque over the mini background, so painted after it
            rgb, alpha = skinbg.mini_frame(img, out["c000_000"][0])
        elif img.file not in PAINTERS:
            raise SystemExit(f"no painter for {img.file}")
        else:
            rgb, alpha = PAINTERS[img.file](img)
        if rgb.size != img.size:
            raise SystemExit(f"{img.file}: painted {rgb.size}, the table gives {img.size}")
        if img.keyed:
            rgb, alpha = keyed(rgb, alpha)
        else:
            rgb = without_key(rgb)
        out[img.file] = (rgb, alpha if img.alp else None)
    return out


def bmp_bytes(image):
    buf = io.BytesIO()
    image.convert("RGB").save(buf, "BMP")
    return buf.getvalue()


def write_if_changed(path, data):
    """Same bytes: only the time stamp moves on, so the build sees the file as fresh."""
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                os.utime(path)
                return
    except OSError:
        pass
    with open(path, "wb") as f:
        f.write(data)


def write_all(painted, out_dir):
    os.makedirs(out_dir, exist_ok=True)
    for name, (rgb, alpha) in painted.items():
        write_if_changed(os.path.join(out_dir, name + ".bmp"), bmp_bytes(rgb))
        if alpha is not None:
            write_if_changed(os.path.join(out_dir, name + "_alp.bmp"), bmp_bytes(alpha))


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("out_dir")
    ap.add_argument("--sheet", help="also write pictures of every skin and of the three window sizes here")
    args = ap.parse_args()
    painted = paint_all()
    write_all(painted, args.out_dir)
    if args.sheet:
        import skinsheet
        skinsheet.render({k: v[0] for k, v in painted.items()}, args.sheet)


if __name__ == "__main__":
    main()
