#pragma once
// Writing a tiling as an image file through WIC, strip by strip. COM must be initialised by the caller.

#include <windows.h>
#include <objidl.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "imaging/pixels.h"
#include "imaging/repeat.h"

namespace imaging {

enum class ImageFormat { Png, Bmp, Jpeg, Tiff };

// Sides accepted for written images, in pixels.
constexpr int kMaxOutputSide = 30000;

// Told the rows written so far out of all after each strip; returning false stops the work (E_ABORT).
using RowProgress = std::function<bool(int rowsDone, int rows)>;

// Encodes the width x height tiling of `tile` (1:1 from the top-left corner, in `repeat`) into `out`.
// PNG and TIFF keep straight alpha (32bppBGRA); BMP and JPEG (quality 0.95) are 24bppBGR with the
// pixels composited over `background` (0x00RRGGBB). E_INVALIDARG for an empty tile, no stream or a
// side outside 1..kMaxOutputSide; memory use is the tile, one strip and WIC's own.
HRESULT EncodeTiling(IStream* out, ImageFormat format, ConstPixels tile, int width, int height,
                     std::uint32_t background, Repeat repeat = {},
                     const RowProgress& progress = nullptr);

// The tiling as PNG bytes (for the clipboard format "PNG"); empty on failure.
std::vector<std::uint8_t> EncodePngToMemory(ConstPixels tile, int width, int height, Repeat repeat = {});

}  // namespace imaging
