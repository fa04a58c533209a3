#!/usr/bin/env python3
"""Draws the program's images (flat artwork in the layouts' colours) and its
icon. Only the standard library: shapes are rasterised with 4x4 supersampling
and written as PNG with zlib. Run it after changing the artwork and commit the
results; the build uses the committed files.

Every picture is drawn for 1x, and for 1.5x and 2x screens as NAME_150.png and
NAME_200.png (listed in zintra.rc beside it): the artwork is described in
layout units and rasterised at each scale, so no screen sees it stretched.
Fills snap to whole pixels and frames stay one pixel wide (hairlines).

    python3 res/make_images.py
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
IMAGES = os.path.join(HERE, "images")
HICOLOR = os.path.join(HERE, "linux", "hicolor")
HICOLOR_SIZES = [16, 24, 32, 48, 64, 128, 256]

TEAL = "#009A9A"
DARK_TEAL = "#015C5D"
WHITE = "#FFFFFF"


def rgba(colour, alpha=255):
    colour = colour.lstrip("#")
    return (int(colour[0:2], 16), int(colour[2:4], 16), int(colour[4:6], 16), alpha)


SCALES = {100: 1.0, 150: 1.5, 200: 2.0}


def snap(value):
    return int(math.floor(value + 0.5))


class Canvas:
    """A picture described in layout units and stored at `scale` pixels each."""

    def __init__(self, width, height, scale=1.0, pixel_width=None):
        self.scale = scale
        self.width = pixel_width if pixel_width is not None else snap(width * scale)
        self.height = snap(height * scale)
        self.pixels = [[(0.0, 0.0, 0.0, 0.0)] * self.width for _ in range(self.height)]

    def blend(self, x, y, colour, coverage):
        if coverage <= 0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        r, g, b, a = colour
        sa = a / 255.0 * coverage
        dr, dg, db, da = self.pixels[y][x]
        oa = sa + da * (1 - sa)
        if oa <= 0:
            return
        mix = lambda s, d: (s * sa + d * da * (1 - sa)) / oa
        self.pixels[y][x] = (mix(r, dr), mix(g, dg), mix(b, db), oa)

    def shape(self, box, inside, colour):
        """Fills every pixel of box (x0, y0, x1, y1, in units) by the share of
        its 16 sample points for which inside(x, y) holds (x, y in units)."""
        k = self.scale
        x0, y0, x1, y1 = (int(math.floor(v * k)) for v in box)
        for y in range(max(0, y0), min(self.height, y1 + 2)):
            for x in range(max(0, x0), min(self.width, x1 + 2)):
                hits = sum(1 for sy in range(4) for sx in range(4)
                           if inside((x + (sx + 0.5) / 4) / k, (y + (sy + 0.5) / 4) / k))
                self.blend(x, y, colour, hits / 16.0)

    def pixel_rect(self, x0, y0, x1, y1, colour):
        for yy in range(max(0, y0), min(self.height, y1)):
            for xx in range(max(0, x0), min(self.width, x1)):
                self.blend(xx, yy, colour, 1.0)

    def rect(self, x, y, w, h, colour):
        k = self.scale
        self.pixel_rect(snap(x * k), snap(y * k), snap((x + w) * k), snap((y + h) * k), colour)

    def round_rect(self, x, y, w, h, radius, colour):
        def inside(px, py):
            cx = min(max(px, x + radius), x + w - radius)
            cy = min(max(py, y + radius), y + h - radius)
            return (px - cx) ** 2 + (py - cy) ** 2 <= radius ** 2 and x <= px <= x + w and y <= py <= y + h
        self.shape((x, y, x + w, y + h), inside, colour)

    def frame(self, x, y, w, h, colour, width=1):
        # A one-unit frame is a hairline: one pixel at every scale.
        k = self.scale
        t = 1 if width == 1 else max(1, snap(width * k))
        x0, y0, x1, y1 = snap(x * k), snap(y * k), snap((x + w) * k), snap((y + h) * k)
        self.pixel_rect(x0, y0, x1, y0 + t, colour)
        self.pixel_rect(x0, y1 - t, x1, y1, colour)
        self.pixel_rect(x0, y0 + t, x0 + t, y1 - t, colour)
        self.pixel_rect(x1 - t, y0 + t, x1, y1 - t, colour)

    def circle(self, cx, cy, radius, colour, ring=None):
        def inside(px, py):
            d = math.hypot(px - cx, py - cy)
            return d <= radius and (ring is None or d >= radius - ring)
        self.shape((cx - radius - 1, cy - radius - 1, cx + radius + 1, cy + radius + 1), inside, colour)

    def line(self, x0, y0, x1, y1, thickness, colour):
        length = math.hypot(x1 - x0, y1 - y0) or 1.0

        def inside(px, py):
            t = max(0.0, min(1.0, ((px - x0) * (x1 - x0) + (py - y0) * (y1 - y0)) / (length * length)))
            return math.hypot(px - (x0 + t * (x1 - x0)), py - (y0 + t * (y1 - y0))) <= thickness / 2
        pad = thickness
        self.shape((min(x0, x1) - pad, min(y0, y1) - pad, max(x0, x1) + pad, max(y0, y1) + pad), inside, colour)

    def polygon(self, points, colour):
        def inside(px, py):
            result = False
            j = len(points) - 1
            for i in range(len(points)):
                xi, yi = points[i]
                xj, yj = points[j]
                if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
                    result = not result
                j = i
            return result
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.shape((min(xs), min(ys), max(xs), max(ys)), inside, colour)

    def paste(self, other, ox, oy):
        """Copies another canvas of the same scale to pixel (ox, oy)."""
        for y in range(other.height):
            for x in range(other.width):
                r, g, b, a = other.pixels[y][x]
                if a > 0:
                    self.blend(ox + x, oy + y, (r, g, b, 255), a)

    def rgba_rows(self):
        rows = []
        for row in self.pixels:
            out = bytearray()
            for r, g, b, a in row:
                out += bytes((int(round(r)), int(round(g)), int(round(b)), int(round(a * 255))))
            rows.append(bytes(out))
        return rows


# A small capital font (5 x 7) for the Latin words some pictures carry.
GLYPHS = {
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "C": ["01111", "10000", "10000", "10000", "10000", "10000", "01111"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "I": ["11111", "00100", "00100", "00100", "00100", "00100", "11111"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "W": ["10001", "10001", "10001", "10101", "10101", "11011", "10001"],
    "Z": ["11111", "00001", "00010", "00100", "01000", "10000", "11111"],
    "0": ["01110", "10001", "10011", "10101", "11001", "10001", "01110"],
    "1": ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    ".": ["00000", "00000", "00000", "00000", "00000", "01100", "01100"],
    " ": ["00000"] * 7,
}


def text_width(text, scale=1):
    return (len(text) * 6 - 1) * scale


def draw_text(canvas, text, x, y, colour, scale=1):
    for index, char in enumerate(text):
        for row, bits in enumerate(GLYPHS[char]):
            for col, bit in enumerate(bits):
                if bit == "1":
                    canvas.rect(x + (index * 6 + col) * scale, y + row * scale, scale, scale, colour)


def write_png(path, canvas):
    raw = b"".join(b"\x00" + row for row in canvas.rgba_rows())

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(png)


# The scale the pictures are being drawn at (main() sets it for each pass).
SCALE = 1.0


def states(count, width, height, draw):
    """An image list: draw(canvas, state) for each state, side by side, each
    state a whole number of pixels wide so the toolkit can cut them apart."""
    cell_pixels = snap(width * SCALE)
    strip = Canvas(width * count, height, SCALE, pixel_width=cell_pixels * count)
    for state in range(count):
        cell = Canvas(width, height, SCALE)
        draw(cell, state)
        strip.paste(cell, state * cell_pixels, 0)
    return strip


def single(width, height, draw):
    canvas = Canvas(width, height, SCALE)
    draw(canvas)
    return canvas


# ---- The artwork ----

def mouse_logo(c, cx, cy, size, body, detail):
    """The program's mark: a mouse seen from above."""
    w, h = size * 0.56, size * 0.8
    x, y = cx - w / 2, cy - h / 2
    c.round_rect(x, y, w, h, w / 2, rgba(body))
    c.line(cx, y + 1, cx, y + h * 0.42, max(1.0, size / 16), rgba(detail))
    c.line(x + 1, y + h * 0.42, x + w - 1, y + h * 0.42, max(1.0, size / 16), rgba(detail))


def logo_icon(size):
    c = Canvas(size, size, SCALE)
    c.round_rect(0, 0, size, size, size * 0.22, rgba(TEAL))
    mouse_logo(c, size / 2, size / 2, size * 0.86, WHITE, TEAL)
    return c


CAPTION_STATES = [rgba(WHITE, 0), rgba(WHITE, 60), rgba("#000000", 50)]


def caption_button(glyph):
    def draw(c, state):
        c.round_rect(2, 2, 26, 26, 4, CAPTION_STATES[state])
        glyph(c)
    return states(3, 30, 30, draw)


def close_glyph(c):
    c.line(10, 10, 20, 20, 2, rgba(WHITE))
    c.line(20, 10, 10, 20, 2, rgba(WHITE))


def min_glyph(c):
    c.line(9, 15, 21, 15, 2, rgba(WHITE))


def gear_glyph(c):
    for i in range(8):
        angle = i * math.pi / 4
        c.line(15 + 5 * math.cos(angle), 15 + 5 * math.sin(angle),
               15 + 8 * math.cos(angle), 15 + 8 * math.sin(angle), 3, rgba(WHITE))
    c.circle(15, 15, 6, rgba(WHITE), ring=2.2)


def tray_icons():
    def draw(c, state):
        colour = rgba(TEAL)
        if state == 0:    # show the window
            c.frame(2, 3, 12, 10, colour)
            c.rect(2, 3, 12, 3, colour)
        elif state == 1:  # exit
            c.circle(8, 8, 6, colour, ring=1.6)
            c.line(8, 2, 8, 8, 1.6, colour)
        elif state == 2:
            c.circle(8, 8, 6, colour)
        elif state == 3:
            c.polygon([(4, 2), (13, 8), (4, 14)], colour)
        elif state == 4:
            c.rect(4, 4, 8, 8, colour)
        elif state == 5:
            c.circle(8, 8, 6, colour, ring=1.6)
            c.line(8, 5, 8, 9, 1.6, colour)
            c.rect(7, 11, 2, 2, colour)
        elif state == 6:
            c.line(3, 8, 7, 12, 2, colour)
            c.line(7, 12, 13, 4, 2, colour)
        elif state == 7:
            c.line(4, 4, 12, 12, 2, colour)
            c.line(12, 4, 4, 12, 2, colour)
        else:
            mouse_logo(c, 8, 8, 14, TEAL, WHITE)
    return states(9, 16, 16, draw)


def list_item():
    fills = [WHITE, "#E3F3F3", "#000088"]
    return states(3, 78, 22, lambda c, s: c.rect(0, 0, 78, 22, rgba(fills[s])))


def combo_frame():
    borders = ["#B9D3D3", "#7FADAD", "#009A9A"]

    def draw(c, state):
        c.rect(0, 0, 78, 22, rgba(WHITE))
        c.frame(0, 0, 78, 22, rgba(borders[state]))
    return states(3, 78, 22, draw)


def combo_arrow():
    fills = ["#E3F3F3", "#C9EAEA", "#A9DCDC"]

    def draw(c, state):
        c.rect(0, 1, 19, 20, rgba(fills[state]))
        c.polygon([(6, 9), (14, 9), (10, 14)], rgba(DARK_TEAL))
    return states(3, 20, 22, draw)


def hint_panel():
    def draw(c):
        c.round_rect(0, 0, 380, 70, 10, rgba("#FFFFFF", 235))
        c.round_rect(0, 0, 8, 70, 4, rgba("#7FD1D1"))
    return single(380, 70, draw)


def footer_logo():
    def draw(c):
        mouse_logo(c, 7, 8, 15, WHITE, DARK_TEAL)
        draw_text(c, "ZINTRA", 16, 4, rgba(WHITE))
    return single(64, 16, draw)


def footer_url():
    return single(94, 12, lambda c: draw_text(c, "WWW.ZINTRA", 17, 2, rgba(WHITE)))


def footer_line():
    return single(1, 12, lambda c: c.rect(0, 0, 1, 12, rgba(WHITE, 140)))


def main_tab():
    fills = ["#33AEAE", "#1AA3A3", DARK_TEAL]
    return states(3, 100, 28, lambda c, s: c.rect(0, 0, 100, 28, rgba(fills[s])))


def edit_frame():
    def draw(c):
        c.rect(0, 0, 10, 10, rgba(WHITE))
        c.frame(0, 0, 10, 10, rgba("#B4C8C8"))
    return single(10, 10, draw)


def dotted():
    return single(4, 1, lambda c: c.rect(0, 0, 2, 1, rgba("#B4C8C8")))


def crosshair(colour):
    def draw(c):
        c.circle(10, 10, 8.5, rgba(colour), ring=1.6)
        c.line(10, 0.5, 10, 19.5, 1.2, rgba(colour))
        c.line(0.5, 10, 19.5, 10, 1.2, rgba(colour))
        c.circle(10, 10, 1.6, rgba(colour))
    return single(20, 20, draw)


def test_button():
    def draw(c):
        c.round_rect(0, 0, 76, 24, 4, rgba("#F5A623"))
        c.round_rect(1, 1, 74, 22, 3, rgba("#FFF4DF"))
        draw_text(c, "TEST", 38 - text_width("TEST") // 2, 9, rgba("#B86E00"))
    return single(76, 24, draw)


def pill_button(width, height, fills, glyph=None):
    def draw(c, state):
        c.round_rect(0, 0, width, height, 4, rgba(fills[state]))
        if glyph:
            glyph(c, width, height)
    return states(3, width, height, draw)


def check_glyph(c, w, h):
    c.line(w / 2 - 8, h / 2, w / 2 - 2, h / 2 + 6, 2.4, rgba(WHITE))
    c.line(w / 2 - 2, h / 2 + 6, w / 2 + 9, h / 2 - 6, 2.4, rgba(WHITE))


def cross_glyph(c, w, h):
    c.line(w / 2 - 6, h / 2 - 6, w / 2 + 6, h / 2 + 6, 2.4, rgba("#666666"))
    c.line(w / 2 + 6, h / 2 - 6, w / 2 - 6, h / 2 + 6, 2.4, rgba("#666666"))


def normal_button():
    def draw(c):
        c.round_rect(0, 0, 90, 22, 3, rgba(TEAL))
        c.round_rect(1, 1, 88, 20, 2, rgba(WHITE))
    return single(90, 22, draw)


def about_picture():
    def draw(c):
        c.round_rect(0, 0, 80, 80, 18, rgba(TEAL))
        mouse_logo(c, 40, 40, 64, WHITE, TEAL)
    return single(80, 80, draw)


def about_text():
    return single(200, 24, lambda c: draw_text(c, "ZINTRA 1.0", 100 - text_width("ZINTRA 1.0", 2) // 2, 5,
                                               rgba(DARK_TEAL), 2))


def dialog_background():
    def draw(c):
        c.rect(0, 0, 282, 162, rgba(WHITE))
        c.rect(0, 0, 282, 4, rgba(TEAL))
        c.rect(0, 124, 282, 38, rgba("#F2F2F2"))
        c.frame(0, 0, 282, 162, rgba("#7FADAD"))
    return single(282, 162, draw)


IMAGES_BY_NAME = {
    "traymenu_icons": tray_icons,
    "png_logo": lambda: logo_icon(20),
    "png_btnClose": lambda: caption_button(close_glyph),
    "png_btnMin": lambda: caption_button(min_glyph),
    "png_btnSett": lambda: caption_button(gear_glyph),
    "png_tab_left": list_item,
    "png_cbxbg": combo_frame,
    "png_cbx_right": combo_arrow,
    "png_img_start": hint_panel,
    "png_img_logo": footer_logo,
    "png_img_url": footer_url,
    "png_line": footer_line,
    "png_tab_main": main_tab,
    "png_edit": edit_frame,
    "png_point": dotted,
    "png_btnCircle": lambda: crosshair(TEAL),
    "png_btnTest": test_button,
    "png_btn_sure": lambda: pill_button(90, 30, [TEAL, "#14AAAA", DARK_TEAL], check_glyph),
    "png_btnnor": normal_button,
    "png_about": about_picture,
    "png_aboutText": about_text,
    "png_img_drag": lambda: crosshair("#E04040"),
    "png_img_bj": dialog_background,
    "png_btn_cancel": lambda: pill_button(90, 30, ["#E1E1E1", "#EBEBEB", "#CFCFCF"], cross_glyph),
    "png_btn_customsure": lambda: pill_button(90, 30, [TEAL, "#14AAAA", DARK_TEAL], check_glyph),
    "png_btn_sure_empty": lambda: pill_button(100, 33, [TEAL, "#14AAAA", DARK_TEAL]),
}


def dib_entry(canvas):
    """One icon image as a 32-bit DIB with its AND mask, the form every
    version of Windows reads."""
    size = canvas.width
    rows = canvas.rgba_rows()
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b""
    for row in reversed(rows):
        for i in range(0, len(row), 4):
            r, g, b, a = row[i:i + 4]
            colour += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x in range(size):
            if row[x * 4 + 3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + colour + mask


def write_ico(path, sizes):
    entries = [dib_entry(logo_icon(size)) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, data in zip(sizes, entries):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(entries))


# Pictures one unit thick are hairlines: the toolkit draws them one pixel
# thick at every scale, so they need no larger variant.
HAIRLINES = {"png_point", "png_line"}


def main():
    global SCALE
    os.makedirs(IMAGES, exist_ok=True)
    os.makedirs(HICOLOR, exist_ok=True)
    for percent, scale in SCALES.items():
        SCALE = scale
        suffix = "" if percent == 100 else "_%d" % percent
        for name, make in IMAGES_BY_NAME.items():
            if suffix and name in HAIRLINES:
                continue
            write_png(os.path.join(IMAGES, name + suffix + ".png"), make())
    SCALE = 1.0
    write_ico(os.path.join(HERE, "images", "logo.ico"), [48, 32, 24, 20, 16])
    # The Linux desktop's icon theme: the same mark at each size it asks for.
    for size in HICOLOR_SIZES:
        write_png(os.path.join(HICOLOR, f"{size}x{size}.png"), logo_icon(size))


if __name__ == "__main__":
    main()
