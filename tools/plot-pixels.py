#!/usr/bin/env python3
"""Checks a run's picture as a browser drew it: the PNG is not blank, has the SVG's size, and its
lanes are where the run's trace says: the lane colour at the lane's centre while the vessel lives
and the camera does not target it, the target's hatching while it does, and the background after
the vessel is deleted.

usage: plot-pixels.py PICTURE.svg TRACE.csv SCREENSHOT.png

Only Python's standard library: the PNG is decoded with zlib.
"""
import csv
import struct
import sys
import xml.etree.ElementTree as ET
import zlib

SVG = "{http://www.w3.org/2000/svg}"


def read_png(path):
    """Width, height and a function (x, y) -> (r, g, b) of an 8-bit RGB or RGBA PNG."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit(f"{path}: not a PNG")
    pos, idat = 8, b""
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
    if depth != 8 or colour not in (2, 6) or interlace != 0:
        raise SystemExit(f"{path}: depth {depth}, colour type {colour}, interlace {interlace}: "
                         "only 8-bit RGB or RGBA without interlace is read")
    channels = 3 if colour == 2 else 4
    stride = width * channels
    raw = zlib.decompress(idat)
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            upper_left = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - upper_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - upper_left)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc
                                      else upper_left)) & 255
        rows.append(line)
        previous = line

    def pixel(x, y):
        x, y = int(round(x)), int(round(y))
        return tuple(rows[y][x * channels:x * channels + 3])

    return width, height, pixel


def hex_colour(text):
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


def near(a, b, tolerance=40):
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))


def main():
    svg_path, trace_path, png_path = sys.argv[1:4]
    failures = []
    root = ET.parse(svg_path).getroot()
    width, height, pixel = read_png(png_path)
    want = (round(float(root.get("width"))), round(float(root.get("height"))))
    if (width, height) != want:
        failures.append(f"the screenshot is {width}x{height}, the picture {want[0]}x{want[1]}")

    # Not blank: a good share of the pixels are not white, and some are dark (text, axes).
    inked = dark = 0
    for y in range(0, min(height, want[1]), 3):
        for x in range(0, width, 3):
            r, g, b = pixel(x, y)
            inked += (r, g, b) != (255, 255, 255)
            dark += max(r, g, b) < 80
    if inked < 0.01 * width * height / 9 or dark < 200:
        failures.append(f"the screenshot looks blank ({inked} inked and {dark} dark samples)")

    # The run as the trace tells it, per vessel in the order of creation.
    rows = {}
    with open(trace_path, newline="") as trace:
        for row in csv.DictReader(trace):
            rows.setdefault(row["vessel"], []).append(row)

    lanes_group = root.find(f".//{SVG}g[@id='lanes']")
    if lanes_group is None:
        if len(rows) <= 40:
            failures.append("no lanes in a picture of at most 40 vessels")
    else:
        t0, t1 = float(lanes_group.get("data-time-from")), float(lanes_group.get("data-time-to"))
        x0, x1 = float(lanes_group.get("data-x-from")), float(lanes_group.get("data-x-to"))
        roomy = float(lanes_group.get("data-lane-height")) >= 40

        def x_of(t):
            return x0 + (t - t0) / (t1 - t0) * (x1 - x0)

        lanes = lanes_group.findall(f"{SVG}g[@class='lane']")
        if [lane.get("data-vessel") for lane in lanes] != list(rows):
            failures.append(f"lanes {[lane.get('data-vessel') for lane in lanes]}, "
                            f"but the run's vessels are {list(rows)}")
        for lane in lanes:
            name, y = lane.get("data-vessel"), float(lane.get("data-y"))
            colour = hex_colour(lane.get("data-colour"))
            life = rows.get(name, [])
            checked = 0
            end = x_of(float(life[-1]["time"])) if life else x1
            for before, after in zip(life, life[1:]):
                a, b = x_of(float(before["time"])), x_of(float(after["time"]))
                if after["camera_target"] == "1":
                    seen = [pixel(x, y) for x in range(int(a) + 3, int(b) - 2)]
                    if seen and not (any(max(p) < 80 for p in seen) and
                                     any(near(p, colour) for p in seen)):
                        failures.append(f"{name}: no target hatching over its lane from "
                                        f"{before['time']} s to {after['time']} s")
                    continue
                x = (a + b) / 2
                if after["event"] == "deleted" and end - x < 10:
                    continue  # the deletion's cross
                if abs(x - a) >= 3 and not near(pixel(x, y), colour):
                    failures.append(f"{name}: at {x:.0f},{y:.0f} (between {before['time']} s and "
                                    f"{after['time']} s) the pixel is {pixel(x, y)}, not its "
                                    f"lane colour {colour}")
                checked += 1
            if life and life[-1]["event"] == "deleted" and roomy:
                for x in range(int(end) + 12, int(x1) - 2, 25):
                    if min(pixel(x, y)) < 200:
                        failures.append(f"{name}: at {x},{y:.0f}, after its deletion at "
                                        f"{life[-1]['time']} s, the pixel is {pixel(x, y)}")
                        break
            print(f"  lane {name}: {checked} stretches of its lifetime checked")

    for failure in failures:
        print(f"plot-pixels: {png_path}: {failure}", file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
