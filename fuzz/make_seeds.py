#!/usr/bin/env python3
"""Writes a few small BMPs of every layout into the folder given, to start fuzz_bmp from."""
import os
import struct
import sys


def bmp(w, h, bits, comp=0, colours=0, pixels=b"", info=40, masks=None, palette=None, offset=None):
    if info == 12:
        head = struct.pack("<IhhHH", 12, w, h, 1, bits)
    else:
        head = struct.pack("<IiiHHIIiiII", info, w, h, 1, bits, comp, len(pixels), 2835, 2835, colours, 0)
        if info >= 108:
            head += struct.pack("<4I", *masks)
        head += bytes(info - len(head))
    after = struct.pack("<3I", *masks[:3]) if comp == 3 and info < 108 else b""
    if palette is None:
        n = colours or (1 << bits if bits <= 8 else 0)
        palette = b"".join(bytes([i * 37 % 251, i * 91 % 241, 255 - i] + ([] if info == 12 else [0])) for i in range(n))
    start = 14 + len(head) + len(after) + len(palette) if offset is None else offset
    return b"BM" + struct.pack("<IHHI", start + len(pixels), 0, 0, start) + head + after + palette + pixels


def rows(w, h, bits):
    return bytes(i * 7 % 256 for i in range((w * bits + 31) // 32 * 4 * h))


seeds = {
    "1bit": bmp(9, 4, 1, pixels=rows(9, 4, 1)),
    "4bit": bmp(9, 4, 4, pixels=rows(9, 4, 4)),
    "8bit": bmp(9, 4, 8, colours=252, pixels=rows(9, 4, 8)),
    "8bit-offset-in-palette": bmp(9, 4, 8, colours=252, pixels=rows(9, 4, 8), offset=54),
    "16bit": bmp(9, 4, 16, pixels=rows(9, 4, 16)),
    "16bit-565": bmp(9, 4, 16, comp=3, masks=(0xF800, 0x7E0, 0x1F), pixels=rows(9, 4, 16)),
    "24bit": bmp(9, 4, 24, pixels=rows(9, 4, 24)),
    "32bit-11-11-10": bmp(9, 4, 32, comp=3, masks=(0xFFE00000, 0x1FFC00, 0x3FF), pixels=rows(9, 4, 32)),
    "32bit-v4-top-down": bmp(9, -4, 32, comp=3, info=108, masks=(0xFF00, 0xFF0000, 0xFF000000, 0xFF), pixels=rows(9, 4, 32)),
    "os2-short-palette": bmp(9, 4, 8, info=12, pixels=rows(9, 4, 8), palette=bytes(48)),
    "rle8": bmp(8, 4, 8, comp=1, colours=4, pixels=bytes.fromhex("0301 0000 0002 0201 0202 0005 0102 0301 0200 0000 0001")),
    "rle4": bmp(6, 2, 4, comp=2, colours=4, pixels=bytes.fromhex("0312 0000 0005 1231 2000 0000 0001")),
}
os.makedirs(sys.argv[1], exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(sys.argv[1], name + ".bmp"), "wb") as f:
        f.write(data)
