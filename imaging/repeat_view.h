#pragma once
// The seam-checking view and its tile borders for any repeat, as RenderView and DrawTileBorders
// do it for the block.

#include <cstdint>

#include "imaging/pixels.h"
#include "imaging/repeat.h"
#include "imaging/view.h"

namespace imaging {

// Fills all of `target` with the repeat of `tile` as RenderView fills it with the block: the tile's
// corner at the origin, zoomed, composited over `background` (0x00RRGGBB), alpha 255. The block is
// RenderView itself.
void RenderRepeatView(ConstPixels tile, Repeat repeat, MutablePixels target, ViewParams params,
                      std::uint32_t background);

// How far the repeat's view repeats along x and y in screen pixels at the zoom (ViewPeriod of the
// repeat unit); 0 where there is no such period that fits an int.
long long RepeatViewPeriod(long long unitSide, int zoomPercent);

// Dotted lines where the tiles of the repeat really meet: the block's grid, a half-drop's columns
// with their moved horizontal edges, a half-brick's rows with their moved vertical edges.
void DrawRepeatBorders(MutablePixels target, ViewParams params, int tileWidth, int tileHeight, Repeat repeat);

}  // namespace imaging
