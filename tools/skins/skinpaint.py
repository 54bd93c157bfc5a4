"""Drawing helpers for the skin generator.

Shapes are drawn four times larger and scaled down, so edges are smooth; text is drawn at the
final size, where FreeType's hinting keeps small Japanese labels crisp. A keyed image turns
every pixel that is less than half covered into the key colour, so no fringe of half-green
pixels is left around a shape when the editor draws it transparent.
"""
from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

SCALE = 4
KEY = (0, 255, 0)
NEAR_KEY = (0, 254, 0)

FONT_DIR = "/usr/share/fonts/opentype/ipafont-gothic"
_fonts = {}


def font(size, fixed=False):
    name = "ipag.ttf" if fixed else "ipagp.ttf"
    k = (name, size)
    if k not in _fonts:
        _fonts[k] = ImageFont.truetype(f"{FONT_DIR}/{name}", size)
    return _fonts[k]


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def vgradient(size, top, bottom):
    """An RGB image running from top to bottom colour."""
    w, h = size
    ramp = Image.linear_gradient("L").resize((1, max(h, 1)), Image.BILINEAR).resize((w, h))
    return Image.composite(Image.new("RGB", size, bottom), Image.new("RGB", size, top), ramp)


class Canvas:
    """An RGBA drawing in final-pixel coordinates, kept at SCALE times the size."""

    def __init__(self, w, h, scale=SCALE):
        self.w, self.h, self.scale = w, h, scale
        self.big = Image.new("RGBA", (w * scale, h * scale), (0, 0, 0, 0))

    # Masks, in final-pixel coordinates (floats allowed).
    def _mask(self):
        return Image.new("L", self.big.size, 0)

    def _box(self, box):
        return [round(v * self.scale) for v in box]

    def rrect(self, box, r):
        m = self._mask()
        b = self._box(box)
        ImageDraw.Draw(m).rounded_rectangle([b[0], b[1], b[2] - 1, b[3] - 1], round(r * self.scale), 255)
        return m

    def ellipse(self, box):
        m = self._mask()
        b = self._box(box)
        ImageDraw.Draw(m).ellipse([b[0], b[1], b[2] - 1, b[3] - 1], 255)
        return m

    def circle(self, cx, cy, r):
        return self.ellipse((cx - r, cy - r, cx + r, cy + r))

    def poly(self, points):
        m = self._mask()
        ImageDraw.Draw(m).polygon([(x * self.scale, y * self.scale) for x, y in points], 255)
        return m

    def line(self, points, width):
        m = self._mask()
        pts = [(x * self.scale, y * self.scale) for x, y in points]
        ImageDraw.Draw(m).line(pts, 255, round(width * self.scale), joint="curve")
        return m

    def rect(self, box):
        m = self._mask()
        b = self._box(box)
        ImageDraw.Draw(m).rectangle([b[0], b[1], b[2] - 1, b[3] - 1], 255)
        return m

    @staticmethod
    def minus(a, b):
        return ImageChops.subtract(a, b)

    @staticmethod
    def union(*masks):
        out = masks[0]
        for m in masks[1:]:
            out = ImageChops.lighter(out, m)
        return out

    @staticmethod
    def both(a, b):
        return ImageChops.darker(a, b)

    @staticmethod
    def scaled(mask, opacity):
        return mask.point(lambda v: round(v * opacity))

    # Filling.
    def _composite(self, mask, layer_for):
        """Blends a layer through the mask, only over the mask's bounding box."""
        bbox = mask.getbbox()
        if not bbox:
            return
        region = self.big.crop(bbox)
        layer = layer_for(bbox).convert("RGBA")
        layer.putalpha(mask.crop(bbox))
        self.big.paste(Image.alpha_composite(region, layer), bbox[:2])

    def fill(self, mask, colour, opacity=1.0):
        if opacity != 1.0:
            mask = self.scaled(mask, opacity)
        self._composite(mask, lambda b: Image.new("RGB", (b[2] - b[0], b[3] - b[1]), colour))

    def fill_vgradient(self, mask, top, bottom, y0=0, y1=None, opacity=1.0):
        """Fills with a gradient running from top at y0 to bottom at y1 (final pixels)."""
        y1 = self.h if y1 is None else y1
        g0, g1 = round(y0 * self.scale), max(round(y0 * self.scale) + 1, round(y1 * self.scale))
        band = vgradient((1, g1 - g0), top, bottom)

        def layer(b):
            col = Image.new("RGB", (1, b[3] - b[1]), bottom)
            for y in range(b[1], b[3]):
                col.putpixel((0, y - b[1]), top if y < g0 else bottom if y >= g1 else band.getpixel((0, y - g0)))
            return col.resize((b[2] - b[0], b[3] - b[1]))
        if opacity != 1.0:
            mask = self.scaled(mask, opacity)
        self._composite(mask, layer)

    def glow(self, mask, colour, radius, opacity=1.0):
        blurred = mask.filter(ImageFilter.GaussianBlur(radius * self.scale))
        self.fill(blurred, colour, opacity)

    def finish(self, backdrop):
        """Scales down: returns (RGB over the backdrop colour, coverage as L)."""
        size = (self.w, self.h)
        alpha = self.big.getchannel("A").resize(size, Image.BOX)
        flat = Image.new("RGBA", self.big.size, backdrop + (255,))
        rgb = Image.alpha_composite(flat, self.big).convert("RGB").resize(size, Image.BOX)
        return rgb, alpha


def text(img, xy, s, size, colour, anchor="mm", fixed=False, bold=False):
    d = ImageDraw.Draw(img)
    f = font(size, fixed)
    if bold:
        # IPA Gothic has no bold face: a second pass one pixel right thickens the strokes.
        d.text((xy[0] + 0.6, xy[1]), s, font=f, fill=colour, anchor=anchor)
    d.text(xy, s, font=f, fill=colour, anchor=anchor)


def text_width(s, size, fixed=False):
    return font(size, fixed).getlength(s)


def keyed(rgb, alpha):
    """Pixels under half coverage become the key colour; a drawn pixel never equals it."""
    opaque = alpha.point(lambda v: 255 if v >= 128 else 0)
    r, g, b = rgb.split()
    is_key = ImageChops.multiply(ImageChops.multiply(r.point(lambda v: 255 if v == 0 else 0),
                                                     g.point(lambda v: 255 if v == 255 else 0)),
                                 b.point(lambda v: 255 if v == 0 else 0))
    rgb = Image.composite(Image.new("RGB", rgb.size, NEAR_KEY), rgb, is_key)
    out = Image.composite(rgb, Image.new("RGB", rgb.size, KEY), opaque)
    return out, ImageChops.multiply(alpha, opaque)


def without_key(rgb):
    """For opaque images: nudges any accidental key-coloured pixel off the key."""
    return keyed(rgb, Image.new("L", rgb.size, 255))[0]
