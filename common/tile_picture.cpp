#include <windows.h>

#include <algorithm>

#include "common/commands.h"
#include "forms/picture_box.h"

namespace Commands {

// Fills the target with edge-to-edge copies of the whole source picture from the top-left corner.
// Copying the tile once and then doubling the filled strip gives the same pixels as one copy per
// tile position, with a number of copies that grows with the logarithm of the tile count.
void TilePicture(forms::PictureBox& target, forms::PictureBox& source)
{
    const int tileWidth = source.ScaleWidth();
    const int tileHeight = source.ScaleHeight();
    const int width = target.ScaleWidth();
    const int height = target.ScaleHeight();
    HDC into = target.Hdc();
    if (tileWidth <= 0 || tileHeight <= 0 || !into || !source.Hdc())
        return;
    target.Drawn();

    BitBlt(into, 0, 0, tileWidth, tileHeight, source.Hdc(), 0, 0, SRCCOPY);

    // Every filled width is a whole number of tiles until the last step, so copies line up.
    const int rowHeight = std::min(tileHeight, height);
    int filled = std::min(tileWidth, width);
    while (filled < width) {
        const int step = std::min(filled, width - filled);
        BitBlt(into, filled, 0, step, rowHeight, into, 0, 0, SRCCOPY);
        filled += step;
    }
    filled = rowHeight;
    while (filled < height) {
        const int step = std::min(filled, height - filled);
        BitBlt(into, 0, filled, width, step, into, 0, 0, SRCCOPY);
        filled += step;
    }
    target.Refresh();
}

}  // namespace Commands
