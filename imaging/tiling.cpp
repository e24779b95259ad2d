#include "imaging/tiling.h"

#include <algorithm>
#include <cstring>

#include "imaging/composite.h"

namespace imaging {

void TileRows(ConstPixels tile, int width, int firstRow, int rowCount, MutablePixels strip)
{
    width = std::min(width, strip.width);
    rowCount = std::min(rowCount, strip.height);
    if (tile.Empty() || strip.Empty() || width <= 0 || rowCount <= 0)
        return;
    const std::size_t tileBytes = std::size_t(std::min(tile.width, width)) * 4;
    for (int y = 0; y < rowCount; ++y) {
        std::uint8_t* row = strip.Row(y);
        std::memcpy(row, tile.Row(Wrap(static_cast<long long>(firstRow) + y, tile.height)), tileBytes);
        RepeatPrefix(row, std::size_t(tile.width) * 4, std::size_t(width) * 4);
    }
}

void TileRowsBgr(ConstPixels tile, int width, int firstRow, int rowCount, std::uint32_t background, std::uint8_t* out,
                 std::ptrdiff_t stride)
{
    if (tile.Empty() || !out || width <= 0 || rowCount <= 0)
        return;
    const int columns = std::min(tile.width, width);
    for (int y = 0; y < rowCount; ++y) {
        std::uint8_t* row = out + y * stride;
        const std::uint8_t* source = tile.Row(Wrap(static_cast<long long>(firstRow) + y, tile.height));
        for (int x = 0; x < columns; ++x) {
            const std::uint32_t colour = CompositeOver(LoadPixel(source + std::size_t(x) * 4), background);
            row[x * 3] = static_cast<std::uint8_t>(colour);
            row[x * 3 + 1] = static_cast<std::uint8_t>(colour >> 8);
            row[x * 3 + 2] = static_cast<std::uint8_t>(colour >> 16);
        }
        RepeatPrefix(row, std::size_t(tile.width) * 3, std::size_t(width) * 3);
    }
}

}  // namespace imaging
