#!/usr/bin/env bash
# Makes the small reference pictures of the format tests with Debian's ImageMagick 6 (run it in this
# folder; the files are committed, so the tests need no ImageMagick). The pixels follow the formulas
# that tests/imaging/formats_test.cpp repeats: ReferencePixel (7 x 5) and BlockPixel (8 x 8).
set -euo pipefail
cd "$(dirname "$0")"
python3 - <<'PY'
def reference(x, y, alpha):
    if y == 0 and x < 4:  # a run, for the run-length coders
        return bytes((200, 30, 90, 255))
    else:
        r, g, b = (x * 53 + y * 19) & 255, (x * 7 + y * 61 + 40) & 255, ((x * 29) ^ (y * 13)) & 255
    a = (255, 0, 128, 64, 200)[(x + 2 * y) % 5] if alpha else 255
    return bytes((r, g, b, a))

def block(x, y):  # flat 4 x 4 blocks, so block compression keeps them
    bx, by = x // 4, y // 4
    colours = ((250, 20, 20, 255), (20, 240, 30, 128), (30, 40, 230, 0), (240, 230, 60, 200))
    return bytes(colours[by * 2 + bx])

def pam(name, width, height, pixel):
    with open(name, "wb") as f:
        f.write(b"P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" % (width, height))
        for y in range(height):
            for x in range(width):
                f.write(pixel(x, y))

pam("/tmp/quadrino_alpha.pam", 7, 5, lambda x, y: reference(x, y, True))
pam("/tmp/quadrino_opaque.pam", 7, 5, lambda x, y: reference(x, y, False))
pam("/tmp/quadrino_blocks.pam", 8, 8, block)
PY
a=/tmp/quadrino_alpha.pam; o=/tmp/quadrino_opaque.pam; b=/tmp/quadrino_blocks.pam
# ImageMagick 6 writes the rows in the picture's order and marks them bottom-up unless told
# otherwise: flipped first, the files are true bottom-up TGAs of the picture.
convert "$a" -flip -compress RLE rle_bottom_up.tga
convert "$o" -flip -compress None -alpha off plain_bottom_up.tga
convert "$a" -compress None -orient TopLeft plain_top_down.tga
convert "$a" -depth 8 alpha8.psd
convert "$o" -alpha off -depth 16 opaque16.psd
convert "$b" -alpha off -define dds:compression=dxt1 -define dds:mipmaps=0 blocks_dxt1.dds
convert "$b" -define dds:compression=dxt5 -define dds:mipmaps=0 blocks_dxt5.dds
# A camera picture stored a quarter turn left of upright (EXIF orientation 6, "RightTop").
convert "$o" -alpha off -orient RightTop -compress None orientation6.tif
rm -f "$a" "$o" "$b"
