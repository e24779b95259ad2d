"""Reading and writing the BMP pictures the end-to-end suite exchanges with the program."""

import struct


class Image:
    """Pixels as rows of (r, g, b) tuples, top row first."""

    def __init__(self, width, height, rows):
        self.width = width
        self.height = height
        self.rows = rows

    def pixel(self, x, y):
        return self.rows[y][x]


PALETTE = [(178, 84, 62), (70, 110, 160), (96, 140, 72), (200, 168, 104), (140, 92, 150), (60, 150, 150)]


def pattern_image(width, height, seed):
    """A small brick tile: courses of bricks with mortar, shaded and grained so that no two nearby
    pixels repeat, and a shifted tiling cannot match the true one."""
    base = PALETTE[seed % len(PALETTE)]
    course = max(5, height // 3)
    brick = max(8, width // 2)
    rows = []
    for y in range(height):
        row = []
        shift = brick // 2 if (y // course) % 2 else 0
        for x in range(width):
            mortar = y % course == 0 or (x + shift) % brick == 0
            grain = (x * 73 + y * 151 + seed * 29) % 23 - 11
            shade = (x * 40) // max(width, 1) - (y * 30) // max(height, 1)
            if mortar:
                row.append(tuple(max(0, min(255, 215 + grain // 2 + shade // 4 + i * 3)) for i in range(3)))
            else:
                row.append(tuple(max(0, min(255, c + grain + shade + (x + y) % 3)) for c in base))
        rows.append(row)
    return Image(width, height, rows)


def encode_bmp24(image):
    """A bottom-up 24-bit BMP file, as most painting programs write one."""
    stride = (image.width * 3 + 3) & ~3
    body = bytearray()
    for y in range(image.height - 1, -1, -1):
        line = bytearray()
        for r, g, b in image.rows[y]:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        body += line
    header = struct.pack("<IiiHHIIiiII", 40, image.width, image.height, 1, 24, 0, len(body), 3780, 3780, 0, 0)
    offset = 14 + len(header)
    return b"BM" + struct.pack("<IHHI", offset + len(body), 0, 0, offset) + header + bytes(body)


def _mask_shift(mask):
    if mask == 0:
        return 0, 0
    shift = 0
    while not (mask >> shift) & 1:
        shift += 1
    bits = 0
    while (mask >> (shift + bits)) & 1:
        bits += 1
    return shift, bits


def _channel(value, mask):
    shift, bits = _mask_shift(mask)
    if bits == 0:
        return 0
    v = (value & mask) >> shift
    return v if bits == 8 else (v * 255) // ((1 << bits) - 1)


def decode_bmp(data):
    """Decodes 24- and 32-bit BMP data (with or without file header; BI_RGB or BI_BITFIELDS;
    bottom-up or top-down) into an Image."""
    data = bytes(data)
    pixel_offset = None
    if data[:2] == b"BM":
        pixel_offset = struct.unpack_from("<I", data, 10)[0]
        data_start = 14
    else:
        data_start = 0
    header_size = struct.unpack_from("<I", data, data_start)[0]
    if header_size < 40:
        raise ValueError("unsupported BMP header size %d" % header_size)
    width, height, _planes, bpp, compression = struct.unpack_from("<iiHHI", data, data_start + 4)
    colours_used = struct.unpack_from("<I", data, data_start + 32)[0]
    top_down = height < 0
    height = abs(height)
    masks_end = data_start + header_size
    if bpp == 32 and compression == 3:
        if header_size >= 52:
            masks = struct.unpack_from("<III", data, data_start + 40)
        else:
            masks = struct.unpack_from("<III", data, masks_end)
            masks_end += 12
    elif bpp == 32 and compression == 0:
        masks = (0xFF0000, 0x00FF00, 0x0000FF)
    elif bpp == 24 and compression == 0:
        masks = None
    else:
        raise ValueError("unsupported BMP: %d bpp, compression %d" % (bpp, compression))
    if pixel_offset is None:
        pixel_offset = masks_end + 4 * colours_used
    stride = ((width * bpp + 31) // 32) * 4
    needed = pixel_offset + stride * height
    if len(data) < needed:
        raise ValueError("BMP data too short: %d bytes, %d needed" % (len(data), needed))
    rows = []
    for row_index in range(height):
        y = row_index if top_down else height - 1 - row_index
        start = pixel_offset + y * stride
        line = data[start:start + stride]
        if bpp == 24:
            row = [(line[i + 2], line[i + 1], line[i]) for i in range(0, width * 3, 3)]
        else:
            rm, gm, bm = masks
            if masks == (0xFF0000, 0x00FF00, 0x0000FF):
                rows.append(list(zip(line[2:width * 4:4], line[1:width * 4:4], line[0:width * 4:4])))
                continue
            row = []
            for (value,) in struct.iter_unpack("<I", line[:width * 4]):
                row.append((_channel(value, rm), _channel(value, gm), _channel(value, bm)))
        rows.append(row)
    return Image(width, height, rows)
