#pragma once
// The built-in tile PicM shows until the user chooses an image: a mottled blue-green texture.

#include <windows.h>

#include <array>
#include <cstdint>
#include <vector>

#include "forms/picture.h"

namespace ui {

inline constexpr int kStartPictureWidth = 145;
inline constexpr int kStartPictureHeight = 113;

// A 256-colour image: one palette index per pixel, rows top-down without padding.
struct PalettedImage {
    int width = 0;
    int height = 0;
    std::array<RGBQUAD, 256> palette{};
    std::vector<std::uint8_t> indices;
};

// The texture, the same on every start.
PalettedImage MakeStartTexture();

// The texture as a 32-bit picture for PicM; empty when no bitmap could be made.
forms::Picture MakeStartPicture();

}  // namespace ui
