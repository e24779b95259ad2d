#pragma once
// The tiling with its alpha on the clipboard: "PNG" and CF_DIBV5, beside the preview's bitmap.

#include <windows.h>

#include <vector>

#include "forms/clipboard.h"
#include "ui/main/form1.h"

namespace ui {

// The width x height tiling of the tile in the repeat as the registered format "PNG" (32 bits with alpha) and as
// CF_DIBV5 (straight alpha, rows bottom-up), made only when a program asks. Each keeps a copy of the
// tile source, so a paste gets the tiling of this moment whatever is shown later.
std::vector<forms::PromisedFormat> TilingWithAlpha(const Form1::TileSource& tile, int width, int height,
                                                   imaging::Repeat repeat = {});

// Promises the width x height tiling of the tile as the registered format "PNG" (32 bits with alpha)
// and as CF_DIBV5 (straight alpha, rows bottom-up) on a clipboard the owner holds. The promise keeps
// the tile, so a paste gets the tiling of this moment whatever is shown later.
bool PromiseTilingWithAlpha(HWND owner, const Form1::TileSource& tile, int width, int height);

// The registered clipboard format "PNG", as image editors and browsers read it.
UINT PngClipboardFormat();

}  // namespace ui
