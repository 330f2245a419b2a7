#!/usr/bin/python3
"""Reads a screen dump written by `xwd -root -silent` and, with the Python library alone:

    screenshot.py png DUMP OUT.png [X Y W H]   writes the dump (or that rectangle of it) as an RGB PNG
    screenshot.py find DUMP FRAME.bgra         prints `X Y` where the 640x480 frame shows at 1:1, pixel
                                               for pixel (the fourth byte aside); status 1 if nowhere
    screenshot.py stretched DUMP FRAME.bgra X Y W H
                                               prints how many of the frame's pixels show at the centre
                                               of their block in the rectangle, stretched to W x H, as
                                               `EQUAL of TOTAL`
"""
import struct
import sys
import zlib

FRAME_WIDTH, FRAME_HEIGHT = 640, 480


class Dump:
    """A 24-bit TrueColor dump, least significant byte first, as rows of blue, green, red bytes."""

    def __init__(self, path):
        with open(path, "rb") as file:
            data = file.read()
        fields = struct.unpack(">25I", data[:100])
        header_size, version, pixmap_format, depth, width, height = fields[:6]
        byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
        red_mask, green_mask, blue_mask, colours = fields[14], fields[15], fields[16], fields[19]
        pixel_bytes = bits_per_pixel // 8  # rows may be padded beyond width x pixel_bytes
        if version != 7 or pixmap_format != 2 or depth != 24 or bits_per_pixel not in (24, 32) or byte_order != 0:
            raise SystemExit(f"{path}: not a 24-bit screen dump in the layout expected")
        if (red_mask, green_mask, blue_mask) != (0xFF0000, 0xFF00, 0xFF):
            raise SystemExit(f"{path}: colour masks {red_mask:x} {green_mask:x} {blue_mask:x} not handled")
        start = header_size + colours * 12
        self.width, self.height = width, height
        self.rows = []
        for y in range(height):
            row = bytearray(data[start + y * bytes_per_line : start + y * bytes_per_line + width * pixel_bytes])
            if pixel_bytes == 4:
                del row[3::4]
            self.rows.append(bytes(row))

    def pixel(self, x, y):
        return self.rows[y][x * 3 : x * 3 + 3]


def read_frame(path):
    """The frame's rows as blue, green, red bytes."""
    with open(path, "rb") as file:
        data = bytearray(file.read())
    if len(data) != FRAME_WIDTH * FRAME_HEIGHT * 4:
        raise SystemExit(f"{path}: not a 640x480 frame of 4-byte pixels")
    del data[3::4]
    stride = FRAME_WIDTH * 3
    return [bytes(data[y * stride : (y + 1) * stride]) for y in range(FRAME_HEIGHT)]


def write_png(path, rows, width):
    """Writes blue, green, red rows as an 8-bit RGB PNG."""
    raw = bytearray()
    for row in rows:
        rgb = bytearray(len(row))
        rgb[0::3], rgb[1::3], rgb[2::3] = row[2::3], row[1::3], row[0::3]
        raw += b"\0" + rgb

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    header = struct.pack(">IIBBBBB", width, len(rows), 8, 2, 0, 0, 0)
    with open(path, "wb") as file:
        file.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 6)))
        file.write(chunk(b"IEND", b""))


def find_frame(dump, frame):
    """The top-left corner where every row of the frame shows, or None."""
    first = frame[0]
    for y in range(dump.height - FRAME_HEIGHT + 1):
        x = dump.rows[y].find(first)
        while x >= 0:
            if x % 3 == 0 and all(
                dump.rows[y + k][x : x + len(first)] == frame[k] for k in range(1, FRAME_HEIGHT)
            ):
                return x // 3, y
            x = dump.rows[y].find(first, x + 1)
    return None


def count_stretched(dump, frame, left, top, width, height):
    """How many frame pixels equal the dump's pixel at the centre of their stretched block."""
    equal = 0
    for sy in range(FRAME_HEIGHT):
        y = top + (2 * sy + 1) * height // (2 * FRAME_HEIGHT)
        for sx in range(FRAME_WIDTH):
            x = left + (2 * sx + 1) * width // (2 * FRAME_WIDTH)
            equal += dump.pixel(x, y) == frame[sy][sx * 3 : sx * 3 + 3]
    return equal


def main(arguments):
    command = arguments[0] if arguments else ""
    if command == "png" and len(arguments) in (3, 7):
        dump = Dump(arguments[1])
        x, y, width, height = map(int, arguments[3:]) if len(arguments) == 7 else (0, 0, dump.width, dump.height)
        write_png(arguments[2], [row[x * 3 : (x + width) * 3] for row in dump.rows[y : y + height]], width)
        return 0
    if command == "find" and len(arguments) == 3:
        where = find_frame(Dump(arguments[1]), read_frame(arguments[2]))
        if where is None:
            print("nowhere")
            return 1
        print(*where)
        return 0
    if command == "stretched" and len(arguments) == 7:
        equal = count_stretched(Dump(arguments[1]), read_frame(arguments[2]), *map(int, arguments[3:]))
        print(equal, "of", FRAME_WIDTH * FRAME_HEIGHT)
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
