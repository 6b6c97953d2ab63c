#!/usr/bin/env python3
"""The committed pictures and icons are what the drawing script makes today.
Their form (sizes, colours, the key green, icon masks) is checked where it
matters, by Windows loading them: art_resources_test."""

import os
import subprocess
import sys
import tempfile
import unittest

ART = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources", "art")
FILES = ["WELCOME.BMP", "USER.BMP", "ADDRESS.BMP", "COMPORT.BMP", "MODEM.BMP", "STARTUP.BMP",
         "REGCARD.BMP", "DETECT.ICO", "MODEMPRT.ICO", "TAPILINE.ICO"]


class Art(unittest.TestCase):
    def test_committed_files_match_the_script(self):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, os.path.join(ART, "draw_art.py"), out], check=True)
            for name in FILES:
                with open(os.path.join(out, name), "rb") as a, \
                        open(os.path.join(ART, name), "rb") as b:
                    self.assertEqual(a.read(), b.read(),
                                     "%s is stale: run resources/art/draw_art.py" % name)


if __name__ == "__main__":
    unittest.main()
