#!/usr/bin/env python3
"""Writes app/win/slidora.ico from the shapes of packaging/slidora.svg.

The icon file is committed; run this again only when the art changes. It
reads the SVG's rect, circle and polygon elements (plain fills, no
transforms) and draws them at 16, 32 and 48 pixels with 4 x 4 samples per
pixel, as 32-bit images with alpha.
"""
import struct
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SVG = ROOT / "packaging" / "slidora.svg"
OUT = ROOT / "app" / "win" / "slidora.ico"
SIZES = (16, 32, 48)
SAMPLES = 4


def colour(text):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


def inside_polygon(points, x, y):
    hit = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


def shapes(svg):
    ns = "{http://www.w3.org/2000/svg}"
    found = []
    for el in ET.parse(svg).getroot():
        tag = el.tag.replace(ns, "")
        fill = colour(el.get("fill"))
        if tag == "rect":
            x, y, w, h = (float(el.get(k)) for k in ("x", "y", "width", "height"))
            found.append((lambda px, py, x=x, y=y, w=w, h=h: x <= px < x + w and y <= py < y + h, fill))
        elif tag == "circle":
            cx, cy, r = (float(el.get(k)) for k in ("cx", "cy", "r"))
            found.append((lambda px, py, cx=cx, cy=cy, r=r: (px - cx) ** 2 + (py - cy) ** 2 <= r * r, fill))
        elif tag == "polygon":
            pts = [tuple(float(v) for v in p.split(",")) for p in el.get("points").split()]
            found.append((lambda px, py, pts=pts: inside_polygon(pts, px, py), fill))
    return found


def render(found, view, size):
    """Rows top-down of (b, g, r, a)."""
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0]
            covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    px = (x + (sx + 0.5) / SAMPLES) * view / size
                    py = (y + (sy + 0.5) / SAMPLES) * view / size
                    hit = None
                    for test, fill in found:
                        if test(px, py):
                            hit = fill
                    if hit:
                        covered += 1
                        for i in range(3):
                            acc[i] += hit[i]
            if covered:
                r, g, b = (round(v / covered) for v in acc)
                row.append((b, g, r, round(255 * covered / SAMPLES ** 2)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def icon_image(rows, size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour_bits = b"".join(bytes(p) for row in reversed(rows) for p in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour_bits + bytes(mask)


def main():
    root = ET.parse(SVG).getroot()
    view = float(root.get("viewBox").split()[2])
    found = shapes(SVG)
    images = [icon_image(render(found, view, s), s) for s in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    OUT.write_bytes(out)
    print(f"wrote {OUT} ({len(out)} bytes)", file=sys.stderr)


if __name__ == "__main__":
    main()
