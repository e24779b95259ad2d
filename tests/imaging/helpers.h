#pragma once
// Sample tiles, WIC read-back and folder listings for the imaging tests.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "imaging/pixels.h"
#include "imaging/repeat.h"
#include "imaging/view.h"

namespace imagingtest {

// Varied colours; every fourth pixel half transparent, every seventh fully (keeping its colour).
imaging::Image32 SampleTile(int width, int height, std::uint32_t seed);

// The pixel the repeat shows at plane (x, y), by the table of repeats alone: tile[x mod W, (y - i d) mod H]
// and so on, with d = side / n rounded half up, i = x div W, j = y div H.
std::uint32_t RepeatDefinition(const imaging::Image32& tile, imaging::Repeat repeat, long long x, long long y);

// A screen pixel of the view by its definition, on its own: `at(x, y)` gives the opaque picture pixel
// at plane (x, y); a reducing step averages its k × k pixels, rounded to nearest.
template <typename At>
std::uint32_t ViewDefinition(At at, long long sx, long long sy, imaging::ViewParams p)
{
    const imaging::ZoomStep step = *imaging::StepOf(p.zoomPercent);
    const long long k = step.factor;
    if (!step.reduces)
        return at(imaging::FloorDiv(sx - p.originX, k), imaging::FloorDiv(sy - p.originY, k));
    std::uint32_t sums[3] = {};
    for (long long i = 0; i < k * k; ++i)
        for (int channel = 0; channel < 3; ++channel)
            sums[channel] += (at((sx - p.originX) * k + i % k, (sy - p.originY) * k + i / k) >> (8 * channel)) & 0xFFu;
    std::uint32_t result = 0xFF000000u;
    for (int channel = 0; channel < 3; ++channel)
        result |= static_cast<std::uint32_t>((sums[channel] + k * k / 2) / (k * k)) << (8 * channel);
    return result;
}

// The first frame of an encoded image as straight 32-bit BGRA; nothing when it does not decode.
std::optional<imaging::Image32> Decode(const std::string& bytes);

// Names in a folder, without "." and "..".
std::vector<std::wstring> FolderEntries(const std::wstring& folder);

}  // namespace imagingtest
