#include "ui/main/tile_clipboard.h"

#include <vector>

#include "imaging/dib.h"
#include "imaging/encode.h"

namespace ui {

UINT PngClipboardFormat()
{
    static const UINT format = RegisterClipboardFormatW(L"PNG");
    return format;
}

std::vector<forms::PromisedFormat> TilingWithAlpha(const Form1::TileSource& tile, int width, int height,
                                                   imaging::Repeat repeat)
{
    std::vector<forms::PromisedFormat> formats;
    if (tile.pixels.Empty() || width <= 0 || height <= 0 || PngClipboardFormat() == 0)
        return formats;
    // Each copy of the tile source keeps its pixels alive until the format is rendered or dropped.
    formats.push_back({PngClipboardFormat(), [tile, width, height, repeat] {
                           return imaging::EncodePngToMemory(tile.pixels, width, height, repeat);
                       }});
    formats.push_back({CF_DIBV5, [tile, width, height, repeat] {
                           return imaging::MakeDibV5(tile.pixels, width, height, repeat);
                       }});
    return formats;
}

bool PromiseTilingWithAlpha(HWND owner, const Form1::TileSource& tile, int width, int height)
{
    std::vector<forms::PromisedFormat> formats = TilingWithAlpha(tile, width, height);
    return !formats.empty() && forms::ClipboardPromiseFormats(owner, std::move(formats));
}

}  // namespace ui
