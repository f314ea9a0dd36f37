"""Histograms of times in milliseconds as a PNG, with no library beyond zlib and struct: an RGB
canvas, a 5x7 pixel font for the labels, and the PNG chunks written by hand."""
import math
import struct
import zlib

# Rows of 5 pixels, top to bottom, the leftmost pixel in bit 4.
FONT = {
    "0": (14, 17, 19, 21, 25, 17, 14), "1": (4, 12, 4, 4, 4, 4, 14), "2": (14, 17, 1, 2, 4, 8, 31),
    "3": (31, 2, 4, 2, 1, 17, 14), "4": (2, 6, 10, 18, 31, 2, 2), "5": (31, 16, 30, 1, 1, 17, 14),
    "6": (6, 8, 16, 30, 17, 17, 14), "7": (31, 1, 2, 4, 8, 8, 8), "8": (14, 17, 17, 14, 17, 17, 14),
    "9": (14, 17, 17, 15, 1, 2, 12), "A": (14, 17, 17, 17, 31, 17, 17), "B": (30, 17, 17, 30, 17, 17, 30),
    "C": (14, 17, 16, 16, 16, 17, 14), "D": (28, 18, 17, 17, 17, 18, 28), "E": (31, 16, 16, 30, 16, 16, 31),
    "F": (31, 16, 16, 30, 16, 16, 16), "G": (14, 17, 16, 23, 17, 17, 15), "H": (17, 17, 17, 31, 17, 17, 17),
    "I": (14, 4, 4, 4, 4, 4, 14), "J": (7, 2, 2, 2, 2, 18, 12), "K": (17, 18, 20, 24, 20, 18, 17),
    "L": (16, 16, 16, 16, 16, 16, 31), "M": (17, 27, 21, 21, 17, 17, 17), "N": (17, 17, 25, 21, 19, 17, 17),
    "O": (14, 17, 17, 17, 17, 17, 14), "P": (30, 17, 17, 30, 16, 16, 16), "Q": (14, 17, 17, 17, 21, 18, 13),
    "R": (30, 17, 17, 30, 20, 18, 17), "S": (15, 16, 16, 14, 1, 1, 30), "T": (31, 4, 4, 4, 4, 4, 4),
    "U": (17, 17, 17, 17, 17, 17, 14), "V": (17, 17, 17, 17, 17, 10, 4), "W": (17, 17, 17, 21, 21, 21, 10),
    "X": (17, 17, 10, 4, 10, 17, 17), "Y": (17, 17, 17, 10, 4, 4, 4), "Z": (31, 1, 2, 4, 8, 16, 31),
    " ": (0, 0, 0, 0, 0, 0, 0), ".": (0, 0, 0, 0, 0, 12, 12), ",": (0, 0, 0, 0, 12, 4, 8),
    ":": (0, 12, 12, 0, 12, 12, 0), "-": (0, 0, 0, 31, 0, 0, 0), "+": (0, 4, 4, 31, 4, 4, 0),
    "=": (0, 0, 31, 0, 31, 0, 0), "/": (0, 1, 2, 4, 8, 16, 0), "%": (24, 25, 2, 4, 8, 19, 3),
    "(": (2, 4, 8, 8, 8, 4, 2), ")": (8, 4, 2, 2, 2, 4, 8), "<": (2, 4, 8, 16, 8, 4, 2),
    ">": (8, 4, 2, 1, 2, 4, 8),
}

WHITE, BLACK, GREY = (255, 255, 255), (0, 0, 0), (200, 200, 200)


class Canvas:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.pixels = bytearray(WHITE * (width * height))

    def fill(self, x0, y0, x1, y1, color):
        x0, x1 = max(0, min(x0, x1)), min(self.width, max(x0, x1))
        y0, y1 = max(0, min(y0, y1)), min(self.height, max(y0, y1))
        row = bytes(color) * (x1 - x0)
        for y in range(y0, y1):
            at = (y * self.width + x0) * 3
            self.pixels[at:at + len(row)] = row

    def text(self, x, y, words, color=BLACK, scale=2):
        for ch in words.upper():
            glyph = FONT.get(ch, FONT[" "])
            for r, bits in enumerate(glyph):
                for c in range(5):
                    if bits & (16 >> c):
                        self.fill(x + c * scale, y + r * scale, x + (c + 1) * scale, y + (r + 1) * scale, color)
            x += 6 * scale
        return x

    def png(self):
        raw = b"".join(b"\0" + bytes(self.pixels[y * self.width * 3:(y + 1) * self.width * 3])
                       for y in range(self.height))

        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
                chunk(b"IEND", b""))


def text_width(words, scale=2):
    return len(words) * 6 * scale


def draw_panel(canvas, top, height, title, values, color, markers, x_max):
    """One histogram in 1 ms bins; markers: (label, ms, color) drawn as vertical lines."""
    left, right = 70, canvas.width - 40
    plot_top, plot_bottom = top + 40, top + height - 40
    canvas.text(left, top + 10, title + ", in ms")
    bins = [0] * (x_max + 1)
    for v in values:
        bins[min(x_max, max(0, int(v)))] += 1
    peak = max(bins) or 1
    scale_x = (right - left) / (x_max + 1)
    for ms in range(0, x_max + 1, 10):
        x = left + int(ms * scale_x)
        canvas.fill(x, plot_top, x + 1, plot_bottom, GREY)
        label = str(ms)
        canvas.text(x - text_width(label) // 2, plot_bottom + 8, label)
    for ms, count in enumerate(bins):
        if count:
            x0 = left + int(ms * scale_x)
            x1 = left + int((ms + 1) * scale_x) - 1
            canvas.fill(x0, plot_bottom - max(1, round(count / peak * (plot_bottom - plot_top))), max(x1, x0 + 1),
                        plot_bottom, color)
    canvas.fill(left, plot_bottom, right, plot_bottom + 2, BLACK)
    canvas.fill(left - 2, plot_top, left, plot_bottom, BLACK)
    canvas.text(8, plot_top, str(peak))
    canvas.text(8, plot_bottom - 14, "0")
    label_y = plot_top
    for label, ms, marker_color in markers:
        x = left + int(ms * scale_x)
        canvas.fill(x, plot_top, x + 2, plot_bottom, marker_color)
        canvas.text(x + 5, label_y, label, marker_color)
        label_y += 18


def write_histograms(path, panels, x_max=None):
    """panels: [(title, values in ms, bar color, markers)]; one panel under the other."""
    if x_max is None:
        biggest = max((max(p[1]) for p in panels if p[1]), default=100)
        x_max = max(100, int(math.ceil(biggest / 10.0)) * 10)
    panel_height = 300
    canvas = Canvas(1000, panel_height * len(panels))
    for k, (title, values, color, markers) in enumerate(panels):
        draw_panel(canvas, k * panel_height, panel_height, title, values, color, markers, x_max)
    with open(path, "wb") as f:
        f.write(canvas.png())
