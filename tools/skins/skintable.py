"""Reads the two skin tables: the images (file, cell size, grid) and where each is drawn."""
import csv
import os
from dataclasses import dataclass

HERE = os.path.dirname(os.path.abspath(__file__))

MODES = {"normal": (500, 600), "wide": (1000, 750), "mini": (500, 74)}


@dataclass(frozen=True)
class SkinImage:
    file: str
    cell_w: int
    cell_h: int
    columns: int
    rows: int
    keyed: bool
    alp: bool
    what: str

    @property
    def size(self):
        return self.cell_w * self.columns, self.cell_h * self.rows


@dataclass(frozen=True)
class Placement:
    name: str
    skin: str
    mode: str
    x: int
    y: int
    w: int
    h: int
    columns: int
    column: int
    count: int
    step_x: int


def _rows(name):
    with open(os.path.join(HERE, name), newline="", encoding="ascii") as f:
        lines = [line for line in f if line.strip() and not line.startswith("#")]
    return list(csv.DictReader(lines))


def images():
    out = []
    for r in _rows("images.csv"):
        out.append(SkinImage(r["file"], int(r["cell_w"]), int(r["cell_h"]), int(r["columns"]),
                             int(r["rows"]), r["keyed"] == "1", r["alp"] == "1", r["what"]))
    return out


def placements():
    ints = ("x", "y", "w", "h", "columns", "column", "count", "step_x")
    return [Placement(r["name"], r["skin"], r["mode"], *(int(r[k]) for k in ints))
            for r in _rows("placements.csv")]
