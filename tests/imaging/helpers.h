#pragma once
// Sample tiles, WIC read-back and folder listings for the imaging tests.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "imaging/pixels.h"

namespace imagingtest {

// Varied colours; every fourth pixel half transparent, every seventh fully (keeping its colour).
imaging::Image32 SampleTile(int width, int height, std::uint32_t seed);

// The first frame of an encoded image as straight 32-bit BGRA; nothing when it does not decode.
std::optional<imaging::Image32> Decode(const std::string& bytes);

// Names in a folder, without "." and "..".
std::vector<std::wstring> FolderEntries(const std::wstring& folder);

}  // namespace imagingtest
