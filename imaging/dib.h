#pragma once
// A packed DIB with a BITMAPV5HEADER, the clipboard's CF_DIBV5 form of a tiling.

#include <cstdint>
#include <vector>

#include "imaging/pixels.h"
#include "imaging/repeat.h"

namespace imaging {

// Largest DIB made, header included: beyond it the clipboard copy is refused.
constexpr std::uint64_t kMaxDibBytes = 1ull << 30;

// BITMAPV5HEADER (32 bpp, BI_BITFIELDS with alpha mask, sRGB, rows bottom-up) followed by the
// width x height tiling of `tile` in `repeat` with straight alpha; empty when the size is not
// positive, exceeds kMaxDibBytes or memory runs out.
std::vector<std::uint8_t> MakeDibV5(ConstPixels tile, int width, int height, Repeat repeat = {});

}  // namespace imaging
