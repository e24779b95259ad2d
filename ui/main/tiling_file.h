#pragma once
// Names and types of a saved tiling: the Save As dialog's type list, the proposed name, and the
// format a chosen name stands for.

#include <string>
#include <vector>

#include "forms/file_dialog.h"
#include "imaging/encode.h"

namespace ui {

// The types the Save As dialog offers, PNG first (the one shown first).
const std::vector<forms::FileType>& TilingFileTypes();

// The proposed name: the picture's base name, "_kachel_" and the size, with the PNG extension
// ("Wand_kachel_1920x1080.png"); "Kachel" stands in for a missing picture name.
std::wstring ProposedTilingName(const std::wstring& pictureName, int width, int height);

struct TilingTarget {
    std::wstring path;
    imaging::ImageFormat format = imaging::ImageFormat::Png;
};

// A name ending in one of the types' extensions is written in that format; any other name gets the
// chosen type's extension added.
TilingTarget ResolveTilingTarget(const std::wstring& chosenPath, int typeIndex);

}  // namespace ui
