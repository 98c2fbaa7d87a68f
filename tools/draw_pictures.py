#!/usr/bin/env python3
"""Draws the main window's button pictures (GIF, 8 colours, index 0 transparent), each at its
design size and at twice it for 2x screens ("@2x"), and its icon (PNG, 48 x 48, transparent
background) into ui/pictures/; and the desktop's icon (PNG at 16 to 256 pixels, and SVG) into
packaging/icons/. Plain Python 3, no modules beyond the standard library."""
import math
import os
import struct
import sys
import zlib

TRANSPARENT = (255, 0, 255)


def inside_polygon(x, y, points):
    hit = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


def distance_to_polygon_edge(x, y, points):
    best = 1e9
    for i in range(len(points)):
        (ax, ay), (bx, by) = points[i], points[(i + 1) % len(points)]
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        best = min(best, math.hypot(x - ax - t * dx, y - ay - t * dy))
    return best


def rounded_rect(x, y, left, top, right, bottom, radius):
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return math.hypot(x - cx, y - cy) <= radius


def draw(width, height, shade, scale=1):
    """shade(x, y) gives a palette index for the pixel centre, in design pixels: the picture is
    width x height design pixels, drawn with scale x scale pixels for each."""
    return [[shade((x + 0.5) / scale, (y + 0.5) / scale) for x in range(width * scale)]
            for y in range(height * scale)]


def triangle_picture(width, height, points, fill, outline, scale):
    def shade(x, y):
        if inside_polygon(x, y, points):
            return outline if distance_to_polygon_edge(x, y, points) < 1.5 else fill
        return 0
    return draw(width, height, shade, scale)


def play_picture(scale):
    palette = [TRANSPARENT, (0, 0, 0), (0, 176, 64), (96, 224, 128)]
    pixels = triangle_picture(33, 38, [(4, 3), (30, 19), (4, 35)], 2, 1, scale)
    return pixels, palette


def pause_picture(scale):
    palette = [TRANSPARENT, (0, 0, 128), (32, 96, 224)]

    def shade(x, y):
        for left in (4, 18):
            if rounded_rect(x, y, left, 3, left + 9, 35, 4.5):
                return 2
        return 0
    return draw(31, 38, shade, scale), palette


def next_picture(scale):
    palette = [TRANSPARENT, (0, 64, 64), (0, 160, 160)]
    triangle = [(3, 4), (29, 19), (3, 34)]

    def shade(x, y):
        if inside_polygon(x, y, triangle):
            return 1 if distance_to_polygon_edge(x, y, triangle) < 1.5 else 2
        if 31 <= x <= 38 and 4 <= y <= 34:
            return 1 if x < 32 or x > 37 or y < 5 or y > 33 else 2
        return 0
    return draw(41, 38, shade, scale), palette


def stop_picture(scale):
    palette = [TRANSPARENT, (160, 96, 0), (255, 176, 0)]

    def shade(x, y):
        if rounded_rect(x, y, 3, 3, 33, 34, 6):
            return 2 if rounded_rect(x, y, 4.5, 4.5, 31.5, 32.5, 5) else 1
        return 0
    return draw(36, 37, shade, scale), palette


def lzw_encode(indices, min_code_size):
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    out, bit_buffer, bit_count = bytearray(), 0, 0

    def emit(code, size):
        nonlocal bit_buffer, bit_count
        bit_buffer |= code << bit_count
        bit_count += size
        while bit_count >= 8:
            out.append(bit_buffer & 0xFF)
            bit_buffer >>= 8
            bit_count -= 8

    def fresh_table():
        return {(i,): i for i in range(clear)}, end + 1, min_code_size + 1

    table, next_code, size = fresh_table()
    emit(clear, size)
    current = ()
    for index in indices:
        candidate = current + (index,)
        if candidate in table:
            current = candidate
            continue
        emit(table[current], size)
        if next_code == 4096:
            emit(clear, size)
            table, next_code, size = fresh_table()
        else:
            table[candidate] = next_code
            next_code += 1
            if next_code > (1 << size) and size < 12:
                size += 1
        current = (index,)
    if current:
        emit(table[current], size)
    emit(end, size)
    if bit_count:
        out.append(bit_buffer & 0xFF)
    return bytes(out)


def write_gif(path, pixels, palette):
    height, width = len(pixels), len(pixels[0])
    palette = (palette + [(0, 0, 0)] * 8)[:8]
    data = bytearray(b"GIF89a")
    data += struct.pack("<HHBBB", width, height, 0xF2, 0, 0)
    for colour in palette:
        data += bytes(colour)
    data += b"\x21\xF9\x04\x01\x00\x00\x00\x00"  # transparency: index 0
    data += b"\x2C" + struct.pack("<HHHHB", 0, 0, width, height, 0)
    data.append(3)
    encoded = lzw_encode([i for row in pixels for i in row], 3)
    for start in range(0, len(encoded), 255):
        chunk = encoded[start:start + 255]
        data.append(len(chunk))
        data += chunk
    data += b"\x00\x3B"
    with open(path, "wb") as f:
        f.write(data)


ICON_TRIANGLE = [(6, 24), (40, 6), (40, 42)]
ICON_TILT = math.radians(-30)
ICON_COLOURS = {"outline": (0, 110, 30), "fill": (40, 200, 70), "ring": (150, 40, 190)}


def icon_colour(px, py):
    """A green triangle pointing left, crossed by a tilted purple ring; (px, py) in the 48 x 48
    design's units. None where the background shows."""
    colour = None
    if inside_polygon(px, py, ICON_TRIANGLE):
        edge = distance_to_polygon_edge(px, py, ICON_TRIANGLE) < 1.5
        colour = ICON_COLOURS["outline" if edge else "fill"]
    dx, dy = px - 24, py - 24
    u = dx * math.cos(ICON_TILT) + dy * math.sin(ICON_TILT)
    v = -dx * math.sin(ICON_TILT) + dy * math.cos(ICON_TILT)
    if abs(math.hypot(u / 21, v / 9) - 1) < 0.16:
        colour = ICON_COLOURS["ring"]
    return colour


def icon_rgba(size=48, samples=1):
    """The icon at size x size pixels, each the average of samples x samples points (1: hard
    edges, as the window's own 48 x 48 icon has)."""
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            total, covered = [0, 0, 0], 0
            for sy in range(samples):
                for sx in range(samples):
                    colour = icon_colour((x + (sx + 0.5) / samples) * 48 / size,
                                         (y + (sy + 0.5) / samples) * 48 / size)
                    if colour:
                        covered += 1
                        total = [t + c for t, c in zip(total, colour)]
            if covered:
                row += bytes(round(t / covered) for t in total)
                row.append(round(255 * covered / samples ** 2))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return size, rows


def icon_svg():
    """The same icon as a scalable drawing."""
    def rgb(name):
        return "#%02x%02x%02x" % ICON_COLOURS[name]
    points = " ".join(f"{x},{y}" for x, y in ICON_TRIANGLE)
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="48" height="48" viewBox="0 0 48 48">
  <clipPath id="triangle"><polygon points="{points}"/></clipPath>
  <polygon points="{points}" fill="{rgb('fill')}" stroke="{rgb('outline')}" stroke-width="3"
           clip-path="url(#triangle)"/>
  <path transform="translate(24 24) rotate({math.degrees(ICON_TILT):g})" fill="{rgb('ring')}"
        fill-rule="evenodd"
        d="M -24.36 0 a 24.36 10.44 0 1 0 48.72 0 a 24.36 10.44 0 1 0 -48.72 0 Z
           M -17.64 0 a 17.64 7.56 0 1 0 35.28 0 a 17.64 7.56 0 1 0 -35.28 0 Z"/>
</svg>
"""


def write_png(path, size, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(
            ">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + row for row in rows)
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
    data += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "ui", "pictures")
    icons = sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, "..", "packaging", "icons")
    os.makedirs(folder, exist_ok=True)
    for name, picture in (("play", play_picture), ("pause", pause_picture),
                          ("next", next_picture), ("stop", stop_picture)):
        write_gif(os.path.join(folder, name + ".gif"), *picture(1))
        write_gif(os.path.join(folder, name + "@2x.gif"), *picture(2))
    write_png(os.path.join(folder, "icon.png"), *icon_rgba())
    for size in ICON_SIZES:
        apps = os.path.join(icons, f"{size}x{size}", "apps")
        os.makedirs(apps, exist_ok=True)
        write_png(os.path.join(apps, "tonalisk.png"), *icon_rgba(size, samples=4))
    os.makedirs(os.path.join(icons, "scalable", "apps"), exist_ok=True)
    with open(os.path.join(icons, "scalable", "apps", "tonalisk.svg"), "w") as f:
        f.write(icon_svg())


if __name__ == "__main__":
    main()
