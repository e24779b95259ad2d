#pragma once
// Making a picture seamless: its periodic component, and the overlap cut on top of it.

#include <functional>
#include <optional>

#include "imaging/pixels.h"

namespace imaging {

enum class RepairMethod { MatchEdges, CutOverlap };

// Told the share of the work done (0 to 1) now and then; returning false stops the work.
using RepairProgress = std::function<bool(double done)>;

// The overlap's limits and its start value for a picture of that size.
constexpr int kMinOverlap = 2;
constexpr int MaxOverlap(int width, int height)
{
    const int side = width < height ? width : height;
    return side / 2 > kMinOverlap ? side / 2 : kMinOverlap;
}
constexpr int DefaultOverlap(int width, int height)
{
    const int side = width < height ? width : height;
    const int start = side / 4 < 32 ? side / 4 : 32;
    return start > kMinOverlap ? start : kMinOverlap;
}

// Whether the method can run on a picture of that size (the cut needs room for its band).
bool CanRepair(int width, int height, RepairMethod method);

// The periodic component p of u = p + s (s smooth, carrying the jumps across the wrapped edges),
// every channel alpha included, rounded and clamped once; nothing when stopped or empty.
std::optional<Image32> PeriodicComponent(ConstPixels picture, const RepairProgress& progress = {});

// The right band of `overlap` columns laid over the left band and joined along the path where they
// differ least, then the bottom band over the top band: (W - overlap) x (H - overlap), continuing
// across its own edges. `overlap` is clamped to [kMinOverlap, MaxOverlap].
Image32 OverlapCut(ConstPixels picture, int overlap);

// The chosen method: the periodic component, cut for CutOverlap; nothing when stopped or too small.
std::optional<Image32> Repair(ConstPixels picture, RepairMethod method, int overlap,
                              const RepairProgress& progress = {});

}  // namespace imaging
