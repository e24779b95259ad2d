#pragma once
// Where a repaired picture is saved: beside the original, under a name no file has yet.

#include <string>

#include "imaging/pixels.h"
#include "imaging/save.h"

namespace ui {

// `folder` (with its backslash) + "<name>_nahtlos.png", or "<name>_nahtlos_2.png" and so on when that
// is taken; <name> is `fileName` without its extension. Empty when no free name is found.
std::wstring FreeRepairedPath(const std::wstring& folder, const std::wstring& fileName);

// Writes the picture as a PNG with its alpha, through a temporary file moved into place.
imaging::SaveResult SaveRepaired(const std::wstring& path, imaging::ConstPixels picture);

}  // namespace ui
