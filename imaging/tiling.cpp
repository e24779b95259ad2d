#include "imaging/tiling.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/composite.h"

namespace imaging {

void TileRows(ConstPixels tile, int width, int firstRow, int rowCount, MutablePixels strip, Repeat repeat)
{
    width = std::min(width, strip.width);
    rowCount = std::min(rowCount, strip.height);
    if (tile.Empty() || strip.Empty() || width <= 0 || rowCount <= 0)
        return;
    if (!repeat.IsBlock()) {
        RepeatRegion(tile, repeat, 0, firstRow, {width, rowCount, strip.stride, strip.bits});
        return;
    }
    const std::size_t tileBytes = std::size_t(std::min(tile.width, width)) * 4;
    for (int y = 0; y < rowCount; ++y) {
        std::uint8_t* row = strip.Row(y);
        std::memcpy(row, tile.Row(Wrap(static_cast<long long>(firstRow) + y, tile.height)), tileBytes);
        RepeatPrefix(row, std::size_t(tile.width) * 4, std::size_t(width) * 4);
    }
}

void TileRowsBgr(ConstPixels tile, int width, int firstRow, int rowCount, std::uint32_t background, std::uint8_t* out,
                 std::ptrdiff_t stride, Repeat repeat)
{
    if (tile.Empty() || !out || width <= 0 || rowCount <= 0)
        return;
    if (!repeat.IsBlock()) {
        // One period of each row is laid out, composited and then doubled along the row.
        const int period = static_cast<int>(
            std::min<long long>(RepeatPeriods(tile.width, tile.height, repeat).width, width));
        std::vector<std::uint8_t> laid(std::size_t(period) * 4);
        for (int y = 0; y < rowCount; ++y) {
            RepeatRegion(tile, repeat, 0, static_cast<long long>(firstRow) + y, {period, 1, period * 4, laid.data()});
            std::uint8_t* row = out + y * stride;
            for (int x = 0; x < period; ++x) {
                const std::uint32_t colour = CompositeOver(LoadPixel(laid.data() + std::size_t(x) * 4), background);
                row[x * 3] = static_cast<std::uint8_t>(colour);
                row[x * 3 + 1] = static_cast<std::uint8_t>(colour >> 8);
                row[x * 3 + 2] = static_cast<std::uint8_t>(colour >> 16);
            }
            RepeatPrefix(row, std::size_t(period) * 3, std::size_t(width) * 3);
        }
        return;
    }
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
