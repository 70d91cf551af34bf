#!/usr/bin/env python3
# Compares two captures of the show frame by frame (the same --fps, --size and
# --start): the mean and largest difference of a colour channel per frame and
# overall, on the 0..255 scale, and optionally a contact sheet of chosen frames
# (before above, after below, their difference eight times brighter beneath).
# Usage: frame_compare.py BEFORE_DIR AFTER_DIR [--sheet OUT.png] [--frames 2,10,...]
import argparse, os, struct, sys, zlib


def read_png(path):
    """8-bit RGB or RGBA PNG, not interlaced (what --capture writes) -> (w, h, RGB bytes)."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG file")
    pos, idat, header = 8, [], None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat.append(body)
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        sys.exit(f"{path}: only 8-bit RGB or RGBA PNG files without interlacing are read")
    bpp = 3 if colour == 2 else 4
    raw = zlib.decompress(b"".join(idat))
    stride = width * bpp
    previous = bytearray(stride)
    rows = []
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        if kind == 1:
            for i in range(bpp, stride):
                line[i] = (line[i] + line[i - bpp]) & 255
        elif kind == 2:
            line = bytearray((a + b) & 255 for a, b in zip(line, previous))
        elif kind == 3:
            for i in range(stride):
                left = line[i - bpp] if i >= bpp else 0
                line[i] = (line[i] + ((left + previous[i]) >> 1)) & 255
        elif kind == 4:
            for i in range(stride):
                a = line[i - bpp] if i >= bpp else 0
                b = previous[i]
                c = previous[i - bpp] if i >= bpp else 0
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line))
        previous = line
    pixels = b"".join(rows)
    if bpp == 4:
        pixels = bytes(b for i, b in enumerate(pixels) if i % 4 != 3)
    return width, height, pixels


def write_png(path, width, height, rgb):
    rows = b"".join(b"\x00" + rgb[y * width * 3:(y + 1) * width * 3] for y in range(height))
    chunk = lambda kind, body: struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                  chunk(b"IDAT", zlib.compress(rows, 6)) + chunk(b"IEND", b""))


def shrink(width, height, rgb, step):
    """Every step-th pixel of every step-th row: a thumbnail."""
    out = bytearray()
    for y in range(0, height - height % step, step):
        row = rgb[y * width * 3:(y + 1) * width * 3]
        for x in range(0, width - width % step, step):
            out += row[x * 3:x * 3 + 3]
    return width // step, height // step, bytes(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("before")
    parser.add_argument("after")
    parser.add_argument("--sheet", help="write a contact sheet of --frames to this PNG file")
    parser.add_argument("--frames", help="comma-separated frame numbers for the sheet (default: every tenth)")
    parser.add_argument("--columns", type=int, default=6)
    parser.add_argument("--tile", type=int, default=320, help="tile width in pixels")
    args = parser.parse_args()

    names = sorted(n for n in os.listdir(args.before) if n.endswith(".png") and
                   os.path.exists(os.path.join(args.after, n)))
    if not names:
        sys.exit("no frame is in both folders")
    chosen = [f"{int(f):06d}.png" for f in args.frames.split(",")] if args.frames else names[::10]
    total, count, largest, tiles = 0, 0, 0, {}
    for name in names:
        if not args.sheet and name not in chosen and args.frames:
            continue
        w, h, a = read_png(os.path.join(args.before, name))
        w2, h2, b = read_png(os.path.join(args.after, name))
        if (w, h) != (w2, h2):
            sys.exit(f"{name}: {w}x{h} before, {w2}x{h2} after")
        diff = [abs(x - y) for x, y in zip(a, b)]
        frame_sum, frame_max = sum(diff), max(diff)
        over = sum(1 for i in range(0, len(diff), 3) if max(diff[i:i + 3]) > 8) / (w * h)
        total, count, largest = total + frame_sum, count + len(diff), max(largest, frame_max)
        print(f"{name}  mean {frame_sum / len(diff):6.3f}  max {frame_max:3d}  pixels off by more than 8: {over * 100:5.2f} %")
        if args.sheet and name in chosen:
            step = max(1, w // args.tile)
            amplified = bytes(min(255, d * 8) for d in diff)
            tiles[name] = [shrink(w, h, image, step) for image in (a, b, amplified)]
    print(f"all {len(names)} frames  mean {total / count:.3f}  max {largest} (0..255 per channel)")
    if args.sheet and tiles:
        tw, th = next(iter(tiles.values()))[0][:2]
        order = [n for n in chosen if n in tiles]
        gap, columns = 4, min(args.columns, len(order))
        bands = (len(order) + columns - 1) // columns
        width, height = columns * (tw + gap) + gap, bands * (3 * th + 2 * gap) + (bands + 1) * gap * 2
        sheet = bytearray(b"\x30" * (width * height * 3))
        for index, name in enumerate(order):
            column, band = index % columns, index // columns
            x0 = gap + column * (tw + gap)
            for row, (_, _, image) in enumerate(tiles[name]):
                y0 = gap * 2 + band * (3 * th + 4 * gap) + row * (th + gap)
                for y in range(th):
                    start = ((y0 + y) * width + x0) * 3
                    sheet[start:start + tw * 3] = image[y * tw * 3:(y + 1) * tw * 3]
        write_png(args.sheet, width, height, bytes(sheet))
        print(f"sheet {args.sheet}: {', '.join(n[:-4] for n in order)} (rows: before, after, difference x 8)")


if __name__ == "__main__":
    main()
