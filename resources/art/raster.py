"""A tiny 16-colour raster: drawing primitives on a palette-indexed canvas and
writers for 4-bit BMP and ICO files. Standard library only, so the artwork
can be rebuilt anywhere Python runs."""

import struct

# The 16 colours every VGA-class display shows without dithering, in the
# order of the Windows default palette. LIME is the key colour the wizard
# turns into the button face.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
(BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER,
 GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE) = range(16)
KEY = LIME

# 4x4 ordered-dither thresholds (0..15).
_BAYER = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


class Mix:
    """A colour between two palette entries: `amount` (0..1) of `b` over `a`,
    spread by ordered dithering."""

    def __init__(self, a, b, amount=0.5):
        self.a, self.b, self.level = a, b, int(round(amount * 16))

    def at(self, x, y):
        return _ink(self.b if _BAYER[y % 4][x % 4] < self.level else self.a, x, y)


def _ink(colour, x, y):
    """The palette index a colour (an index or a Mix, even of Mixes) gives at x, y."""
    return colour.at(x, y) if isinstance(colour, Mix) else colour


class Canvas:
    def __init__(self, width, height, background=KEY):
        self.w, self.h = width, height
        self.px = [[background] * width for _ in range(height)]
        self.opaque = [[True] * width for _ in range(height)]
        self.clip = (0, 0, width, height)

    # -- pixels -------------------------------------------------------------
    def dot(self, x, y, colour):
        x, y = int(x), int(y)
        left, top, right, bottom = self.clip
        if left <= x < right and top <= y < bottom:
            self.px[y][x] = _ink(colour, x, y)
            self.opaque[y][x] = True

    def clear(self, x, y):
        """Makes a pixel transparent (icons only: it goes into the AND mask)."""
        if 0 <= x < self.w and 0 <= y < self.h:
            self.opaque[y][x] = False
            self.px[y][x] = BLACK

    # -- shapes (right and bottom edges exclusive) --------------------------
    def rect(self, x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.dot(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        self.rect(x0, y0, x1, y0 + 1, colour)
        self.rect(x0, y1 - 1, x1, y1, colour)
        self.rect(x0, y0, x0 + 1, y1, colour)
        self.rect(x1 - 1, y0, x1, y1, colour)

    def vgradient(self, x0, y0, x1, y1, top, bottom):
        """Dithered blend from `top` to `bottom` down the rectangle."""
        span = max(1, y1 - y0 - 1)
        for y in range(y0, y1):
            self.rect(x0, y, x1, y + 1, Mix(top, bottom, (y - y0) / span))

    def bevel(self, x0, y0, x1, y1, face=SILVER, raised=True):
        """A Windows-style 3D box: light edges top-left, dark bottom-right."""
        light, dark = (WHITE, GRAY) if raised else (GRAY, WHITE)
        self.rect(x0, y0, x1, y1, face)
        self.rect(x0, y0, x1 - 1, y0 + 1, light)
        self.rect(x0, y0, x0 + 1, y1 - 1, light)
        self.rect(x0, y1 - 1, x1, y1, BLACK if raised else light)
        self.rect(x1 - 1, y0, x1, y1, BLACK if raised else light)
        self.rect(x0 + 1, y1 - 2, x1 - 1, y1 - 1, dark)
        self.rect(x1 - 2, y0 + 1, x1 - 1, y1 - 1, dark)

    def line(self, x0, y0, x1, y1, colour, width=1):
        x0, y0, x1, y1 = int(round(x0)), int(round(y0)), int(round(x1)), int(round(y1))
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        r = width // 2
        while True:
            self.rect(x0 - r, y0 - r, x0 - r + width, y0 - r + width, colour)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def polyline(self, points, colour, width=1):
        for (ax, ay), (bx, by) in zip(points, points[1:]):
            self.line(ax, ay, bx, by, colour, width)

    def ellipse(self, cx, cy, rx, ry, colour):
        """Filled ellipse centred on (cx, cy); half-pixel centres allowed."""
        for y in range(int(cy - ry) - 1, int(cy + ry) + 2):
            for x in range(int(cx - rx) - 1, int(cx + rx) + 2):
                u, v = (x + 0.5 - cx) / rx, (y + 0.5 - cy) / ry
                if u * u + v * v <= 1.0:
                    self.dot(x, y, colour)

    def ring(self, cx, cy, rx, ry, colour, width=1):
        for y in range(int(cy - ry) - 1, int(cy + ry) + 2):
            for x in range(int(cx - rx) - 1, int(cx + rx) + 2):
                u, v = (x + 0.5 - cx) / rx, (y + 0.5 - cy) / ry
                iu = (x + 0.5 - cx) / max(0.5, rx - width)
                iv = (y + 0.5 - cy) / max(0.5, ry - width)
                if u * u + v * v <= 1.0 and iu * iu + iv * iv > 1.0:
                    self.dot(x, y, colour)

    def polygon(self, points, colour):
        """Filled polygon (even-odd rule, sampled at pixel centres)."""
        ys = [p[1] for p in points]
        for y in range(max(0, int(min(ys))), min(self.h, int(max(ys)) + 1)):
            yc = y + 0.5
            xs = []
            for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
                if (ay <= yc < by) or (by <= yc < ay):
                    xs.append(ax + (yc - ay) * (bx - ax) / (by - ay))
            xs.sort()
            for left, right in zip(xs[0::2], xs[1::2]):
                for x in range(int(round(left)), int(round(right))):
                    self.dot(x, y, colour)

    def round_rect(self, x0, y0, x1, y1, radius, colour):
        self.rect(x0 + radius, y0, x1 - radius, y1, colour)
        self.rect(x0, y0 + radius, x1, y1 - radius, colour)
        for cx, cy in ((x0 + radius, y0 + radius), (x1 - radius, y0 + radius),
                       (x0 + radius, y1 - radius), (x1 - radius, y1 - radius)):
            self.ellipse(cx, cy, radius, radius, colour)

    def text(self, x, y, string, colour, scale=1):
        for ch in string.upper():
            glyph = FONT.get(ch)
            if glyph is None:
                x += 4 * scale
                continue
            for row, bits in enumerate(glyph):
                for col, bit in enumerate(bits):
                    if bit == "#":
                        self.rect(x + col * scale, y + row * scale,
                                  x + (col + 1) * scale, y + (row + 1) * scale, colour)
            x += (len(glyph[0]) + 1) * scale

    # -- files --------------------------------------------------------------
    def _rows_4bit(self):
        stride = ((self.w + 7) // 8) * 4
        out = bytearray()
        for y in range(self.h - 1, -1, -1):
            row = bytearray(stride)
            for x in range(self.w):
                row[x // 2] |= self.px[y][x] << (0 if x % 2 else 4)
            out += row
        return bytes(out)

    def _info_header(self, height, image_size):
        return struct.pack("<IiiHHIIiiII", 40, self.w, height, 1, 4, 0, image_size,
                           0, 0, 16, 16)

    @staticmethod
    def _palette_bytes():
        return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)

    def bmp_bytes(self):
        pixels = self._rows_4bit()
        offset = 14 + 40 + 64
        header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
        return header + self._info_header(self.h, len(pixels)) + self._palette_bytes() + pixels

    def ico_bytes(self):
        """A single-image icon: 4-bit colour plus the 1-bit AND mask in which
        set bits are transparent."""
        xor = self._rows_4bit()
        mask_stride = ((self.w + 31) // 32) * 4
        mask = bytearray()
        for y in range(self.h - 1, -1, -1):
            row = bytearray(mask_stride)
            for x in range(self.w):
                if not self.opaque[y][x]:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        image = (self._info_header(self.h * 2, len(xor) + len(mask)) +
                 self._palette_bytes() + xor + bytes(mask))
        directory = struct.pack("<HHH", 0, 1, 1)
        entry = struct.pack("<BBBBHHII", self.w, self.h, 16, 0, 1, 4, len(image), 6 + 16)
        return directory + entry + image


# A small 5x7 font: only what the pictures write.
FONT = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "B": ["####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "G": [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."],
    "H": ["#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "I": ["###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "W": ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"],
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    "1": [".#.", "##.", ".#.", ".#.", ".#.", ".#.", "###"],
    "!": ["#", "#", "#", "#", "#", ".", "#"],
}
