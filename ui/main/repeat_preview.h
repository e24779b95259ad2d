#pragma once
// The preview's persistent image laid in a repeat other than the block, straight into its pixels.

#include "forms/picture_box.h"
#include "imaging/repeat.h"

namespace ui {

// Fills the target's image with the source's image laid in `repeat` from the top-left corner; the
// block is Commands::TilePicture. Nothing happens when either image is not a 32-bit DIB.
void TileInRepeat(forms::PictureBox& target, forms::PictureBox& source, imaging::Repeat repeat);

}  // namespace ui
