#pragma once
// Dotted lines along the tile edges of the preview, so the seams can be found at any zoom.

#include "imaging/pixels.h"
#include "imaging/view.h"

namespace imaging {

constexpr std::uint32_t kBorderDark = 0xFF000000u;   // on pixels with x + y even
constexpr std::uint32_t kBorderLight = 0xFFFFFFFFu;  // on pixels with x + y odd

// Draws a one-pixel dotted line over every screen column and row where a tile edge lies, for
// tiles of the given size placed as RenderView places them with the same params.
void DrawTileBorders(MutablePixels target, ViewParams params, int tileWidth, int tileHeight);

}  // namespace imaging
