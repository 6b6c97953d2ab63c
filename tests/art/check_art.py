#!/usr/bin/env python3
"""The committed pictures and icons are what the drawing script makes today,
and they are in the form the wizard's resources need."""

import os
import struct
import subprocess
import sys
import tempfile
import unittest

ART = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources", "art")
PICTURES = {"WELCOME.BMP": (117, 213), "USER.BMP": (117, 213), "ADDRESS.BMP": (117, 213),
            "COMPORT.BMP": (117, 213), "MODEM.BMP": (117, 213), "STARTUP.BMP": (117, 213),
            "REGCARD.BMP": (108, 291)}
ICONS = ["DETECT.ICO", "MODEMPRT.ICO"]
LIME = (0, 255, 0)


def palette(data, offset):
    return [(data[i + 2], data[i + 1], data[i]) for i in range(offset, offset + 64, 4)]


def pixels_4bit(data, offset, width, height):
    stride = ((width + 7) // 8) * 4
    for row in range(height):
        line = data[offset + row * stride: offset + row * stride + (width + 1) // 2]
        for x in range(width):
            yield (line[x // 2] >> (0 if x % 2 else 4)) & 15


class Art(unittest.TestCase):
    def test_committed_files_match_the_script(self):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, os.path.join(ART, "draw_art.py"), out], check=True)
            for name in list(PICTURES) + ICONS:
                with open(os.path.join(out, name), "rb") as a, \
                        open(os.path.join(ART, name), "rb") as b:
                    self.assertEqual(a.read(), b.read(),
                                     "%s is stale: run resources/art/draw_art.py" % name)

    def test_pictures_are_16_colour_bitmaps_with_green_showing_the_face(self):
        for name, (w, h) in PICTURES.items():
            with open(os.path.join(ART, name), "rb") as f:
                data = f.read()
            magic, size, _, _, offset = struct.unpack_from("<2sIHHI", data)
            _, width, height, planes, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
            self.assertEqual((magic, size), (b"BM", len(data)), name)
            self.assertEqual((width, height, planes, bits, compression), (w, h, 1, 4, 0), name)
            colours = palette(data, 54)
            self.assertIn(LIME, colours, name)
            used = {colours[i] for i in pixels_4bit(data, offset, w, h)}
            self.assertIn(LIME, used, "%s has no button-face area" % name)
            self.assertGreaterEqual(len(used), 6, "%s is hardly a picture" % name)
            # The corners are margin: they must show the face.
            first = next(pixels_4bit(data, offset, w, h))
            self.assertEqual(colours[first], LIME, name)

    def test_icons_are_32x32_16_colour_with_a_mask(self):
        for name in ICONS:
            with open(os.path.join(ART, name), "rb") as f:
                data = f.read()
            self.assertEqual(struct.unpack_from("<HHH", data), (0, 1, 1), name)
            w, h, count, _, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6)
            self.assertEqual((w, h, count, bits), (32, 32, 16, 4), name)
            self.assertEqual(offset + size, len(data), name)
            _, width, height, _, bits = struct.unpack_from("<IiiHH", data, offset)
            self.assertEqual((width, height, bits), (32, 64, 4), name)
            mask = data[offset + 40 + 64 + 512:]
            self.assertEqual(len(mask), 128, name)
            transparent = sum(bin(b).count("1") for b in mask)
            self.assertTrue(100 < transparent < 900, "%s: %d transparent pixels" % (name, transparent))


if __name__ == "__main__":
    unittest.main()
