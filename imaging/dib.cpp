#include "imaging/dib.h"

#include <windows.h>

#include <cstring>
#include <new>

#include "imaging/tiling.h"

namespace imaging {

std::vector<std::uint8_t> MakeDibV5(ConstPixels tile, int width, int height, Repeat repeat)
{
    if (tile.Empty() || width <= 0 || height <= 0)
        return {};
    const std::uint64_t stride = std::uint64_t(width) * 4;
    const std::uint64_t imageBytes = stride * std::uint64_t(height);
    if (imageBytes + sizeof(BITMAPV5HEADER) > kMaxDibBytes)
        return {};

    BITMAPV5HEADER header{};
    header.bV5Size = sizeof(header);
    header.bV5Width = width;
    header.bV5Height = height;  // positive: rows bottom-up, as every reader expects
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5SizeImage = static_cast<DWORD>(imageBytes);
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    header.bV5CSType = 0x73524742;  // LCS_sRGB ('sRGB'); MinGW spells it as a multi-character constant
    header.bV5Intent = LCS_GM_IMAGES;

    std::vector<std::uint8_t> dib;
    try {
        dib.resize(sizeof(header) + static_cast<std::size_t>(imageBytes));
    } catch (const std::bad_alloc&) {
        return {};
    }
    std::memcpy(dib.data(), &header, sizeof(header));
    std::uint8_t* pixels = dib.data() + sizeof(header);
    for (int y = 0; y < height; ++y) {
        MutablePixels row{width, 1, static_cast<std::ptrdiff_t>(stride),
                          pixels + std::size_t(height - 1 - y) * static_cast<std::size_t>(stride)};
        TileRows(tile, width, y, 1, row, repeat);
    }
    return dib;
}

}  // namespace imaging
