"""Writing and reading the 8-bit RGBA PNG pictures the end-to-end suite exchanges with the program
(zlib and struct only)."""

import struct
import zlib


class RgbaImage:
    """Pixels as rows of (r, g, b, a) tuples, top row first, straight alpha."""

    def __init__(self, width, height, rows):
        self.width = width
        self.height = height
        self.rows = rows


def glass_image(width, height):
    """A tile with every kind of alpha: clear, faint, half, strong and opaque, in a pattern no
    shifted tiling matches."""
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            alpha = (0, 40, 128, 200, 255)[(x * 3 + y * 7) % 5]
            row.append(((x * 37 + y * 11) % 256, (x * 5 + y * 41 + 60) % 256, (x * 19 ^ y * 23) % 256, alpha))
        rows.append(row)
    return RgbaImage(width, height, rows)


def _chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def encode_png(image):
    raw = bytearray()
    for row in image.rows:
        raw.append(0)  # no filter
        for pixel in row:
            raw += bytes(pixel)
    header = struct.pack(">IIBBBBB", image.width, image.height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", header) + _chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + _chunk(b"IEND", b""))


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def decode_png(data):
    """Reads a non-interlaced 8-bit PNG of colour type 2 (RGB) or 6 (RGBA); RGB is made opaque."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("no PNG signature")
    pos, idat, header = 8, bytearray(), None
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
        pos += 12 + length
    if header is None:
        raise ValueError("no IHDR chunk")
    width, height, depth, colour, _compression, _filter, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace != 0:
        raise ValueError("unsupported PNG: depth %d, colour type %d, interlace %d" % (depth, colour, interlace))
    channels = 4 if colour == 6 else 3
    stride = width * channels
    raw = zlib.decompress(bytes(idat))
    previous = bytearray(stride)
    rows = []
    for y in range(height):
        start = y * (stride + 1)
        kind = raw[start]
        line = bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            upper_left = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                line[i] = (line[i] + _paeth(left, up, upper_left)) & 0xFF
            elif kind != 0:
                raise ValueError("unknown filter %d in row %d" % (kind, y))
        if channels == 4:
            rows.append(list(zip(line[0::4], line[1::4], line[2::4], line[3::4])))
        else:
            rows.append([(r, g, b, 255) for r, g, b in zip(line[0::3], line[1::3], line[2::3])])
        previous = line
    return RgbaImage(width, height, rows)
