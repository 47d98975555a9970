#!/usr/bin/env python3
"""Image helpers for the real-window tests: writes the files the tests open, reads screenshots
(PPM), TGA and PNG files, and says whether what is on screen or on disk is what the test
expects. Expectations are computed here from the test's own files, never by the program.

Commands (exit 0 when the check holds, 1 with a message when it does not):
  pattern OUT W H SEED [--bottom-left] [--bits 32] [--rle]   a TGA whose every pixel differs
  png OUT W H SEED                                           the same pattern as an RGB PNG
  texture OUT                                                a 256x1024 sheet of stone, brick,
                                                             grass... tiles (for the screenshot)
  colour SHOT X Y                                            prints the pixel as RRGGBB
  region SHOT X Y W H (--tga F IX IY | --tga-mirrored F IX IY | --png F IX IY |
                       --tga-zoomed F IX IY Z | --tga-reduced F IX IY N | --colour RRGGBB)
                                                             zoomed: each pixel a Z x Z block
                                                             reduced: each pixel of N x N
  sheet SAVED W H BACK [--tga F SX SY TX TY]...
                                                             the saved TGA, byte for byte
  samepng PNG (--tga F SX SY W H | --png F)                  a clipboard PNG's pixels
"""

import struct
import sys
import zlib

# ----------------------------------------------------------------------------- images
# An image is (width, height, rows) with rows a list of bytearrays of R, G, B triples.


def pattern_pixel(x, y, seed):
    """A pattern in which no two pixels of one image (up to 4096 x 4096) are alike."""
    return ((seed * 40 + (x >> 8) * 16 + (y >> 8)) & 255, y & 255, x & 255)


def pattern_image(w, h, seed):
    rows = []
    for y in range(h):
        row = bytearray(3 * w)
        row[1::3] = bytes([y & 255]) * w
        row[2::3] = bytes(x & 255 for x in range(w))
        row[0::3] = bytes(pattern_pixel(x, y, seed)[0] for x in range(w))
        rows.append(row)
    return (w, h, rows)


def write_tga(path, image, bottom_left=False, bits=24, rle=False):
    w, h, rows = image
    image_type = 10 if rle else 2
    descriptor = (0 if bottom_left else 0x20) | (8 if bits == 32 else 0)
    header = bytes([0, 0, image_type, 0, 0, 0, 0, 0, 0, 0, 0, 0])
    header += struct.pack("<HH", w, h) + bytes([bits, descriptor])
    order = range(h - 1, -1, -1) if bottom_left else range(h)
    body = bytearray()
    for y in order:
        row = rows[y]
        for x in range(w):
            r, g, b = row[3 * x : 3 * x + 3]
            pixel = bytes([b, g, r, 255]) if bits == 32 else bytes([b, g, r])
            # Run-length packets of one raw pixel each: valid, and refused as type 10.
            body += (b"\x00" + pixel) if rle else pixel
    with open(path, "wb") as f:
        f.write(header + body)


def read_tga(path):
    """A 24-bit uncompressed TGA, either origin."""
    data = open(path, "rb").read()
    id_len, cmap_type, image_type = data[0], data[1], data[2]
    w, h = struct.unpack("<HH", data[12:16])
    bits, descriptor = data[16], data[17]
    if image_type != 2 or bits != 24 or cmap_type != 0:
        raise ValueError(f"{path}: not an uncompressed 24-bit TGA")
    at = 18 + id_len
    stored = []
    for _ in range(h):
        raw = data[at : at + 3 * w]
        row = bytearray(3 * w)
        row[0::3], row[1::3], row[2::3] = raw[2::3], raw[1::3], raw[0::3]
        stored.append(row)
        at += 3 * w
    rows = stored if descriptor & 0x20 else stored[::-1]
    return (w, h, rows)


def png_chunk(kind, payload):
    return (
        struct.pack(">I", len(payload))
        + kind
        + payload
        + struct.pack(">I", zlib.crc32(kind + payload) & 0xFFFFFFFF)
    )


def write_png(path, image):
    w, h, rows = image
    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    ihdr = struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(png_chunk(b"IHDR", ihdr))
        f.write(png_chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(png_chunk(b"IEND", b""))


def read_png(path):
    """8-bit, non-interlaced grey, RGB, palette, grey+alpha or RGBA PNG, as RGB."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(f"{path}: not a PNG")
    at, idat, palette = 8, b"", b""
    while at < len(data):
        (length,) = struct.unpack(">I", data[at : at + 4])
        kind, payload = data[at + 4 : at + 8], data[at + 8 : at + 8 + length]
        at += 12 + length
        if kind == b"IHDR":
            w, h, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", payload)
        elif kind == b"PLTE":
            palette = payload
        elif kind == b"IDAT":
            idat += payload
    if depth != 8 or interlace != 0:
        raise ValueError(f"{path}: depth {depth}, interlace {interlace} not handled")
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[ctype]
    stride = w * channels
    raw = zlib.decompress(idat)
    rows, prev = [], bytearray(stride)
    for y in range(h):
        ftype = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1 : (y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = prev[i]
            c = prev[i - channels] if i >= channels else 0
            if ftype == 1:
                line[i] = (line[i] + a) & 255
            elif ftype == 2:
                line[i] = (line[i] + b) & 255
            elif ftype == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif ftype == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 255
        prev = line
        rgb = bytearray()
        for x in range(w):
            px = line[x * channels : (x + 1) * channels]
            if ctype == 0 or ctype == 4:
                rgb += bytes([px[0]] * 3)
            elif ctype == 3:
                rgb += palette[3 * px[0] : 3 * px[0] + 3]
            else:
                rgb += px[:3]
        rows.append(rgb)
    return (w, h, rows)


def read_ppm(path):
    """A binary PPM (P6, maxval 255), as written by ImageMagick's import."""
    data = open(path, "rb").read()
    fields, at = [], 0
    while len(fields) < 4:
        while data[at : at + 1].isspace():
            at += 1
        if data[at : at + 1] == b"#":
            at = data.index(b"\n", at) + 1
            continue
        end = at
        while not data[end : end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    at += 1
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError(f"{path}: not an 8-bit binary PPM")
    w, h = int(fields[1]), int(fields[2])
    rows = [bytearray(data[at + y * 3 * w : at + (y + 1) * 3 * w]) for y in range(h)]
    return (w, h, rows)


def pixel(image, x, y):
    row = image[2][y]
    return tuple(row[3 * x : 3 * x + 3])


def hexcolour(rgb):
    return "%02x%02x%02x" % tuple(rgb)


def parse_colour(text):
    return (int(text[0:2], 16), int(text[2:4], 16), int(text[4:6], 16))


# ----------------------------------------------------------------------------- texture


def texture_image():
    """A sheet of 16 rows of four 64x64 tiles: stone, brick, grass, water, sand, wood..."""
    import math
    import random

    rnd = random.Random(1998)
    kinds = ["brick", "stone", "grass", "water", "sand", "wood", "moss", "lava"]
    w, h = 256, 1024
    rows = [bytearray(3 * w) for _ in range(h)]

    def noise(scale):
        return rnd.randint(-scale, scale)

    def clamp(v):
        return max(0, min(255, int(v)))

    for cell in range((w // 64) * (h // 64)):
        cx, cy = (cell % 4) * 64, (cell // 4) * 64
        kind = kinds[(cell // 4 + cell % 4) % len(kinds)]
        tint = rnd.randint(-18, 18)
        for y in range(64):
            row = rows[cy + y]
            for x in range(64):
                if kind == "brick":
                    course = y // 16
                    offset = 16 if course % 2 else 0
                    mortar = y % 16 in (0, 15) or (x + offset) % 32 in (0, 31)
                    base = (190, 190, 180) if mortar else (150 + tint, 62, 44)
                    n = noise(10)
                elif kind == "stone":
                    slab = ((x // 21) * 7 + (y // 21) * 3) % 5
                    edge = x % 21 == 0 or y % 21 == 0
                    g = 95 + slab * 12 + tint
                    base = (50, 50, 55) if edge else (g, g, g + 6)
                    n = noise(14)
                elif kind == "grass":
                    blade = (x * 7 + y * 3) % 11 == 0
                    base = (60, 150 + tint, 40) if blade else (48, 118 + tint, 36)
                    n = noise(18)
                elif kind == "water":
                    wave = ((x + 2 * ((y // 6) % 4)) // 8) % 2
                    base = (30, 90 + 20 * wave, 170 + tint)
                    n = noise(6)
                elif kind == "sand":
                    base = (214 + tint // 2, 190, 128)
                    n = noise(16)
                elif kind == "wood":
                    grain = (x + (y // 9) * 3) % 16 < 2
                    plank = y % 32 == 0
                    base = (80, 50, 26) if plank else ((128, 84, 44) if grain else (156, 106, 58))
                    n = noise(8)
                elif kind == "moss":
                    patch = math.sin(x * 0.19 + cell) + math.sin(y * 0.23 + 2 * cell) > 0.4
                    edge = x % 32 == 0 or y % 32 == 0
                    base = (
                        (60, 60, 58) if edge else ((72, 128, 58) if patch else (112, 112, 104))
                    )
                    n = noise(12)
                else:  # lava
                    vein = abs(math.sin(x * 0.16 + 2.2 * math.sin(y * 0.11 + cell)))
                    glow = max(0.0, 1.0 - vein / 0.3)
                    base = (70 + 185 * glow, 24 + 150 * glow * glow + tint / 2, 20 + 30 * glow)
                    n = noise(8)
                r, g, b = (clamp(c + n) for c in base)
                row[3 * x + 3 * cx : 3 * x + 3 * cx + 3] = bytes([r, g, b])
    return (w, h, rows)


# ----------------------------------------------------------------------------- checks


def load(kind, path):
    return {"tga": read_tga, "png": read_png}[kind](path)


def compare_region(shot, x, y, w, h, expected_row):
    """expected_row(j) gives the expected R, G, B bytes of screen row y + j from column x."""
    if x < 0 or y < 0 or x + w > shot[0] or y + h > shot[1]:
        return f"region {w}x{h} at ({x},{y}) runs off the {shot[0]}x{shot[1]} screen"
    bad, first = 0, None
    for j in range(h):
        want = bytes(expected_row(j))
        got = bytes(shot[2][y + j][3 * x : 3 * (x + w)])
        if want == got:
            continue
        for i in range(w):
            if want[3 * i : 3 * i + 3] != got[3 * i : 3 * i + 3]:
                bad += 1
                if first is None:
                    first = (i, j, want[3 * i : 3 * i + 3], got[3 * i : 3 * i + 3])
    if bad:
        i, j, want, got = first
        return (
            f"{bad} of {w * h} pixels differ in the {w}x{h} region at screen ({x},{y}); "
            f"first at +({i},{j}): expected {hexcolour(want)}, found {hexcolour(got)}"
        )
    return None


def cmd_region(args):
    shot = read_ppm(args[0])
    x, y, w, h = (int(v) for v in args[1:5])
    how = args[5]
    if how in ("--tga", "--png", "--tga-mirrored"):
        image = load("png" if how == "--png" else "tga", args[6])
        ix, iy = int(args[7]), int(args[8])
        if ix + w > image[0] or iy + h > image[1]:
            return f"region {w}x{h} from ({ix},{iy}) runs past the {image[0]}x{image[1]} image"
        if how == "--tga-mirrored":  # left for right

            def mirrored(j):
                row = image[2][iy + j][3 * ix : 3 * (ix + w)]
                return b"".join(row[3 * i : 3 * i + 3] for i in reversed(range(w)))

            return compare_region(shot, x, y, w, h, mirrored)
        return compare_region(shot, x, y, w, h, lambda j: image[2][iy + j][3 * ix : 3 * (ix + w)])
    if how == "--tga-zoomed":  # nearest neighbour, Z screen pixels to an image pixel
        image = load("tga", args[6])
        ix, iy, z = int(args[7]), int(args[8]), int(args[9])
        if ix + -(-w // z) > image[0] or iy + -(-h // z) > image[1]:
            return f"region {w}x{h} at {z}x from ({ix},{iy}) runs past the image"

        def zoomed(j):
            row = image[2][iy + j // z]
            return b"".join(row[3 * (ix + i // z) : 3 * (ix + i // z) + 3] for i in range(w))

        return compare_region(shot, x, y, w, h, zoomed)
    if how == "--tga-reduced":  # each screen pixel one of the N x N (N + 1 at the edge) it shows
        image = load("tga", args[6])
        ix, iy, n = int(args[7]), int(args[8]), int(args[9])
        if ix + w * n + 1 > image[0] or iy + h * n + 1 > image[1]:
            return f"region {w}x{h} reduced {n}x from ({ix},{iy}) runs past the image"

        def reduced(j):
            got = shot[2][y + j][3 * x : 3 * (x + w)]
            row = b""
            for i in range(w):
                square = [
                    bytes(image[2][iy + n * j + b][3 * (ix + n * i + a) : 3 * (ix + n * i + a) + 3])
                    for b in range(n + 1)
                    for a in range(n + 1)
                ]
                seen = bytes(got[3 * i : 3 * i + 3])
                row += seen if seen in square else square[0]
            return row

        return compare_region(shot, x, y, w, h, reduced)
    if how == "--colour":
        want = bytes(parse_colour(args[6])) * w
        return compare_region(shot, x, y, w, h, lambda j: want)
    return f"unknown region check {how}"


def cmd_sheet(args):
    """The saved file must be exactly the TGA of a W x H sheet in the back colour with the
    listed 64x64 stamps, written top row first as the program writes it."""
    saved_path = args[0]
    w, h = int(args[1]), int(args[2])
    back = parse_colour(args[3])
    canvas = [bytearray(bytes(back) * w) for _ in range(h)]
    ops, at = [], 4
    while at < len(args):
        if args[at] == "--tga":
            ops.append((read_tga(args[at + 1]), *(int(v) for v in args[at + 2 : at + 6])))
            at += 6
        else:
            return f"unknown stamp {args[at]}"
    for image, sx, sy, tx, ty in ops:
        for j in range(64):
            if not (0 <= ty + j < h):
                continue
            for i in range(64):
                if 0 <= tx + i < w:
                    canvas[ty + j][3 * (tx + i) : 3 * (tx + i) + 3] = bytes(
                        pixel(image, sx + i, sy + j)
                    )
    expected = bytearray([0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0])
    expected += struct.pack("<HH", w, h) + bytes([24, 0x20])
    for row in canvas:
        stored = bytearray(len(row))
        stored[0::3], stored[1::3], stored[2::3] = row[2::3], row[1::3], row[0::3]
        expected += stored
    saved = open(saved_path, "rb").read()
    if saved == expected:
        return None
    if len(saved) != len(expected):
        return f"{saved_path}: {len(saved)} bytes, expected {len(expected)} ({w}x{h})"
    first = next(i for i in range(len(saved)) if saved[i] != expected[i])
    if first < 18:
        return f"{saved_path}: header byte {first} is {saved[first]}, expected {expected[first]}"
    px = (first - 18) // 3
    return (
        f"{saved_path}: first difference at byte {first}, pixel ({px % w},{px // w}): "
        f"found {saved[first]}, expected {expected[first]}"
    )


def cmd_samepng(args):
    got = read_png(args[0])
    if args[1] == "--tga":
        image = read_tga(args[2])
        sx, sy, w, h = (int(v) for v in args[3:7])
    else:
        image = read_png(args[2])
        sx, sy, w, h = 0, 0, image[0], image[1]
    if (got[0], got[1]) != (w, h):
        return f"{args[0]} is {got[0]}x{got[1]}, expected {w}x{h}"
    for j in range(h):
        for i in range(w):
            if pixel(got, i, j) != pixel(image, sx + i, sy + j):
                return (
                    f"{args[0]} pixel ({i},{j}) is {hexcolour(pixel(got, i, j))}, "
                    f"expected {hexcolour(pixel(image, sx + i, sy + j))}"
                )
    return None


def main(argv):
    cmd, args = argv[1], argv[2:]
    if cmd == "pattern":
        out, w, h, seed = args[0], int(args[1]), int(args[2]), int(args[3])
        bits = int(args[args.index("--bits") + 1]) if "--bits" in args else 24
        write_tga(out, pattern_image(w, h, seed), "--bottom-left" in args, bits, "--rle" in args)
        return 0
    if cmd == "png":
        write_png(args[0], pattern_image(int(args[1]), int(args[2]), int(args[3])))
        return 0
    if cmd == "texture":
        write_tga(args[0], texture_image())
        return 0
    if cmd == "colour":
        print(hexcolour(pixel(read_ppm(args[0]), int(args[1]), int(args[2]))))
        return 0
    checks = {"region": cmd_region, "sheet": cmd_sheet, "samepng": cmd_samepng}
    if cmd not in checks:
        print(f"xvimg: unknown command {cmd}", file=sys.stderr)
        return 2
    problem = checks[cmd](args)
    if problem:
        print(problem, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
