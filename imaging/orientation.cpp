#include "imaging/orientation.h"

namespace imaging {

bool OrientationSwapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

bool TurnUpright(const ConstPixels& source, int orientation, const MutablePixels& target)
{
    if (orientation < 1 || orientation > 8)
        orientation = 1;
    const bool swap = OrientationSwapsSides(orientation);
    const int w = source.width;
    const int h = source.height;
    if (source.Empty() || target.Empty() || target.width != (swap ? h : w) || target.height != (swap ? w : h))
        return false;
    for (int ty = 0; ty < target.height; ++ty) {
        std::uint8_t* out = target.Row(ty);
        for (int tx = 0; tx < target.width; ++tx, out += 4) {
            // Where the upright pixel (tx, ty) is stored.
            int sx = tx;
            int sy = ty;
            switch (orientation) {
            case 2: sx = w - 1 - tx; break;  // mirrored left to right
            case 3:
                sx = w - 1 - tx;
                sy = h - 1 - ty;
                break;                       // turned half round
            case 4: sy = h - 1 - ty; break;  // mirrored top to bottom
            case 5:
                sx = ty;
                sy = tx;
                break;  // mirrored along the main diagonal
            case 6:
                sx = ty;
                sy = h - 1 - tx;
                break;  // stored a quarter turn left of upright
            case 7:
                sx = w - 1 - ty;
                sy = h - 1 - tx;
                break;  // mirrored along the other diagonal
            case 8:
                sx = w - 1 - ty;
                sy = tx;
                break;  // stored a quarter turn right of upright
            default: break;
            }
            std::memcpy(out, source.Row(sy) + std::ptrdiff_t{sx} * 4, 4);
        }
    }
    return true;
}

namespace {

// A TIFF structure's numbers, in its own byte order; every read is checked against its end.
struct TiffReader {
    const std::uint8_t* data;
    std::size_t size;
    bool bigEndian;
    bool Fits(std::size_t at, std::size_t count) const { return at <= size && count <= size - at; }
    unsigned Read16(std::size_t at) const
    {
        return bigEndian ? (unsigned{data[at]} << 8 | data[at + 1]) : (unsigned{data[at + 1]} << 8 | data[at]);
    }
    std::uint32_t Read32(std::size_t at) const
    {
        const std::uint32_t high = Read16(bigEndian ? at : at + 2);
        const std::uint32_t low = Read16(bigEndian ? at + 2 : at);
        return high << 16 | low;
    }
};

int TiffOrientation(const std::uint8_t* data, std::size_t size)
{
    if (size < 8 || !((data[0] == 'I' && data[1] == 'I') || (data[0] == 'M' && data[1] == 'M')))
        return 1;
    const TiffReader tiff{data, size, data[0] == 'M'};
    if (tiff.Read16(2) != 42)
        return 1;
    const std::size_t directory = tiff.Read32(4);
    if (!tiff.Fits(directory, 2))
        return 1;
    const unsigned entries = tiff.Read16(directory);
    for (unsigned i = 0; i < entries; ++i) {
        const std::size_t entry = directory + 2 + std::size_t{i} * 12;
        if (!tiff.Fits(entry, 12))
            return 1;
        // Tag 274, one SHORT.
        if (tiff.Read16(entry) == 274 && tiff.Read16(entry + 2) == 3 && tiff.Read32(entry + 4) == 1) {
            const unsigned value = tiff.Read16(entry + 8);
            return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
        }
    }
    return 1;
}

}  // namespace

int JpegExifOrientation(const std::uint8_t* data, std::size_t size)
{
    if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return 1;
    std::size_t at = 2;
    while (at + 4 <= size) {
        if (data[at] != 0xFF)
            return 1;
        const std::uint8_t marker = data[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA)  // the end, or the picture's data: no more headers
            return 1;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // markers without a length
            at += 2;
            continue;
        }
        const std::size_t length = std::size_t{data[at + 2]} << 8 | data[at + 3];
        if (length < 2 || length > size - at - 2)
            return 1;
        const std::uint8_t* segment = data + at + 4;
        const std::size_t segmentSize = length - 2;
        if (marker == 0xE1 && segmentSize >= 6 && std::memcmp(segment, "Exif\0\0", 6) == 0)
            return TiffOrientation(segment + 6, segmentSize - 6);
        at += 2 + length;
    }
    return 1;
}

}  // namespace imaging
