#pragma once
// What the seam repair is judged by: interior detail, mean colour, and the editors' cross-blend
// as the baseline to beat.

#include <optional>
#include <string>

#include "imaging/pixels.h"

namespace imagingtest {

// The variance of the discrete Laplacian over the interior pixels, summed over red, green and blue.
double LaplacianVariance(imaging::ConstPixels picture);

// The largest difference of the mean red, green or blue between two pictures.
double MeanColourShift(imaging::ConstPixels a, imaging::ConstPixels b);

// The classic "make seamless": each axis in turn, the picture faded into itself shifted by half, with
// the unshifted copy's weight a tent that is 0 at the edges and 1 in the middle.
imaging::Image32 CrossBlend(imaging::ConstPixels picture);

// A square crop of a wallpaper photo that a Debian package installs; nothing when it is missing.
struct PhotoCrop {
    const wchar_t* wallpaper;  // the folder under /usr/share/wallpapers
    int x;
    int y;
};
constexpr int kCropSide = 256;
std::optional<imaging::Image32> LoadCrop(const PhotoCrop& crop);
std::wstring CropName(const PhotoCrop& crop);

}  // namespace imagingtest
