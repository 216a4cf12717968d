#!/usr/bin/env python3
"""Packs square PNG images into one .ico file: images up to 48 pixels as
32-bit bitmaps with alpha, 256 pixels as the PNG itself."""
import struct
import subprocess
import sys


def rgba_pixels(path, size):
    raw = subprocess.run(["convert", path, "-depth", "8", "rgba:-"], check=True, capture_output=True).stdout
    if len(raw) != size * size * 4:
        raise SystemExit(f"{path}: expected {size}x{size} RGBA")
    return raw


def bitmap_entry(path, size):
    rgba = rgba_pixels(path, size)
    rows = []
    for y in reversed(range(size)):  # bottom-up
        row = bytearray()
        for x in range(size):
            r, g, b, a = rgba[(y * size + x) * 4:(y * size + x) * 4 + 4]
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    mask_stride = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, size * size * 4 + mask_stride * size, 0, 0, 0, 0)
    return header + b"".join(rows) + bytes(mask_stride * size)


def main():
    target, sources = sys.argv[1], sys.argv[2:]
    images = []
    for path in sources:
        size = int(path.rsplit("-", 1)[1].split(".")[0])
        data = open(path, "rb").read() if size >= 256 else bitmap_entry(path, size)
        images.append((size, data))
    offset = 6 + 16 * len(images)
    directory, blobs = b"", b""
    for size, data in images:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
        blobs += data
    with open(target, "wb") as out:
        out.write(struct.pack("<HHH", 0, 1, len(images)) + directory + blobs)


main()
