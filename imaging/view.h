#pragma once
// The seam-checking preview: a tile repeated without gaps over a screen area at a chosen zoom.

#include <cstdint>
#include <optional>

#include "imaging/pixels.h"

namespace imaging {

// Where a tile's top-left corner lies on the screen (any integer; only its place within one
// screen period matters) and the zoom in percent.
struct ViewParams {
    int originX = 0;
    int originY = 0;
    int zoomPercent = 100;
};

// Enlarging: one picture pixel becomes a factor x factor square. Reducing: one screen pixel
// averages factor x factor picture pixels.
struct ZoomStep {
    int factor = 1;
    bool reduces = false;
};

// The step for 100 * k percent (k up to 64) or 100 / k percent (k up to 16); nothing for other zooms.
std::optional<ZoomStep> StepOf(int zoomPercent);

// How far the view repeats along one axis, in screen pixels: shifted by this much it looks the same,
// at any origin. Enlarging: the enlarged tile side; reducing: side / gcd(side, factor). 0 when there
// is no tile or no such zoom.
long long ViewPeriod(int tileSide, int zoomPercent);

// Fills all of `target` with the tiling of `tile` composited over `background` (0x00RRGGBB),
// output alpha 255: nearest neighbour when enlarging, an exact box average when reducing.
// An empty tile or an unsupported zoom fills the target with the background alone.
void RenderView(ConstPixels tile, MutablePixels target, ViewParams params, std::uint32_t background);

}  // namespace imaging
