#include "ui/main/repeat_preview.h"

#include <windows.h>

#include <algorithm>

#include "common/commands.h"

namespace ui {

namespace {

// The pixels of a picture box's persistent image, a top-down DIB section (forms::CreateDib32) as
// PicM's tile is read elsewhere too; empty when it is none.
imaging::MutablePixels ImagePixels(const forms::PictureBox& box)
{
    DIBSECTION section{};
    if (box.ScaleWidth() <= 0 || box.ScaleHeight() <= 0 || !box.Image() ||
        GetObjectW(box.Image(), sizeof(section), &section) != sizeof(section) || !section.dsBm.bmBits ||
        section.dsBm.bmBitsPixel != 32 || section.dsBm.bmWidth < box.ScaleWidth() ||
        section.dsBm.bmHeight < box.ScaleHeight())
        return {};
    return {box.ScaleWidth(), box.ScaleHeight(), section.dsBm.bmWidthBytes,
            static_cast<std::uint8_t*>(section.dsBm.bmBits)};
}

}  // namespace

void TileInRepeat(forms::PictureBox& target, forms::PictureBox& source, imaging::Repeat repeat)
{
    if (repeat.IsBlock()) {
        Commands::TilePicture(target, source);
        return;
    }
    const imaging::MutablePixels tile = ImagePixels(source);
    const imaging::MutablePixels into = ImagePixels(target);
    if (tile.Empty() || into.Empty())
        return;
    target.Drawn();
    GdiFlush();  // whatever GDI drew into either bitmap is there before the pixels are read and written
    // The rows up to where they come again are laid out; below, the blitter doubles them as it does
    // for the block, which copies faster than the runtime.
    const imaging::RepeatSize period = imaging::RepeatPeriods(tile.width, tile.height, repeat);
    const int laid = static_cast<int>(std::min<long long>(period.height, into.height));
    imaging::RepeatRegion(tile, repeat, 0, 0, {into.width, laid, into.stride, into.bits});
    for (int filled = laid; filled < into.height;) {
        const int step = std::min(filled, into.height - filled);
        BitBlt(target.Hdc(), 0, filled, into.width, step, target.Hdc(), 0, 0, SRCCOPY);
        filled += step;
    }
    target.Refresh();
}

}  // namespace ui
