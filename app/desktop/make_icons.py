#!/usr/bin/env python3
"""Draws the programs' icon from its SVG at fixed pixel sizes, as PNG files
for the icon theme.

  make_icons.py ICON.svg OUT_DIR 16 32 48

writes OUT_DIR/wubble-<size>.png for each size. Only what the icon uses is understood: rect (fill,
stroke, rx), line and polyline (stroke, stroke-width, round ends), plain
#rrggbb colours. Edges are smoothed by the pixel area each shape covers."""
import argparse
import math
import os
import struct
import xml.etree.ElementTree as ET
import zlib


def Colour(text):
    if text is None or text == "none":
        return None
    if not (text.startswith("#") and len(text) == 7):
        raise SystemExit(f"make_icons: colour {text!r} is not #rrggbb")
    return tuple(int(text[k:k + 2], 16) / 255 for k in (1, 3, 5))


def BandCover(d, half_width):
    """Share of a pixel, by a box filter across the edge, that lies within
    half_width of a line at distance d from the pixel's centre."""
    return max(0.0, min(d + 0.5, half_width) - max(d - 0.5, -half_width))


def SegmentDistance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def RoundedRectDistance(px, py, x, y, w, h, r):
    """Signed: negative inside."""
    qx = abs(px - (x + w / 2)) - (w / 2 - r)
    qy = abs(py - (y + h / 2)) - (h / 2 - r)
    return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - r


def Shapes(svg_path):
    """(coverage(x, y, scale), colour) in drawing order; x, y in pixels."""
    root = ET.parse(svg_path).getroot()
    view = [float(v) for v in root.get("viewBox").split()]
    shapes = []
    for element in root:
        tag = element.tag.split("}")[-1]
        get = lambda name, default=None: element.get(name, default)
        stroke = Colour(get("stroke"))
        half = float(get("stroke-width", "1")) / 2
        if tag == "rect":
            box = [float(get(k)) for k in ("x", "y", "width", "height")]
            rx = float(get("rx", "0"))
            fill = Colour(get("fill", "#000000"))
            if fill:
                shapes.append((lambda x, y, s, box=box, rx=rx:
                               min(1.0, max(0.0, 0.5 - RoundedRectDistance(x / s, y / s, *box, rx) * s)), fill))
            if stroke:
                shapes.append((lambda x, y, s, box=box, rx=rx, half=half:
                               BandCover(RoundedRectDistance(x / s, y / s, *box, rx) * s, half * s), stroke))
        elif tag in ("line", "polyline"):
            if tag == "line":
                points = [(float(get("x1")), float(get("y1"))), (float(get("x2")), float(get("y2")))]
            else:
                numbers = [float(v) for v in get("points").replace(",", " ").split()]
                points = list(zip(numbers[0::2], numbers[1::2]))
            segments = list(zip(points, points[1:]))
            shapes.append((lambda x, y, s, segments=segments, half=half:
                           BandCover(min(SegmentDistance(x / s, y / s, *a, *b) for a, b in segments) * s,
                                     half * s), stroke))
        elif tag not in ("title", "desc"):
            raise SystemExit(f"make_icons: <{tag}> is not understood")
    return view, shapes


def Draw(view, shapes, size):
    """RGBA bytes, rows top first, straight (not premultiplied) alpha."""
    scale = size / view[2]
    pixels = bytearray()
    for row in range(size):
        for column in range(size):
            x, y = column + 0.5 + view[0] * scale, row + 0.5 + view[1] * scale
            r = g = b = a = 0.0  # premultiplied
            for coverage, colour in shapes:
                c = coverage(x, y, scale)
                if c > 0:
                    r, g, b = (colour[0] * c + r * (1 - c), colour[1] * c + g * (1 - c),
                               colour[2] * c + b * (1 - c))
                    a = c + a * (1 - c)
            straight = (r / a, g / a, b / a) if a > 0 else (0.0, 0.0, 0.0)
            pixels += bytes(round(v * 255) for v in (*straight, a))
    return bytes(pixels)


def WritePng(path, size, rgba):
    def Chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + rgba[k * size * 4:(k + 1) * size * 4] for k in range(size))
    with open(path, "wb") as file:
        file.write(b"\x89PNG\r\n\x1a\n")
        file.write(Chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)))
        file.write(Chunk(b"IDAT", zlib.compress(rows, 9)))
        file.write(Chunk(b"IEND", b""))


def Main():
    parser = argparse.ArgumentParser()
    parser.add_argument("svg")
    parser.add_argument("out_dir")
    parser.add_argument("sizes", type=int, nargs="+")
    args = parser.parse_args()
    view, shapes = Shapes(args.svg)
    os.makedirs(args.out_dir, exist_ok=True)
    for size in args.sizes:
        WritePng(os.path.join(args.out_dir, f"wubble-{size}.png"), size, Draw(view, shapes, size))


if __name__ == "__main__":
    Main()
