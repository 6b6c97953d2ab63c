#!/usr/bin/env python3
"""The product's main job: the launcher runs the wizards under Wine, against
the simulated modem and the registration host. Grows as the pieces land."""
import os
import sys

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(TOP, "tests", "harness"))
import wine  # noqa: E402


def main():
    launcher = os.path.join(TOP, "build", "x64", "bin", "KESTRIX.EXE")
    if not os.path.exists(launcher):
        print("the launcher is not built yet")
        return 1
    with wine.WineSession(display=os.environ.get("DISPLAY")) as s:
        return s.run(launcher)


if __name__ == "__main__":
    sys.exit(main())
