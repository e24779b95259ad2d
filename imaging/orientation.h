#pragma once
// Camera pictures carry how they are meant to be seen (the EXIF orientation, 1 to 8); turning the
// stored pixels upright is pure pixel work.

#include <cstddef>
#include <cstdint>

#include "imaging/pixels.h"

namespace imaging {

// The size of the upright picture: sides swapped for orientations 5 to 8.
bool OrientationSwapsSides(int orientation);

// Writes `source` turned upright for `orientation` into `target`, whose size must be the turned
// size. Orientation 1 and values outside 1..8 copy the pixels unchanged. False when sizes do not fit.
bool TurnUpright(const ConstPixels& source, int orientation, const MutablePixels& target);

// The EXIF orientation a JPEG file states in its APP1 "Exif" block (tag 274 of the first IFD), read
// from the file's beginning; 1 when it states none or the bytes do not parse. For systems whose
// decoders do not show a JPEG's EXIF block.
int JpegExifOrientation(const std::uint8_t* data, std::size_t size);

}  // namespace imaging
