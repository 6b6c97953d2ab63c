#!/usr/bin/env python3
"""Draws the wizard's pictures and icons from drawing commands and writes them
as 16-colour BMP and ICO files.

    draw_art.py OUTDIR

Setup pictures are 117 x 213 pixels, the registration picture 108 x 291; the
wizard paints pure green (LIME) as the dialog's button face, so the scenes sit
on LIME and only their frame shows. Icons are 32 x 32 with a transparency mask.
"""

import math
import os
import sys

from raster import (AQUA, BLACK, BLUE, Canvas, FUCHSIA, GRAY, GREEN, LIME, MAROON, Mix,
                    NAVY, OLIVE, PURPLE, RED, SILVER, TEAL, WHITE, YELLOW)

SETUP_SIZE = (117, 213)
REGISTRATION_SIZE = (108, 291)
SKIN = Mix(WHITE, YELLOW, 0.5)
SKIN_SHADE = Mix(YELLOW, OLIVE, 0.5)
WOOD = Mix(MAROON, OLIVE, 0.5)


def framed(size, top, bottom):
    """A scene panel: a sunken edge inside a LIME margin, filled with a
    vertical blend. Returns the canvas and the panel's inner rectangle."""
    w, h = size
    c = Canvas(w, h, LIME)
    c.bevel(2, 2, w - 2, h - 2, raised=False)
    c.rect(3, 3, w - 3, h - 3, BLACK)
    inner = (4, 4, w - 4, h - 4)
    c.vgradient(*inner, top, bottom)
    c.clip = inner
    return c, inner


def sun(c, cx, cy, r):
    for k in range(12):
        a = k * math.pi / 6
        c.line(cx + math.cos(a) * (r + 3), cy + math.sin(a) * (r + 3),
               cx + math.cos(a) * (r + 8), cy + math.sin(a) * (r + 8), YELLOW)
    c.ellipse(cx, cy, r, r, YELLOW)
    c.ellipse(cx + 2, cy + 2, r - 3, r - 3, Mix(YELLOW, WHITE, 0.25))


def cloud(c, x, y):
    for dx, dy, r in ((0, 0, 6), (7, -3, 7), (14, 0, 6), (7, 2, 6)):
        c.ellipse(x + dx, y + dy, r, r * 0.8, WHITE)
    c.rect(x - 3, y + 3, x + 18, y + 6, Mix(WHITE, SILVER, 0.5))


def welcome():
    """A house at the end of a path, its door open and lit, on a sunny day."""
    c, (x0, y0, x1, y1) = framed(SETUP_SIZE, BLUE, AQUA)
    sun(c, 86, 34, 10)
    cloud(c, 16, 52)
    c.text(18, 12, "WELCOME", NAVY)
    c.text(17, 11, "WELCOME", WHITE)
    # Hills, far then near.
    c.ellipse(30, 150, 60, 30, Mix(GREEN, TEAL, 0.5))
    c.ellipse(100, 158, 50, 30, GREEN)
    c.rect(x0, 150, x1, y1, GREEN)
    c.rect(x0, 170, x1, y1, Mix(GREEN, OLIVE, 0.5))
    # House.
    hx0, hx1, base = 28, 88, 150
    c.rect(hx0, 108, hx1, base, WHITE)
    c.rect(hx1 - 3, 108, hx1, base, SILVER)
    c.polygon([(hx0 - 6, 110), (58, 80), (hx1 + 6, 110)], RED)
    c.polygon([(58, 80), (hx1 + 6, 110), (hx1 + 1, 110)], MAROON)
    c.line(hx0 - 6, 110, 58, 80, MAROON)
    c.rect(72, 84, 79, 98, MAROON)                         # chimney
    c.ellipse(80, 78, 3, 2, SILVER)
    c.ellipse(84, 72, 4, 3, Mix(SILVER, WHITE, 0.5))
    c.rect(51, 124, 65, base, YELLOW)                      # open, lit door
    c.rect(51, 124, 55, base, MAROON)
    c.frame(50, 123, 66, base, BLACK)
    for wx in (33, 70):                                    # windows
        c.rect(wx, 118, wx + 13, 131, Mix(AQUA, WHITE, 0.25))
        c.frame(wx, 118, wx + 13, 131, NAVY)
        c.line(wx + 6, 118, wx + 6, 130, NAVY)
        c.line(wx, 124, wx + 12, 124, NAVY)
    c.frame(hx0, 108, hx1, base, BLACK)
    # Path from the door to the viewer.
    c.polygon([(53, base), (63, base), (92, y1), (34, y1)], Mix(SILVER, OLIVE, 0.25))
    c.line(53, base, 34, y1, GRAY)
    c.line(63, base, 92, y1, GRAY)
    # Flowers along the path.
    for fx, fy, col in ((20, 178, RED), (14, 192, YELLOW), (98, 180, FUCHSIA),
                        (104, 196, RED), (24, 200, WHITE), (96, 165, YELLOW)):
        c.ellipse(fx, fy, 2, 2, col)
    return c


def outlined(c, points, colour, width):
    """A stroke along `points` with a black edge a pixel wide each side:
    pens, pencils, cables."""
    c.polyline(points, BLACK, width + 2)
    c.polyline(points, colour, width)


def person():
    """Head and shoulders of the user, name badge on the jacket."""
    c, (x0, y0, x1, y1) = framed(SETUP_SIZE, TEAL, AQUA)
    c.ellipse(58, 78, 48, 48, Mix(AQUA, WHITE, 0.25))      # halo behind the head
    # Shoulders and jacket.
    c.polygon([(10, y1), (14, 150), (30, 132), (86, 132), (102, 150), (106, y1)], NAVY)
    c.polygon([(46, 132), (70, 132), (66, 170), (58, 178), (50, 170)], WHITE)
    c.polygon([(55, 136), (61, 136), (63, 168), (58, 176), (53, 168)], RED)
    c.polygon([(55, 136), (61, 136), (58, 141)], MAROON)
    c.polygon([(44, 132), (50, 132), (56, 160), (40, 140)], BLUE)        # lapels
    c.polygon([(66, 132), (72, 132), (76, 140), (60, 160)], BLUE)
    c.rect(72, 168, 96, 182, WHITE)                                      # badge
    c.frame(72, 168, 96, 182, GRAY)
    c.rect(74, 171, 94, 173, RED)
    c.rect(74, 176, 90, 177, GRAY)
    c.rect(74, 179, 86, 180, GRAY)
    # Neck and head.
    c.rect(50, 112, 67, 134, SKIN)
    c.rect(50, 112, 67, 120, SKIN_SHADE)
    c.ellipse(58.5, 88, 25, 31, SKIN)
    c.ellipse(34, 92, 4, 7, SKIN)                                        # ears
    c.ellipse(83, 92, 4, 7, SKIN)
    # Hair.
    c.ellipse(58.5, 68, 27, 16, MAROON)
    c.rect(32, 66, 38, 88, MAROON)
    c.rect(79, 66, 85, 86, MAROON)
    c.polygon([(40, 70), (70, 64), (82, 78), (60, 72)], MAROON)
    # Face.
    for ex in (49, 68):
        c.rect(ex - 3, 82, ex + 4, 84, MAROON)                           # brows
        c.ellipse(ex + 0.5, 89, 3, 2.5, WHITE)
        c.rect(ex, 88, ex + 2, 91, NAVY)
    c.polyline([(58, 92), (56, 101), (60, 102)], SKIN_SHADE)
    c.polyline([(48, 107), (52, 110), (58, 111), (64, 110), (69, 107)], MAROON)
    return c


def address():
    """An address card with an envelope addressed from it."""
    c, (x0, y0, x1, y1) = framed(SETUP_SIZE, NAVY, BLUE)
    # Card file behind: a card with a tab, tilted by drawing it as a polygon.
    card = [(14, 40), (98, 28), (106, 110), (22, 122)]
    c.polygon([(x + 3, y + 3) for x, y in card], BLACK)
    c.polygon(card, WHITE)
    c.polygon([(22, 36), (50, 32), (50, 26), (26, 29)], Mix(YELLOW, WHITE, 0.5))
    for k in range(6):
        y = 50 + k * 11
        c.line(22, y + 8 - k * 0, 96, y - 4, AQUA if k else RED)
    c.polyline(card + card[:1], GRAY)
    # Envelope in front.
    ex0, ey0, ex1, ey1 = 10, 120, 108, 186
    c.rect(ex0 + 3, ey0 + 3, ex1 + 3, ey1 + 3, BLACK)
    c.rect(ex0, ey0, ex1, ey1, Mix(WHITE, YELLOW, 0.125))
    c.polyline([(ex0, ey0), (59, 156), (ex1 - 1, ey0)], SILVER)
    c.polyline([(ex0, ey1 - 1), (44, 158)], SILVER)
    c.polyline([(ex1 - 1, ey1 - 1), (74, 158)], SILVER)
    c.frame(ex0, ey0, ex1, ey1, GRAY)
    c.rect(86, 125, 102, 143, RED)                                       # stamp
    c.frame(86, 125, 102, 143, WHITE)
    c.ellipse(94, 134, 4, 4, YELLOW)
    c.ring(84, 138, 9, 9, NAVY)                                          # postmark
    for y in (164, 170, 176):
        c.rect(34, y, 86 - (y - 164) * 2, y + 2, NAVY)
    # A pen lying across.
    outlined(c, [(26, 196), (92, 190)], RED, 2)
    c.line(92, 190, 101, 189, SILVER, 3)
    c.dot(103, 189, BLACK)
    return c


def plug_face(c, cx, cy, scale):
    """A nine-pin D-sub plug seen end on, centred on (cx, cy): the flange
    with its two screws, the D-shaped shell and the pins."""
    half_w, half_h = 24 * scale, 9 * scale
    c.round_rect(cx - half_w - 4, cy - half_h - 2, cx + half_w + 4, cy + half_h + 2, 3, GRAY)
    c.round_rect(cx - half_w - 3, cy - half_h - 1, cx + half_w + 3, cy + half_h, 3, SILVER)
    for sx in (cx - half_w + 2, cx + half_w - 2):
        c.ellipse(sx, cy, 3 * scale, 3 * scale, GRAY)
        c.ellipse(sx - 0.5, cy - 0.5, 2.5 * scale, 2.5 * scale, Mix(SILVER, WHITE, 0.5))
        c.line(sx - 2 * scale, cy, sx + 2 * scale, cy, GRAY, 2)
    top, bottom = 14 * scale, 11 * scale
    shell = [(cx - top, cy - 6 * scale), (cx + top, cy - 6 * scale),
             (cx + bottom, cy + 6 * scale), (cx - bottom, cy + 6 * scale)]
    c.polygon(shell, BLACK)
    inner = [(x * 0.86 + cx * 0.14, y * 0.8 + cy * 0.2) for x, y in shell]
    c.polygon(inner, Mix(GRAY, BLACK, 0.5))
    for k in range(5):
        px = cx - 10 * scale + k * 5 * scale
        c.ellipse(px, cy - 2.5 * scale, 1.4 * scale, 1.4 * scale, YELLOW)
        c.dot(px - 1, cy - 2.5 * scale - 1, WHITE)
    for k in range(4):
        px = cx - 7.5 * scale + k * 5 * scale
        c.ellipse(px, cy + 2.5 * scale, 1.4 * scale, 1.4 * scale, YELLOW)
        c.dot(px - 1, cy + 2.5 * scale - 1, WHITE)


def com_port():
    """A serial cable's nine-pin plug, end on, its cable running away."""
    c, (x0, y0, x1, y1) = framed(SETUP_SIZE, TEAL, Mix(TEAL, AQUA, 0.5))
    # Cable from the top edge curving down behind the hood.
    pts = [(58 + 24 * math.sin(t / 14.0), y0 + t) for t in range(0, 92)]
    outlined(c, pts, GRAY, 9)
    c.polyline([(x - 3, y) for x, y in pts], SILVER, 2)
    # The hood, then the plug's face in front of it.
    c.polygon([(40, 86), (76, 86), (92, 116), (24, 116)], BLACK)
    c.polygon([(41, 87), (75, 87), (90, 115), (26, 115)], Mix(GRAY, SILVER, 0.5))
    c.line(42, 88, 28, 114, SILVER)
    plug_face(c, 58, 132, 2)
    c.text(35, 165, "COM1", NAVY, 1)
    c.text(34, 164, "COM1", WHITE, 1)
    # The port it goes into, on the back of a computer.
    c.bevel(8, 180, 109, 206, SILVER)
    c.round_rect(35, 187, 81, 199, 2, BLACK)
    for k in range(5):
        c.dot(44 + k * 7, 191, YELLOW)
    for k in range(4):
        c.dot(47 + k * 7, 195, YELLOW)
    for vx in range(14, 30, 4):
        c.rect(vx, 186, vx + 2, 201, GRAY)
    for vx in range(88, 104, 4):
        c.rect(vx, 186, vx + 2, 201, GRAY)
    return c


def modem_box(c, x, y, w, h, leds=True):
    c.rect(x + 2, y + h, x + w - 2, y + h + 2, BLACK)                    # shadow
    c.round_rect(x, y, x + w, y + h, 3, GRAY)
    c.round_rect(x, y, x + w, y + h - 3, 3, SILVER)
    c.rect(x + 3, y + 1, x + w - 3, y + 2, WHITE)
    c.rect(x + 3, y + h - 4, x + w - 3, y + h - 3, GRAY)
    if leds:
        for k, col in enumerate((RED, YELLOW, GREEN, YELLOW, RED, GREEN)):
            lx = x + 6 + k * (w - 14) / 5
            c.rect(int(lx), y + h - 9, int(lx) + 3, y + h - 7, col)
            c.dot(int(lx), y + h - 9, WHITE)


def telephone(c, x, y):
    """A desk telephone, `x, y` the top-left of its handset."""
    c.round_rect(x + 6, y + 10, x + 56, y + 36, 4, MAROON)             # body
    c.polygon([(x + 2, y + 36), (x + 60, y + 36), (x + 56, y + 20), (x + 6, y + 20)], RED)
    c.rect(x + 2, y + 36, x + 60, y + 38, MAROON)
    c.round_rect(x, y, x + 62, y + 9, 4, RED)                            # handset
    c.round_rect(x - 2, y + 3, x + 12, y + 14, 3, RED)
    c.round_rect(x + 50, y + 3, x + 64, y + 14, 3, RED)
    c.rect(x + 4, y + 1, x + 58, y + 2, Mix(RED, WHITE, 0.25))
    c.ellipse(x + 31, y + 28, 9, 6, SILVER)                             # dial
    c.ring(x + 31, y + 28, 9, 6, GRAY)
    c.ellipse(x + 31, y + 28, 3, 2, WHITE)


def modem_and_line():
    """A telephone on an external modem, the line running to a wall socket."""
    c, (x0, y0, x1, y1) = framed(SETUP_SIZE, Mix(WHITE, SILVER, 0.5), SILVER)
    c.rect(x0, 150, x1, y1, WOOD)                                        # desk
    c.rect(x0, 150, x1, 152, MAROON)
    c.rect(x0, 152, x1, 153, Mix(OLIVE, YELLOW, 0.5))
    # Wall socket and its line down behind the desk.
    c.bevel(84, 36, 104, 60, WHITE)
    c.rect(90, 44, 98, 52, BLACK)
    c.rect(92, 47, 96, 52, GRAY)
    c.polyline([(94, 52), (94, 70), (86, 80), (86, 118), (74, 128), (70, 136)], BLACK, 2)
    # Modem with the telephone on top.
    modem_box(c, 12, 120, 92, 28)
    c.text(20, 127, "MODEM", NAVY)
    telephone(c, 24, 82)
    c.polyline([(22, 89), (14, 98), (20, 106), (12, 114), (18, 124)], BLACK)   # handset cord
    # A note pad with the number to call, and a pencil.
    c.polygon([(20, 166), (74, 162), (78, 200), (24, 204)], BLACK)
    c.polygon([(18, 164), (72, 160), (76, 198), (22, 202)], Mix(WHITE, YELLOW, 0.25))
    for k in range(4):
        c.line(24, 174 + k * 7, 70, 170 + k * 7, AQUA)
    c.polyline([(26, 173), (32, 170), (38, 172), (46, 168), (52, 170)], NAVY)
    c.polyline([(26, 180), (34, 178), (40, 179)], NAVY)
    outlined(c, [(84, 200), (104, 166)], YELLOW, 2)
    c.line(84, 200, 87, 195, Mix(YELLOW, WHITE, 0.5), 2)
    c.dot(83, 202, BLACK)
    return c


def computer_starting():
    """A computer whose screen shows the sun coming up, the power light on."""
    c, (x0, y0, x1, y1) = framed(SETUP_SIZE, NAVY, Mix(NAVY, PURPLE, 0.5))
    for k in range(16):                                                 # glow
        a = math.pi + k * math.pi / 15
        c.line(58, 70, 58 + math.cos(a) * 70, 70 + math.sin(a) * 70, Mix(NAVY, BLUE, 0.5))
    # Monitor.
    c.bevel(12, 28, 105, 106, SILVER)
    c.rect(20, 35, 97, 95, BLACK)
    c.vgradient(22, 37, 95, 93, NAVY, Mix(RED, YELLOW, 0.5))
    c.ellipse(58, 93, 18, 16, YELLOW)
    for k in range(9):
        a = math.pi + (k + 1) * math.pi / 10
        c.line(58 + math.cos(a) * 21, 93 + math.sin(a) * 19,
               58 + math.cos(a) * 29, 93 + math.sin(a) * 27, YELLOW)
    c.rect(22, 93, 95, 95, BLACK)
    c.rect(20, 95, 97, 97, BLACK)
    c.rect(86, 99, 92, 102, GREEN)                                       # power light
    c.rect(40, 106, 77, 112, GRAY)                                       # stand
    c.rect(30, 112, 87, 116, SILVER)
    c.rect(30, 115, 87, 116, GRAY)
    # System unit with its drives.
    c.bevel(8, 120, 109, 150, SILVER)
    c.rect(16, 127, 50, 131, GRAY)
    c.rect(16, 134, 50, 138, GRAY)
    c.rect(30, 129, 36, 130, BLACK)
    c.ellipse(94, 135, 7, 7, GRAY)                                       # power button
    c.ring(94, 135, 4, 4, YELLOW)
    c.rect(93, 129, 95, 135, YELLOW)
    c.rect(70, 140, 74, 143, RED)
    # Keyboard.
    c.polygon([(10, 162), (106, 162), (110, 182), (6, 182)], SILVER)
    c.polyline([(6, 182), (110, 182)], GRAY)
    for row in range(3):
        y = 165 + row * 5
        for k in range(13):
            x = 12 + row + k * 7
            c.rect(x, y, x + 5, y + 3, WHITE)
            c.rect(x + 1, y + 3, x + 5, y + 4, GRAY)
    c.rect(30, 180, 86, 181, WHITE)
    return c


def registration_card():
    """A filled-in registration card with a pen, posted in an envelope."""
    c, (x0, y0, x1, y1) = framed(REGISTRATION_SIZE, TEAL, Mix(TEAL, NAVY, 0.5))
    # Envelope behind, lower half.
    c.rect(10, 190, 99, 250, Mix(WHITE, YELLOW, 0.125))
    c.polyline([(10, 190), (54, 222), (98, 190)], SILVER)
    c.frame(10, 190, 99, 250, GRAY)
    c.rect(80, 195, 94, 211, RED)
    c.frame(80, 195, 94, 211, WHITE)
    # The card, slipping into it.
    c.rect(17, 21, 94, 215, BLACK)
    c.rect(14, 18, 91, 212, WHITE)
    c.rect(14, 18, 91, 38, NAVY)
    c.text(17, 24, "REGISTER", WHITE)
    c.frame(14, 18, 91, 212, GRAY)
    y = 46
    for k in range(6):                                                   # name lines
        c.rect(18, y + 5, 40, y + 6, GRAY)
        c.rect(42, y + 5, 86, y + 6, BLUE if k < 4 else GRAY)
        if k < 4:
            c.polyline([(44, y + 3), (50, y + 1), (58, y + 3), (66, y), (72 - k * 4, y + 2)], NAVY)
        y += 12
    for k in range(5):                                                   # survey boxes
        by = 124 + k * 13
        c.rect(19, by, 27, by + 8, WHITE)
        c.frame(19, by, 27, by + 8, BLACK)
        if k in (0, 2, 3):
            c.polyline([(20, by + 4), (22, by + 7), (28, by - 1)], RED, 2)
        c.rect(31, by + 3, 80 - k * 5, by + 5, SILVER)
    c.rect(54, 194, 86, 195, GRAY)                                       # signature
    c.polyline([(56, 192), (60, 186), (62, 192), (66, 187), (70, 191), (78, 186)], NAVY)
    # The front flap of the envelope over the card.
    c.polygon([(10, 214), (99, 214), (99, 250), (10, 250)], Mix(WHITE, YELLOW, 0.25))
    c.polyline([(10, 250), (42, 226), (66, 226), (98, 250)], SILVER)
    c.frame(10, 214, 99, 251, GRAY)
    # Pen across the card.
    outlined(c, [(30, 118), (96, 52)], BLUE, 3)
    c.line(84, 64, 96, 52, SILVER, 3)
    c.line(30, 118, 24, 124, YELLOW, 3)
    c.dot(22, 126, BLACK)
    for k in range(3):                                                   # stars
        sx, sy = 22 + k * 32, 266 + (k % 2) * 8
        c.line(sx - 4, sy, sx + 4, sy, YELLOW)
        c.line(sx, sy - 4, sx, sy + 4, YELLOW)
        c.dot(sx, sy, WHITE)
    return c


def icon_canvas():
    c = Canvas(32, 32, BLACK)
    for y in range(32):
        for x in range(32):
            c.clear(x, y)
    return c


def modem_icon_body(c, y=14):
    c.rect(3, y + 10, 31, y + 12, GRAY)                                  # shadow
    c.round_rect(1, y, 29, y + 11, 2, BLACK)
    c.round_rect(2, y + 1, 28, y + 10, 2, SILVER)
    c.rect(3, y + 1, 27, y + 2, WHITE)
    c.rect(3, y + 8, 27, y + 9, GRAY)
    for k, col in enumerate((RED, YELLOW, GREEN, RED)):
        c.rect(6 + k * 5, y + 5, 8 + k * 5, y + 7, col)


def auto_detect_icon():
    """A modem under a magnifying glass."""
    c = icon_canvas()
    modem_icon_body(c, 15)
    c.line(22, 18, 29, 27, BLACK, 4)                                     # handle
    c.line(22, 18, 28, 26, MAROON, 2)
    c.ellipse(14, 11, 10, 10, BLACK)
    c.ellipse(14, 11, 8, 8, Mix(AQUA, WHITE, 0.25))
    c.rect(9, 12, 19, 14, SILVER)                                        # the modem, enlarged
    c.rect(9, 11, 19, 12, WHITE)
    c.rect(10, 12, 12, 14, RED)
    c.rect(14, 12, 16, 14, GREEN)
    c.rect(8, 6, 11, 8, WHITE)                                           # glint
    return c


def modem_port_icon():
    """A modem with its serial cable and plug."""
    c = icon_canvas()
    modem_icon_body(c, 4)
    c.polyline([(24, 15), (24, 20), (20, 24), (12, 24)], BLACK, 2)
    c.polygon([(2, 20), (13, 20), (12, 29), (3, 29)], BLACK)
    c.polygon([(3, 21), (12, 21), (11, 28), (4, 28)], SILVER)
    for k in range(4):
        c.dot(5 + k * 2, 23, BLACK)
    for k in range(3):
        c.dot(6 + k * 2, 26, BLACK)
    return c


def telephone_line_icon():
    """A modem with a telephone handset resting on it: a telephony line."""
    c = icon_canvas()
    modem_icon_body(c, 16)
    c.round_rect(3, 6, 27, 11, 2, BLACK)                                 # handset
    c.round_rect(4, 7, 26, 10, 1, RED)
    c.round_rect(1, 9, 9, 15, 2, BLACK)
    c.round_rect(2, 10, 8, 14, 1, RED)
    c.round_rect(21, 9, 29, 15, 2, BLACK)
    c.round_rect(22, 10, 28, 14, 1, RED)
    c.rect(6, 7, 24, 8, Mix(RED, WHITE, 0.25))
    return c


PICTURES = {
    "WELCOME.BMP": welcome,          # bitmap 300
    "USER.BMP": person,              # bitmap 301
    "ADDRESS.BMP": address,          # bitmap 302
    "COMPORT.BMP": com_port,         # bitmap 303
    "MODEM.BMP": modem_and_line,     # bitmap 304
    "STARTUP.BMP": computer_starting,  # bitmap 305
    "REGCARD.BMP": registration_card,  # bitmap 306
}
ICONS = {
    "DETECT.ICO": auto_detect_icon,  # icon 200
    "MODEMPRT.ICO": modem_port_icon,    # icon 577
    "TAPILINE.ICO": telephone_line_icon,  # the line provider's and the Modems applet's icon
}


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    out = argv[1]
    os.makedirs(out, exist_ok=True)
    for name, draw in PICTURES.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(draw().bmp_bytes())
    for name, draw in ICONS.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(draw().ico_bytes())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
