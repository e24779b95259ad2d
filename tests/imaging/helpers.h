#pragma once
// Sample tiles, WIC read-back and folder listings for the imaging tests.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "imaging/pixels.h"
#include "imaging/repeat.h"

namespace imagingtest {

// Varied colours; every fourth pixel half transparent, every seventh fully (keeping its colour).
imaging::Image32 SampleTile(int width, int height, std::uint32_t seed);

// The pixel the repeat shows at plane (x, y), by the table of repeats alone: tile[x mod W, (y - i d) mod H]
// and so on, with d = side / n rounded half up, i = x div W, j = y div H.
std::uint32_t RepeatDefinition(const imaging::Image32& tile, imaging::Repeat repeat, long long x, long long y);

// The first frame of an encoded image as straight 32-bit BGRA; nothing when it does not decode.
std::optional<imaging::Image32> Decode(const std::string& bytes);

// Names in a folder, without "." and "..".
std::vector<std::wstring> FolderEntries(const std::wstring& folder);

}  // namespace imagingtest
