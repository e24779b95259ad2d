#include "ui/main/repeat_preview.h"

#include <windows.h>

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
    imaging::RepeatRegion(tile, repeat, 0, 0, into);
    target.Refresh();
}

}  // namespace ui
