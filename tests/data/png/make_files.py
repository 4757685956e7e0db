#!/usr/bin/env python3
"""Writes the PNG test files of this folder and prints the expected pixel dump hashes.

The files are written by this script's own small encoder (every colour type and sample depth,
Adam7 interlacing, chunks spoilt on purpose), so they do not depend on any one library's
choices. The expected dumps come from Pillow's reading of each file, turned into what the
editor keeps: 8-bit blue, green, red (16-bit samples by their top 8 bits), and visible where
alpha is 128 or more. Run once when the files change and paste the table into
tests/core/png_test.cpp:

    python3 tests/data/png/make_files.py
"""
import hashlib
import os
import random
import struct
import zlib

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
W, H = 13, 11  # odd sizes: partial bytes at every depth, every Adam7 pass present
CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}
ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2),
         (0, 1, 1, 2)]


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def pack_row(samples, depth):
    """Samples of one row (already flattened over channels) as bytes at the depth."""
    if depth == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    if depth == 8:
        return bytes(samples)
    out, acc, bits = bytearray(), 0, 0
    for s in samples:
        acc = (acc << depth) | s
        bits += depth
        if bits == 8:
            out.append(acc)
            acc, bits = 0, 0
    if bits:
        out.append(acc << (8 - bits))
    return bytes(out)


def scanlines(pixels, width, height, depth, interlaced):
    """Filter type 0 scanlines; pixels[y][x] is a tuple of channel samples."""
    def rows(xs, ys):
        data = b""
        for y in ys:
            flat = [s for x in xs for s in pixels[y][x]]
            data += b"\0" + pack_row(flat, depth)
        return data

    if not interlaced:
        return rows(range(width), range(height))
    data = b""
    for x0, y0, dx, dy in ADAM7:
        xs, ys = range(x0, width, dx), range(y0, height, dy)
        if len(xs) and len(ys):
            data += rows(xs, ys)
    return data


def png(color_type, depth, pixels, interlaced=False, palette=None, trns=None, level=9,
        width=W, height=H):
    ihdr = struct.pack(">IIBBBBB", width, height, depth, color_type, 0, 0, 1 if interlaced else 0)
    out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
    if palette:
        out += chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    if trns is not None:
        out += chunk(b"tRNS", trns)
    if pixels is not None:
        raw = scanlines(pixels, width, height, depth, interlaced)
        out += chunk(b"IDAT", zlib.compress(raw, level))
    return out + chunk(b"IEND", b"")


def picture(channels, maximum, seed):
    rnd = random.Random(seed)
    return [[tuple(rnd.randint(0, maximum) for _ in range(channels)) for _ in range(W)]
            for _ in range(H)]


def expected(path):
    """Pillow's reading as the editor's dump: blue, green, red rows, then the mask bytes."""
    im = Image.open(path)
    im.load()
    mode, info = im.mode, im.info
    colour, mask = bytearray(), bytearray()
    if mode in ("I", "I;16", "I;16B"):
        values = [[im.getpixel((x, y)) >> 8 for x in range(W)] for y in range(H)]
        rgba = [[(v, v, v, 255) for v in row] for row in values]
    else:
        if mode == "L" and "transparency" in info or mode in ("1", "L", "RGB", "P", "LA"):
            im = im.convert("RGBA")
        rgba = [[im.getpixel((x, y)) for x in range(W)] for y in range(H)]
    for row in rgba:
        for r, g, b, a in row:
            colour += bytes((b, g, r))
            mask.append(1 if a >= 128 else 0)
    return hashlib.sha256(bytes(colour + mask)).hexdigest()


def main():
    files = {}
    for depth in (1, 2, 4, 8, 16):
        files["grey%d.png" % depth] = png(0, depth, picture(1, (1 << depth) - 1, depth))
    files["grey8-trns.png"] = png(0, 8, picture(1, 7, 30), trns=struct.pack(">H", 3))
    files["grey-alpha8.png"] = png(4, 8, picture(2, 255, 40))
    files["grey-alpha16.png"] = png(4, 16, picture(2, 65535, 41))
    colours = [(random.Random(50 + i).randint(0, 255), (i * 37) & 255, (i * 91) & 255)
               for i in range(256)]
    files["palette4.png"] = png(3, 4, picture(1, 15, 51), palette=colours[:16])
    files["palette8-trns.png"] = png(3, 8, picture(1, 199, 52), palette=colours[:200],
                                     trns=bytes((i * 29) & 255 for i in range(120)))
    files["rgb8.png"] = png(2, 8, picture(3, 255, 60))
    files["rgb8-trns.png"] = png(2, 8, picture(3, 1, 61), trns=struct.pack(">HHH", 1, 0, 1))
    files["rgb16.png"] = png(2, 16, picture(3, 65535, 62))
    files["rgba8.png"] = png(6, 8, picture(4, 255, 63))
    files["rgba16.png"] = png(6, 16, picture(4, 65535, 64))
    files["rgb8-interlaced.png"] = png(2, 8, picture(3, 255, 70), interlaced=True)
    files["rgba8-interlaced.png"] = png(6, 8, picture(4, 255, 71), interlaced=True)
    files["palette2-interlaced.png"] = png(3, 2, picture(1, 3, 72), interlaced=True,
                                           palette=colours[:4], trns=b"\x00\xff")
    # Damaged: stored (uncompressed) rows, so a cut keeps the rows before it.
    whole = png(2, 8, picture(3, 255, 80), level=0)
    files["stored-rgb8.png"] = whole
    crc = bytearray(png(2, 8, picture(3, 255, 81)))
    iend = crc.rfind(b"IEND")
    crc[iend - 5] ^= 0x40  # the IDAT CRC, just before IEND's length and type
    files["bad-crc.png"] = bytes(crc)
    files["zero-width.png"] = png(2, 8, None, width=0)
    files["over-limit.png"] = png(2, 8, None, width=100000, height=100000)

    for name, data in sorted(files.items()):
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)
    for name in sorted(files):
        if name in ("bad-crc.png", "zero-width.png", "over-limit.png"):
            continue
        print('    {"%s", "%s"},' % (name, expected(os.path.join(HERE, name))))


if __name__ == "__main__":
    main()
