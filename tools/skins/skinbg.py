"""The three window backgrounds: normal (500 x 600), wide (1000 x 750) and mini (500 x 74).

They are drawn opaque, so they carry no key colour. The controls, the graph area, the frames
and the news line are separate skins drawn on top; the backgrounds only give them panels,
wells and captions, and leave plain dark space where the editor writes its own text (the
media and time sheet names, the grid labels, the level numbers).
"""
import math

from skinart import (EDGE, frame, INK, LAVENDER, LAVENDER_DIM, ORANGE, ORANGE_DARK, ORANGE_LIGHT, PANEL,
                     PATTERN_COLOURS, WHITE)
from skinpaint import Canvas, mix, text, without_key

BASE_TOP, BASE_BOTTOM = (24, 28, 40), (13, 15, 22)
CONTENT = (25, 30, 42)


def _base(w, h):
    # Large and made of broad shapes: half the oversampling of the small skins is plenty.
    c = Canvas(w, h, scale=2)
    c.fill_vgradient(c.rect((0, 0, w, h)), BASE_TOP, BASE_BOTTOM)
    # Header band with an accent line; the names of the movie and the time sheet go on it.
    c.fill_vgradient(c.rect((0, 0, w, 34)), (40, 46, 64), (27, 31, 44))
    c.fill(c.rect((0, 33, w, 34)), ORANGE, 0.55)
    c.fill(c.rect((0, 34, w, 35)), (0, 0, 0), 0.6)
    _emblem(c, 17, 17)
    return c


def _emblem(c, cx, cy):
    """The product mark: an orange disc with a motion wave."""
    c.fill(c.circle(cx, cy + 0.6, 11), (0, 0, 0), 0.45)
    c.fill_vgradient(c.circle(cx, cy, 11), ORANGE_LIGHT, ORANGE_DARK, cy - 11, cy + 11)
    wave = [(cx - 7 + i * 0.5, cy + 3.6 * _wave(i / 28)) for i in range(29)]
    c.fill(c.line(wave, 2.0), (255, 255, 255))


def _wave(t):
    return -math.sin(t * 2 * math.pi) * (1 - abs(t - 0.5))


def _panel(c, box, r=8, fill=CONTENT, edge=EDGE):
    c.fill(c.rrect((box[0], box[1] + 1, box[2], box[3] + 1), r), (0, 0, 0), 0.5)
    c.fill(c.rrect(box, r), edge)
    c.fill_vgradient(c.rrect((box[0] + 1, box[1] + 1, box[2] - 1, box[3] - 1), r - 1),
                     mix(fill, (255, 255, 255), 0.03), fill, box[1], box[3])


def _well(c, box, r=6):
    """A sunken area that groups controls."""
    c.fill(c.rrect(box, r), (62, 72, 98))
    c.fill_vgradient(c.rrect((box[0], box[1], box[2], box[3] - 1), r), (9, 11, 18), (17, 20, 30),
                     box[1], box[3])


def _logo_text(rgb):
    text(rgb, (34, 4), "Tervane", 17, WHITE, anchor="la", bold=True)
    text(rgb, (35, 22), "タイムシート編集", 9, LAVENDER_DIM, anchor="la")


def _console(c, dx, dy):
    """The control console below the graph; dx, dy move it from its normal place."""
    _well(c, (53 + dx, 440 + dy, 411 + dx, 514 + dy))            # pattern and level digits
    _well(c, (140 + dx, 402 + dy, 228 + dx, 438 + dy), 5)        # speed display


def _console_text(rgb, dx, dy):
    label = LAVENDER_DIM
    text(rgb, (30 + dx, 459 + dy), "パターン", 10, label)
    text(rgb, (30 + dx, 495 + dy), "レベル", 10, label)
    text(rgb, (61 + dx, 363 + dy), "ズーム", 9, label)
    text(rgb, (225 + dx, 377 + dy), "ポイント", 9, label)
    text(rgb, (118 + dx, 420 + dy), "再生速度", 9, label)


def normal(img):
    w, h = img.size
    c = _base(w, h)
    _panel(c, (4, 100, 496, 548))
    _console(c, 0, 0)
    rgb, _ = c.finish(PANEL)
    _logo_text(rgb)
    text(rgb, (22, 84), "タイムシート (*.tms)", 10, LAVENDER_DIM, anchor="lm")
    _console_text(rgb, 0, 0)
    return without_key(rgb), None


GUIDE = [
    ("クリック / ドラッグ", "ポイントを追加 / 移動"),
    ("右クリック / Delete", "削除 / 選択したものを削除"),
    ("ポイントをクリック", "選択 (パターンを変更)"),
    ("Shift+ドラッグ", "範囲で選択 (Ctrl+A 全部)"),
    ("Esc / Alt+← →", "選択解除 / 選択を 0.1 秒移動"),
    ("Ctrl+C / X / V", "コピー / 切り取り / 貼り付け"),
    ("Ctrl+Z / Ctrl+Y", "元に戻す / やり直し"),
    ("Space / ← → / + −", "再生 / 前後の点 / 拡大縮小"),
    ("0〜9 / ホイール", "パターン"),
    ("R (再生中 0〜9 ↑↓)", "記録 (レベルを置く)"),
    ("Ctrl+S / N / O", "保存 / 新規 / 読み込み"),
    ("Ctrl(+Alt)+↑ ↓", "先行時間 / 最大レベル"),
    ("Ctrl+T", "精密タイミング オン / オフ"),
]


def wide(img):
    w, h = img.size
    c = _base(w, h)
    _panel(c, (4, 100, 996, 697))
    _console(c, 250, 149)
    _panel(c, (16, 478, 250, 688), 6, fill=(20, 24, 34))
    _panel(c, (750, 478, 984, 688), 6, fill=(20, 24, 34))
    for i, colour in enumerate(PATTERN_COLOURS):
        x, y = 784 + (i % 2) * 106, 528 + (i // 2) * 30
        c.fill(c.circle(x, y, 8.5), mix(colour, INK, 0.55))
        c.fill_vgradient(c.circle(x, y, 7.3), mix(colour, (255, 255, 255), 0.25), colour, y - 7, y + 7)
    rgb, _ = c.finish(PANEL)
    _logo_text(rgb)
    text(rgb, (22, 84), "タイムシート (*.tms)", 10, LAVENDER_DIM, anchor="lm")
    _console_text(rgb, 250, 149)
    text(rgb, (30, 498), "操作ガイド", 12, LAVENDER, anchor="lm")
    for i, (what, does) in enumerate(GUIDE):
        y = 516 + i * 13
        text(rgb, (24, y), what, 9, WHITE, anchor="lm")
        text(rgb, (122, y), does, 9, LAVENDER_DIM, anchor="lm")
    text(rgb, (764, 498), "パターンの色", 12, LAVENDER, anchor="lm")
    for i in range(len(PATTERN_COLOURS)):
        x, y = 784 + (i % 2) * 106, 528 + (i // 2) * 30
        text(rgb, (x + 0.5, y + 0.5), str(i), 11, INK, fixed=True, bold=True)
        text(rgb, (x + 16, y), f"パターン {i}", 10, LAVENDER_DIM, anchor="lm")
    return without_key(rgb), None


def mini(img):
    w, h = img.size
    c = _base(w, h)
    rgb, _ = c.finish(PANEL)
    _logo_text(rgb)
    return without_key(rgb), None


def mini_frame(img, mini_background):
    """The mini file frame is drawn opaque, so its corners show the background behind them."""
    x, y = 20, 37
    behind = mini_background.crop((x, y, x + img.size[0], y + img.size[1]))
    rgb, alpha = frame(img, backdrop=behind)
    return without_key(rgb), alpha

