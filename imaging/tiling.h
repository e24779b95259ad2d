#pragma once
// Rows of a 1:1 tiling from the top-left corner in the chosen repeat, for files and the clipboard.

#include <cstddef>
#include <cstdint>

#include "imaging/pixels.h"
#include "imaging/repeat.h"

namespace imaging {

// Fills rows 0 .. rowCount-1 of `strip` (at most its height, `width` at most its width) with rows
// firstRow .. of a `width`-wide tiling of `tile` in `repeat`, pixels copied unchanged (straight alpha kept).
void TileRows(ConstPixels tile, int width, int firstRow, int rowCount, MutablePixels strip, Repeat repeat = {});

// The same rows as 24-bit B, G, R pixels composited over `background` (0x00RRGGBB), rows
// `stride` bytes apart starting at `out`.
void TileRowsBgr(ConstPixels tile, int width, int firstRow, int rowCount, std::uint32_t background, std::uint8_t* out,
                 std::ptrdiff_t stride, Repeat repeat = {});

}  // namespace imaging
