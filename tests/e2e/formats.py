"""The pictures of further formats the end-to-end suite shows: QOI written here, TGA, PSD, DDS and
JPEG by ImageMagick (Debian's `convert`), and a camera JPEG's EXIF orientation."""

import struct
import subprocess

from bmp import Image


def blocks_image(width, height, block):
    """Flat blocks of distinct colours: block compression and JPEG keep them nearly exactly."""
    colours = [(224, 32, 32), (32, 192, 32), (32, 64, 224), (224, 224, 64), (32, 224, 224), (16, 16, 16),
               (160, 96, 200), (250, 250, 250), (120, 60, 20)]
    across = (width + block - 1) // block
    rows = [[colours[((y // block) * across + x // block) % len(colours)] for x in range(width)]
            for y in range(height)]
    return Image(width, height, rows)


def encode_qoi(image):
    """An opaque QOI file (3 channels) with RGB operations and runs only."""
    out = bytearray(b"qoif" + struct.pack(">IIBB", image.width, image.height, 3, 0))
    previous, run = (0, 0, 0), 0
    for row in image.rows:
        for pixel in row:
            if pixel == previous:
                run += 1
                if run == 62:
                    out.append(0xC0 | (run - 1))
                    run = 0
                continue
            if run:
                out.append(0xC0 | (run - 1))
                run = 0
            out += bytes((0xFE,) + tuple(pixel))
            previous = pixel
    if run:
        out.append(0xC0 | (run - 1))
    return bytes(out + b"\0" * 7 + b"\1")


def ppm(image):
    return b"P6\n%d %d\n255\n" % (image.width, image.height) + bytes(c for row in image.rows for p in row for c in p)


def convert(image, path, *options):
    """Writes the picture through ImageMagick, with its options before the output."""
    subprocess.run(["convert", "ppm:-"] + list(options) + [path], input=ppm(image), check=True, timeout=60)


def with_exif_orientation(jpeg, orientation):
    """The JPEG with an EXIF block holding only the orientation, right after its start mark."""
    tiff = b"II*\0" + struct.pack("<I", 8) + struct.pack("<H", 1) + struct.pack("<HHIHH", 0x112, 3, 1, orientation, 0) \
        + struct.pack("<I", 0)
    app1 = b"Exif\0\0" + tiff
    return jpeg[:2] + b"\xff\xe1" + struct.pack(">H", len(app1) + 2) + app1 + jpeg[2:]


def turned_right(image):
    """What EXIF orientation 6 means: the stored picture turned a quarter clockwise."""
    rows = [[image.rows[image.height - 1 - x][y] for x in range(image.height)] for y in range(image.width)]
    return Image(image.height, image.width, rows)


def tiling_mismatch_near(clip, tile, tolerance):
    """None when every clipboard pixel is within `tolerance` per channel of the tiling; else the first
    pixel that is not."""
    for y in range(clip.height):
        source = tile.rows[y % tile.height]
        for x, pixel in enumerate(clip.rows[y]):
            want = source[x % tile.width]
            if any(abs(a - b) > tolerance for a, b in zip(pixel, want)):
                return (x, y)
    return None
