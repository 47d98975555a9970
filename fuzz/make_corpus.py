#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into fuzz/corpus/<target>/ (committed; ctest
replays it): valid TGA, BMP and PNG files of several widths and both origins, and the broken files
a reader must refuse or read without harm. Run again after changing it; files it no longer
makes are removed."""

import base64
import json
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def pattern(count, seed):
    """Bytes that differ from pixel to pixel and from file to file."""
    return bytes((i * 37 + seed * 101 + (i >> 8) * 13) & 0xFF for i in range(count))


def tga(width, height, descriptor=0x20, image_type=2, depth=24, ident=b"", cmap=None, pixels=None,
        seed=1, **fields):
    """A TGA header (width and height as 16-bit fields) and its data; cmap = (entries, bits).
    fields overrides header fields by name (id_length, map_type, map_length, map_bits) without
    changing the bytes that follow, to describe more than the file holds."""
    header = {"id_length": len(ident), "map_type": 0, "map_length": 0, "map_bits": 0}
    map_bytes = b""
    if cmap is not None:
        header.update(map_type=1, map_length=cmap[0], map_bits=cmap[1])
        map_bytes = pattern(cmap[0] * ((cmap[1] + 7) // 8), seed + 50)
    header.update(fields)
    packed = struct.pack("<BBBHHBHHHHBB", header["id_length"], header["map_type"], image_type, 0,
                         header["map_length"], header["map_bits"], 0, 0, width & 0xFFFF,
                         height & 0xFFFF, depth, descriptor)
    if pixels is None:
        pixels = pattern(3 * width * height, seed)
    return packed + ident + map_bytes + pixels


def bmp(width, height, bits=24, size_image=None, pixels=None, palette=None, seed=1):
    """A BMP with a 40-byte info header; 8-bit files get a 256-entry colour table."""
    row = (width * bits + 7) // 8 if width > 0 else 0
    stored = (row + 3) // 4 * 4
    if pixels is None:
        pixels = pattern(stored * abs(height) if abs(height) < 1 << 16 else 0, seed)
    if palette is None:
        palette = pattern(1024, seed + 7) if bits == 8 else b""
    if size_image is None:
        size_image = len(pixels)
    offset = 54 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, size_image & 0xFFFFFFFF,
                       3780, 3780, 0, 0)
    return header + info + palette + pixels


def tga_corpus():
    files = {}
    for width in (1, 2, 3, 4, 5, 64, 256):
        height = 3 if width < 64 else 2
        files[f"valid-{width}x{height}-top.tga"] = tga(width, height, 0x20, seed=width)
        files[f"valid-{width}x{height}-bottom.tga"] = tga(width, height, 0x00, seed=width + 1)
    files["valid-3x2-top-right.tga"] = tga(3, 2, 0x30)
    files["valid-3x2-bottom-right.tga"] = tga(3, 2, 0x10)
    files["valid-2x2-id.tga"] = tga(2, 2, ident=b"sheet")
    files["valid-2x2-map24.tga"] = tga(2, 2, cmap=(4, 24))
    files["valid-2x2-map15.tga"] = tga(2, 2, 0x00, cmap=(3, 15))
    files["valid-2x2-id-map32.tga"] = tga(2, 2, ident=b"ID", cmap=(2, 32))
    # A colour map described but absent (map type 0) takes no bytes.
    files["valid-2x2-map-type0.tga"] = tga(2, 2, map_length=5, map_bits=24)
    files["valid-64x1-footer.tga"] = tga(64, 1) + b"TRUEVISION-XFILE.\0"

    files["empty.tga"] = b""
    files["short-17.tga"] = tga(1, 1)[:17]
    files["width-0.tga"] = tga(0, 1, pixels=b"abc")
    files["height-0.tga"] = tga(1, 0, pixels=b"abc")
    files["width-32768.tga"] = tga(0x8000, 1, pixels=b"abc")
    files["height-32768.tga"] = tga(1, 0x8000, pixels=b"abc")
    files["width-ffff.tga"] = tga(0xFFFF, 1, pixels=b"abc")
    files["height-ffff.tga"] = tga(1, 0xFFFF, pixels=b"abc")
    files["overflow-32767x21847.tga"] = tga(32767, 21847, pixels=b"abc")
    files["fits-32767x21846-header-only.tga"] = tga(32767, 21846, pixels=b"")
    files["large-1024x1024-few-bytes.tga"] = tga(1024, 1024, 0x00, pixels=b"abcdefgh")
    files["large-1024x1024-few-bytes-top.tga"] = tga(1024, 1024, 0x20, pixels=b"abcdefgh")
    # Rows past the reader's first quarter megabyte, the file ending in the first one.
    for descriptor, name in ((0x20, "top"), (0x00, "bottom")):
        files[f"partial-256x400-{name}.tga"] = tga(256, 400, descriptor, pixels=pattern(60000, 9))
    files["id-past-end.tga"] = tga(1, 1, id_length=200)
    files["map-past-end.tga"] = tga(1, 1, map_type=1, map_length=1000, map_bits=24)
    for descriptor, name in ((0x20, "top"), (0x00, "bottom"), (0x30, "top-right")):
        files[f"truncated-4x4-{name}.tga"] = tga(4, 4, descriptor)[:18 + 20]
    for image_type in (0, 1, 3, 10):
        files[f"type-{image_type}.tga"] = tga(2, 1, image_type=image_type)
    for depth in (8, 15, 16, 32):
        files[f"depth-{depth}.tga"] = tga(2, 1, depth=depth)
    return files


def bmp_corpus():
    files = {}
    for width in (1, 2, 3, 4, 5, 64):
        files[f"valid-24-{width}x3.bmp"] = bmp(width, 3, seed=width)
    for width in (1, 3, 5, 64):
        files[f"valid-8-{width}x2.bmp"] = bmp(width, 2, 8, seed=width)
    files["valid-24-3x2-size-image-larger.bmp"] = bmp(3, 2, pixels=pattern(40, 3), size_image=40)
    for bits in (1, 4, 16, 32):
        files[f"bits-{bits}.bmp"] = bmp(4, 2, bits)
    files["empty.bmp"] = b""
    files["headers-cut-53.bmp"] = bmp(1, 1)[:53]
    files["colour-table-cut.bmp"] = bmp(1, 1, 8)[:54 + 1000]
    files["size-image-0.bmp"] = bmp(2, 2, size_image=0)
    files["size-image-short.bmp"] = bmp(2, 2, size_image=7)
    files["size-image-absurd.bmp"] = bmp(2, 2, size_image=0xFFFFFFF0)
    files["file-shorter-than-size-image.bmp"] = bmp(2, 2)[:-3]
    files["height-negative.bmp"] = bmp(2, -2, pixels=pattern(16, 2))
    files["height-int32-min.bmp"] = bmp(2, -2**31, pixels=pattern(16, 2), size_image=16)
    files["width-0.bmp"] = bmp(0, 2, pixels=pattern(8, 2), size_image=8)
    files["width-negative.bmp"] = bmp(-4, 2, pixels=pattern(8, 2), size_image=8)
    files["width-overflow.bmp"] = bmp(0x40000000, 1, pixels=pattern(8, 2), size_image=8)
    files["size-overflow-8bit.bmp"] = bmp(0x10000, 0x10000, 8, pixels=pattern(8, 2), size_image=8)
    return files


def draw_corpus():
    """Three bytes of surface (width - 1, height - 1, spare pixels a row), then a BMP."""
    files = {}
    for name, surface, image in (
            ("same-size-24", (2, 2, 0), bmp(3, 3)),
            ("smaller-surface-24", (0, 1, 1), bmp(5, 3)),
            ("larger-surface-24", (9, 6, 3), bmp(5, 3)),
            ("same-size-8", (4, 1, 0), bmp(5, 2, 8)),
            ("larger-surface-8", (70, 3, 2), bmp(64, 2, 8)),
            ("wide-24", (63, 2, 0), bmp(64, 3))):
        files[f"{name}.bin"] = bytes(surface) + image
    return files


def png_chunk(kind, body):
    return (struct.pack(">I", len(body)) + kind + body +
            struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))


def png(width, height, seed=1, depth=8, colour=2, interlace=0, extra=b"", filter_byte=0):
    """A PNG of the pattern: 8-bit RGB unless told; extra chunks go before IDAT."""
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour]
    row_bytes = (width * channels * depth + 7) // 8
    rows = b"".join(bytes([filter_byte]) + pattern(row_bytes, seed + y) for y in range(height))
    if colour == 3:
        extra = png_chunk(b"PLTE", pattern(3 * (1 << depth), seed)) + extra
    return (b"\x89PNG\r\n\x1a\n" +
            png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, interlace))
            + extra + png_chunk(b"IDAT", zlib.compress(rows)) + png_chunk(b"IEND", b""))


def png_corpus():
    """PNGs of the kinds read without conversion, of those left to Qt, and broken ones."""
    rgb = png(67, 5)
    files = {
        "rgb.png": rgb,
        "rgb-paeth.png": png(16, 16, filter_byte=4),
        "grey-1.png": png(13, 3, depth=1, colour=0),
        "grey-8.png": png(9, 9, colour=0),
        "palette-4.png": png(11, 4, depth=4, colour=3),
        "palette-8.png": png(8, 8, colour=3),
        "interlaced.png": png(9, 9, interlace=1),
        "rgba.png": png(5, 5, colour=6),
        "rgb-16.png": png(5, 5, depth=16),
        "trns.png": png(5, 5, colour=0, extra=png_chunk(b"tRNS", b"\0\0")),
        "truncated.png": rgb[:len(rgb) - 30],
        "bad-crc.png": rgb[:40] + bytes([rgb[40] ^ 1]) + rgb[41:],
        "zero-width.png": png(0, 4),
        "huge.png": rgb[:16] + struct.pack(">II", 32768, 1) + rgb[24:],
        "signature-only.png": rgb[:8],
    }
    return files


def layout_corpus():
    """Layout files: as the program writes them, as a person might, and ones to refuse."""
    pixels = base64.b64encode(png(64, 64)).decode()
    cells = [{"at": [0, 0], "from": "grass", "cell": [2, 3]},
             {"at": [1, 0], "from": "grass", "cell": [2, 3], "orient": "flip-h"},
             {"at": [2, 0], "from": "rock", "cell": [0, 1], "orient": "rotate-90"},
             {"at": [3, 0], "blank": True},
             {"at": [0, 1], "pixels": pixels}]
    full = {"patchery": 1, "size": [256, 1024], "sheet": "wall.tga", "background": "old-wall.tga",
            "sources": {"grass": "art/grass.png", "rock": "../shared/rock.tga"}, "cells": cells}
    orients = ["none", "rotate-90", "rotate-180", "rotate-270", "flip-h", "flip-v",
               "flip-h-rotate-90", "flip-v-rotate-90"]
    turned = dict(full, cells=[{"at": [i % 4, i // 4], "from": "grass", "cell": [i, 0],
                                "orient": o} for i, o in enumerate(orients)])
    files = {
        "example.patchery": json.dumps(full, indent=2),
        "orientations.patchery": json.dumps(turned),
        "empty-cells.patchery": '{"patchery": 1, "size": [1, 1], "sheet": "s.tga", "cells": []}',
        "odd-size.patchery": '{"patchery": 1, "size": [100, 70], "sheet": "s.tga", "cells": '
                             '[{"at": [1, 1], "blank": true}]}',
        "newer.patchery": json.dumps(dict(full, patchery=2)),
        "duplicate.patchery": json.dumps(dict(full, cells=cells + cells[:1])),
        "unknown-orient.patchery": json.dumps(dict(full, cells=[dict(cells[1], orient="twist")])),
        "outside.patchery": json.dumps(dict(full, cells=[{"at": [4, 0], "blank": True}])),
        "pixels-8x8.patchery": json.dumps(dict(full, cells=[
            {"at": [0, 0], "pixels": base64.b64encode(png(8, 8)).decode()}])),
        "size-too-large.patchery": json.dumps(dict(full, size=[32767, 32767])),
        "truncated.patchery": json.dumps(full)[:200],
        "not-an-object.patchery": "[1, 2, 3]",
        "deep.patchery": "[" * 2000 + "]" * 2000,
    }
    return {name: text.encode() for name, text in files.items()}


def main():
    corpora = {"tga": tga_corpus(), "bmp": bmp_corpus(), "draw": draw_corpus(),
               "layout": layout_corpus(), "png": png_corpus()}
    total = 0
    for target, files in corpora.items():
        folder = os.path.join(HERE, "corpus", target)
        os.makedirs(folder, exist_ok=True)
        for stale in set(os.listdir(folder)) - set(files):
            os.remove(os.path.join(folder, stale))
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as out:
                out.write(data)
            total += len(data)
        print(f"{target}: {len(files)} files")
    print(f"{total} bytes in all")


if __name__ == "__main__":
    sys.exit(main())
