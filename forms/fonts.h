#pragma once
// Fonts at a window's DPI.

#include <string>

#include "forms/handles.h"

namespace forms {

// A font of the face and point size at the given DPI (lfHeight = -MulDiv(points, dpi, 72)).
UniqueHfont CreatePointFont(const std::wstring& face, double points, bool bold, int dpi);

// The platform's standard dialog font at the given DPI.
UniqueHfont CreateDefaultFont(int dpi);

}  // namespace forms
