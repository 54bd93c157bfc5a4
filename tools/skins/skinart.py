"""The artwork of every control skin: one painter per file, all in one palette.

Button strips hold five rows per column: normal, hover, pressed, pressed and hovered, disabled.
"""
from PIL import Image

from skinpaint import Canvas, mix, text, text_width

# Palette: slate panels, light lavender text (the colour the graph captions are drawn in),
# and the orange of the time and speed digits as the one accent.
INK = (10, 12, 20)
PANEL = (27, 32, 45)
PANEL_LIGHT = (36, 42, 58)
EDGE = (58, 68, 92)
LAVENDER = (200, 212, 255)
LAVENDER_DIM = (128, 140, 176)
WHITE = (236, 240, 250)
ORANGE = (248, 165, 5)
ORANGE_LIGHT = (255, 200, 96)
ORANGE_DARK = (196, 118, 0)
RED = (236, 88, 72)

# Ten pattern colours for the points on the graph, distinct enough to tell apart at 20 pixels.
PATTERN_COLOURS = [
    (160, 170, 192), (255, 107, 107), (255, 159, 67), (250, 210, 80), (120, 214, 140),
    (72, 205, 240), (90, 150, 255), (160, 124, 255), (236, 110, 214), (240, 240, 248),
]

NORMAL, HOVER, PRESSED, PRESSED_HOVER, DISABLED = range(5)


class Face:
    """Colours of a button face in one of the five states."""

    def __init__(self, state):
        self.state = state
        self.pressed = state in (PRESSED, PRESSED_HOVER)
        self.shift = 1 if self.pressed else 0
        if state == NORMAL:
            self.top, self.bottom, self.border, self.ink = (76, 87, 114), (42, 48, 66), (96, 108, 140), WHITE
        elif state == HOVER:
            self.top, self.bottom, self.border, self.ink = (94, 107, 140), (52, 60, 82), ORANGE, (255, 255, 255)
        elif state == PRESSED:
            self.top, self.bottom, self.border, self.ink = (24, 28, 40), (44, 50, 68), ORANGE_DARK, ORANGE
        elif state == PRESSED_HOVER:
            self.top, self.bottom, self.border, self.ink = (32, 36, 50), (56, 62, 84), ORANGE_LIGHT, ORANGE_LIGHT
        else:
            self.top, self.bottom, self.border, self.ink = (44, 48, 58), (38, 41, 50), (58, 62, 74), (98, 104, 120)


def body(c, outer, inner, face, y0=0, y1=None):
    """Paints a button body: border ring, gradient face and a soft top highlight."""
    c.fill(outer, face.border)
    c.fill_vgradient(inner, face.top, face.bottom, y0, y1)
    if face.state in (NORMAL, HOVER):
        y1 = c.h if y1 is None else y1
        c.fill(Canvas.both(inner, c.rect((0, 0, c.w, y0 + (y1 - y0) * 0.45))), (255, 255, 255), 0.07)


def rect_button(w, h, face, r=5):
    c = Canvas(w, h)
    body(c, c.rrect((0, 0, w, h), r), c.rrect((1, 1, w - 1, h - 1), r - 1), face)
    return c


def round_button(d, face, size=None):
    size = size or d
    c = Canvas(size, size)
    m = (size - d) / 2
    body(c, c.ellipse((m, m, m + d, m + d)), c.ellipse((m + 1, m + 1, m + d - 1, m + d - 1)), face, m, m + d)
    return c


def finish_label(c, face, label, size, dy=0, bold=False, colour=None):
    rgb, alpha = c.finish(PANEL)
    text(rgb, (c.w / 2, c.h / 2 + face.shift + dy), label, size, colour or face.ink, bold=bold)
    return rgb, alpha


def strip(img, paint):
    """Assembles an image from paint(column, row) -> (rgb, alpha) cells."""
    w, h = img.size
    rgb, alpha = Image.new("RGB", (w, h)), Image.new("L", (w, h), 0)
    for col in range(img.columns):
        for row in range(img.rows):
            cell_rgb, cell_alpha = paint(col, row)
            at = (col * img.cell_w, row * img.cell_h)
            rgb.paste(cell_rgb, at)
            alpha.paste(cell_alpha, at)
    return rgb, alpha


# Text buttons.

def text_strip(img, labels, size, bold=False, colour=None):
    def paint(col, row):
        face = Face(row)
        c = rect_button(img.cell_w, img.cell_h, face)
        ink = colour(face) if colour else None
        return finish_label(c, face, labels[col], size, bold=bold, colour=ink)
    return strip(img, paint)


def manual(img):
    return text_strip(img, ["マニュアル"], 12)


def load_save(img):
    return text_strip(img, ["読込", "保存"], 13)


def preview(img):
    return text_strip(img, ["プレビュー"], 12)


def delete_all(img):
    def ink(face):
        return {NORMAL: (255, 150, 140), HOVER: (255, 180, 170)}.get(face.state, face.ink)
    return text_strip(img, ["全削除"], 12, colour=ink)


def link(img):
    # The button says what it opens, by the name the manual and its tooltip use.
    return text_strip(img, ["Pelmor 公式サイト"], 10)


def insert(img):
    def paint(col, row):
        face = Face(row)
        w, h = img.cell_w, img.cell_h
        c = rect_button(w, h, face, r=7)
        cx, top = w / 2, 9 + face.shift
        # A point dropping onto the time line.
        c.fill(c.rect((cx - 2, top, cx + 2, top + 9)), face.ink)
        c.fill(c.poly([(cx - 7, top + 8), (cx + 7, top + 8), (cx, top + 15)]), face.ink)
        c.fill(c.rrect((cx - 13, top + 17, cx + 13, top + 19.5), 1), face.ink, 0.7)
        rgb, alpha = c.finish(PANEL)
        text(rgb, (cx, 44 + face.shift), "挿入", 16, face.ink, bold=True)
        return rgb, alpha
    return strip(img, paint)


# Icon buttons.

def icon_strip(img, body_for, icon):
    """A strip of icon buttons: body_for(face) paints the button, icon(c, column, dy) the mask
    of its icon, dy being the one-pixel drop of a pressed face."""
    def paint(col, row):
        face = Face(row)
        c = body_for(face)
        c.fill(icon(c, col, face), face.ink)
        return c.finish(PANEL)
    return strip(img, paint)


def square(img, r=4):
    return lambda face: rect_button(img.cell_w, img.cell_h, face, r)


def disc(img, margin=1):
    return lambda face: round_button(img.cell_w - 2 * margin, face, img.cell_w)


def window_buttons(img):
    def icon(c, col, face):
        s = face.shift
        if col == 0:  # enlarge: a window outline with a title bar
            return Canvas.minus(c.rect((6, 6 + s, 18, 17 + s)), c.rect((7.3, 9 + s, 16.7, 15.7 + s)))
        return c.rect((6, 14 + s, 18, 16.5 + s))  # shrink: a bar at the bottom
    return icon_strip(img, square(img), icon)


def zoom(img):
    def icon(c, col, face):
        cx, cy = 10.5, 10.5 + face.shift
        lens = Canvas.minus(c.circle(cx, cy, 6), c.circle(cx, cy, 4.6))
        handle = c.line([(cx + 4.2, cy + 4.2), (cx + 8, cy + 8)], 2.4)
        sign = c.rect((cx - 2.8, cy - 0.7, cx + 2.8, cy + 0.7))
        if col == 1:
            sign = Canvas.union(sign, c.rect((cx - 0.7, cy - 2.8, cx + 0.7, cy + 2.8)))
        return Canvas.union(lens, handle, sign)
    return icon_strip(img, square(img), icon)


def point_move(img):
    def icon(c, col, face):
        cy = 16 + face.shift
        if col == 0:  # previous point: a bar, then a triangle pointing left
            return Canvas.union(c.rect((9, cy - 6, 11.2, cy + 6)), c.poly([(22, cy - 6.5), (22, cy + 6.5), (12, cy)]))
        return Canvas.union(c.rect((20.8, cy - 6, 23, cy + 6)), c.poly([(10, cy - 6.5), (10, cy + 6.5), (20, cy)]))
    return icon_strip(img, disc(img), icon)


def play_pause(img):
    def icon(c, col, face):
        cy = 19 + face.shift
        if face.pressed:  # playing: the face shows pause
            return Canvas.union(c.rrect((13, cy - 8, 17, cy + 8), 1), c.rrect((21, cy - 8, 25, cy + 8), 1))
        return c.poly([(15, cy - 9), (15, cy + 9), (28, cy)])
    return icon_strip(img, disc(img), icon)


def stop(img):
    def icon(c, col, face):
        cy = 16 + face.shift
        return c.rrect((10.5, cy - 5.5, 21.5, cy + 5.5), 1.5)
    return icon_strip(img, disc(img), icon)


def speed(img):
    def icon(c, col, face):
        cy = 16 + face.shift
        sign = c.rect((9.5, cy - 1.4, 22.5, cy + 1.4))
        if col == 1:
            sign = Canvas.union(sign, c.rect((14.6, cy - 6.5, 17.4, cy + 6.5)))
        return sign
    return icon_strip(img, disc(img), icon)


def seek_arrows(img):
    def icon(c, col, face):
        cy = 8.5 + face.shift
        if col == 0:
            return c.poly([(11.5, cy - 4.5), (11.5, cy + 4.5), (4.5, cy)])
        return c.poly([(5.5, cy - 4.5), (5.5, cy + 4.5), (12.5, cy)])
    return icon_strip(img, square(img), icon)


def digits(img):
    """Pattern and level buttons: one column per digit, 0 to 10. Pressed shows the selection."""
    def paint(col, row):
        face = Face(row)
        c = Canvas(img.cell_w, img.cell_h)
        w, h = img.cell_w, img.cell_h
        if face.pressed:
            lit = ORANGE_LIGHT if row == PRESSED_HOVER else ORANGE
            c.fill(c.rrect((0, 0, w, h), 5), mix(lit, (255, 255, 255), 0.3))
            c.fill_vgradient(c.rrect((1, 1, w - 1, h - 1), 4), mix(lit, (255, 255, 255), 0.2), mix(lit, ORANGE_DARK, 0.5))
            ink = INK
        else:
            body(c, c.rrect((0, 0, w, h), 5), c.rrect((1, 1, w - 1, h - 1), 4), face)
            ink = face.ink
        rgb, alpha = c.finish(PANEL)
        text(rgb, (w / 2 + 0.5, h / 2 + 0.5), str(col), 15 if col < 10 else 13, ink, fixed=True, bold=True)
        return rgb, alpha
    return strip(img, paint)


def points(img):
    """The time-line point: a disc in its pattern's colour with the pattern digit."""
    def paint(col, row):
        c = Canvas(img.cell_w, img.cell_h)
        colour = PATTERN_COLOURS[col]
        if row == DISABLED:
            colour = mix(colour, (70, 74, 86), 0.75)
        elif row in (HOVER, PRESSED_HOVER):
            colour = mix(colour, (255, 255, 255), 0.3)
        rim = (255, 255, 255) if row in (PRESSED, PRESSED_HOVER) else mix(colour, INK, 0.55)
        if row in (PRESSED, PRESSED_HOVER):
            c.fill(c.circle(10, 10, 10), ORANGE)
            c.fill(c.circle(10, 10, 8.6), rim)
            c.fill(c.circle(10, 10, 7.2), colour)
        else:
            c.fill(c.circle(10, 10, 8.5 if row != HOVER else 9.5), rim)
            c.fill_vgradient(c.circle(10, 10, 7.3 if row != HOVER else 8.2), mix(colour, (255, 255, 255), 0.25), colour)
        rgb, alpha = c.finish(PANEL)
        ink = (90, 94, 104) if row == DISABLED else INK
        text(rgb, (10.5, 10.5), str(col), 11, ink, fixed=True, bold=True)
        return rgb, alpha
    return strip(img, paint)


# Play rings, drawn behind the play button: a bezel, and a glow that tells idle from playing.

def _ring_canvas(img):
    return Canvas(img.cell_w, img.cell_h), img.cell_w / 2


def ring(img):
    c, m = _ring_canvas(img)
    outer, inner = c.circle(m, m, m), c.circle(m, m, m - 6.5)
    c.fill(Canvas.minus(outer, inner), (70, 80, 106))
    c.fill_vgradient(Canvas.minus(c.circle(m, m, m - 1), inner), (104, 116, 148), (30, 34, 48))
    c.fill(Canvas.minus(c.circle(m, m, m - 5.2), inner), INK)
    return c.finish(PANEL)


def _glow(img, colour, opacity):
    c, m = _ring_canvas(img)
    band = Canvas.minus(c.circle(m, m, m - 2.2), c.circle(m, m, m - 4.6))
    c.fill(band, colour, opacity)
    return c.finish(PANEL)


def ring_idle(img):
    return _glow(img, LAVENDER_DIM, 1.0)


def ring_playing(img):
    return _glow(img, ORANGE, 1.0)


# Frames, bars and tracks.

def frame(img, accent=None, backdrop=None):
    """An edit box frame five pixels wide around a black field the edit window covers."""
    w, h = img.size
    c = Canvas(w, h)
    if backdrop is not None:
        c.big.paste(backdrop.resize(c.big.size, Image.NEAREST))
    c.fill_vgradient(c.rrect((0, 0, w, h), 6), (84, 96, 126), (34, 39, 54))
    c.fill(c.rrect((3, 3, w - 3, h - 3), 3), (14, 16, 24))
    c.fill(c.rrect((4, 4, w - 4, h - 4), 2), accent or (52, 60, 82))
    c.fill(c.rect((5, 5, w - 5, h - 5)), (0, 0, 0))
    return c.finish(PANEL)


def file_frame(img):
    return frame(img)


def time_frame(img):
    return frame(img, accent=ORANGE_DARK)


def graph(img, baseline, per_level):
    """The graph area: a dark field with a faint line at every level and bands between."""
    w, h = img.size
    c = Canvas(w, h)
    c.fill(c.rrect((0, 0, w, h), 4), (52, 62, 90))
    field = c.rrect((1, 1, w - 1, h - 1), 3)
    c.fill_vgradient(field, (16, 21, 38), (8, 10, 20))
    for level in range(0, 11):
        y = int(baseline - level * per_level)
        if level < 10 and level % 2 == 0:
            band = c.rect((1, int(baseline - (level + 1) * per_level) + 1, w - 1, y))
            c.fill(band, (255, 255, 255), 0.018)
        colour, alpha = ((70, 84, 124), 1.0) if level in (0, 10) else ((44, 54, 84), 0.9)
        c.fill(c.rect((1, y, w - 1, y + 1)), colour, alpha)
    return c.finish(PANEL)


def graph_normal(img):
    return graph(img, 287 - 117, 15.1)


def graph_wide(img):
    return graph(img, 416 - 117, 26.5)


def groove(img, radius):
    w, h = img.size
    c = Canvas(w, h)
    c.fill(c.rrect((0, 0, w, h), radius), (74, 86, 116))
    c.fill_vgradient(c.rrect((0.8, 0.8, w - 0.8, h - 0.8), radius - 0.8), (4, 5, 10), (18, 22, 34))
    return c.finish(PANEL)


def seek_track(img):
    return groove(img, 2.5)


def time_bar(img):
    """A slim rail through the middle of the image, ending before the transport buttons so
    that the sheet's strip along it is seen whole; the rows above and below stay transparent."""
    w, h = img.size
    c = Canvas(w, h)
    top, bottom = h / 2 - 2.5, h / 2 + 2.5
    c.fill(c.rrect((0, top, w, bottom), 2.5), (74, 86, 116))
    c.fill_vgradient(c.rrect((0.8, top + 0.8, w - 0.8, bottom - 0.8), 1.7), (4, 5, 10), (20, 24, 36), top, bottom)
    for i in range(0, 17):  # a mark every sixteenth of the movie, taller at the quarters
        x = min(w - 1, round(i * (w - 1) / 16))
        tall = i % 4 == 0
        c.fill(c.rect((x, 0 if tall else top - 1.5, x + 1, h if tall else bottom + 1.5)), LAVENDER_DIM,
               0.9 if tall else 0.6)
    return c.finish(PANEL)


def thumb(img):
    c = Canvas(img.cell_w, img.cell_h)
    m = img.cell_w / 2
    c.fill(c.circle(m, m, m), (60, 36, 0))
    c.fill_vgradient(c.circle(m, m, m - 1.2), ORANGE_LIGHT, ORANGE_DARK)
    c.fill(c.circle(m, m - 1.5, 2.2), (255, 236, 190), 0.9)
    return c.finish(PANEL)


def news_strip(img):
    w, h = img.size
    c = Canvas(w, h)
    c.fill_vgradient(c.rect((0, 0, w, h)), (20, 24, 35), (12, 14, 22))
    c.fill(c.rect((0, 0, w, 1)), ORANGE, 0.55)
    c.fill(c.rect((0, 1, w, 2)), (0, 0, 0), 0.5)
    return c.finish(PANEL)


def speed_point(img):
    c = Canvas(img.cell_w, img.cell_h)
    c.fill(c.rrect((2, 3.5, 6.5, 8), 1), ORANGE)
    return c.finish(PANEL)


def speed_sign(img):
    c = Canvas(img.cell_w, img.cell_h)
    c.fill(Canvas.union(c.line([(4, 6), (12, 14)], 2.6), c.line([(12, 6), (4, 14)], 2.6)), ORANGE)
    return c.finish(PANEL)
