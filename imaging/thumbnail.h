#pragma once
// A small picture of a tile laid 2 × 2, so that its seams show as a cross in the middle.

#include <cstdint>

#include "imaging/pixels.h"
#include "imaging/repeat.h"

namespace imaging {

// How one quarter of the 2 × 2 view takes the tile: mirrored first, then moved (pixels, wrapped).
struct QuarterLayout {
    int shiftX = 0;
    int shiftY = 0;
    bool mirrorX = false;
    bool mirrorY = false;
};

// The four quarters, [row][column]; left as they are, the plain block repeat.
struct RepeatLayout {
    QuarterLayout quarters[2][2];
};

// The tile's pixel shown at (x, y) of the 2 × 2 view (0 <= x < 2 * width, 0 <= y < 2 * height), as
// coordinates in the tile.
struct TilePoint {
    int x = 0;
    int y = 0;
};
TilePoint RepeatSource(const RepeatLayout& layout, int width, int height, int x, int y);

// The 2 × 2 view of a repeat of a width × height tile: a half-drop moves the right column down by its
// offset, a half-brick the bottom row right, a mirror mirrors the right column and the bottom row.
RepeatLayout LayoutOf(Repeat repeat, int width, int height);

// A side × side opaque picture: the tile's 2 × 2 view composited over `background` (0x00RRGGBB),
// reduced with an exact area average until it fits (never enlarged), centred on the background.
// An empty tile or side gives the background alone (an empty image for side < 1).
Image32 RepeatThumbnail(ConstPixels tile, int side, std::uint32_t background, const RepeatLayout& layout = {});

}  // namespace imaging
