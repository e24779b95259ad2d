#include "ui/main/start_picture.h"

#include <algorithm>

namespace ui {

namespace {

// Integer hash of a lattice point, so the noise is fixed without any random generator.
std::uint32_t HashPoint(int x, int y, std::uint32_t seed)
{
    std::uint32_t h = seed ^ (static_cast<std::uint32_t>(x) * 0x27d4eb2dU) ^ (static_cast<std::uint32_t>(y) * 0x165667b1U);
    h ^= h >> 15;
    h *= 0x85ebca6bU;
    h ^= h >> 13;
    h *= 0xc2b2ae35U;
    h ^= h >> 16;
    return h;
}

// Lattice value in 0..1.
float LatticeValue(int x, int y, std::uint32_t seed)
{
    return static_cast<float>(HashPoint(x, y, seed) & 0xffffU) / 65535.0f;
}

float SmoothStep(float t)
{
    return t * t * (3.0f - 2.0f * t);
}

// Value noise: lattice values every cell pixels, blended smoothly in between.
float ValueNoise(int px, int py, int cell, std::uint32_t seed)
{
    const int cx = px / cell;
    const int cy = py / cell;
    const float tx = SmoothStep(static_cast<float>(px % cell) / static_cast<float>(cell));
    const float ty = SmoothStep(static_cast<float>(py % cell) / static_cast<float>(cell));
    const float top = LatticeValue(cx, cy, seed) * (1.0f - tx) + LatticeValue(cx + 1, cy, seed) * tx;
    const float bottom = LatticeValue(cx, cy + 1, seed) * (1.0f - tx) + LatticeValue(cx + 1, cy + 1, seed) * tx;
    return top * (1.0f - ty) + bottom * ty;
}

}  // namespace

PalettedImage MakeStartTexture()
{
    PalettedImage image;
    image.width = kStartPictureWidth;
    image.height = kStartPictureHeight;

    // Dark sea blue to light turquoise.
    for (int i = 0; i < 256; ++i) {
        RGBQUAD& colour = image.palette[static_cast<std::size_t>(i)];
        colour.rgbRed = static_cast<BYTE>(8 + i * 60 / 255);
        colour.rgbGreen = static_cast<BYTE>(48 + i * 170 / 255);
        colour.rgbBlue = static_cast<BYTE>(88 + i * 140 / 255);
        colour.rgbReserved = 0;
    }

    image.indices.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            // Coarse blotches, finer mottling and a little grain.
            const float value = 0.55f * ValueNoise(x, y, 24, 0x51a7e5U) + 0.30f * ValueNoise(x, y, 9, 0x0b1ceU) +
                                0.15f * ValueNoise(x, y, 3, 0x7a11eU);
            const int index = std::clamp(static_cast<int>(value * 255.0f + 0.5f), 0, 255);
            image.indices[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                          static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(index);
        }
    }
    return image;
}

forms::Picture MakeStartPicture()
{
    const PalettedImage texture = MakeStartTexture();
    void* bits = nullptr;
    forms::UniqueHbitmap bitmap = forms::CreateDib32(texture.width, texture.height, &bits);
    if (!bitmap || !bits)
        return {};
    auto* pixels = static_cast<RGBQUAD*>(bits);
    for (std::size_t i = 0; i < texture.indices.size(); ++i) {
        pixels[i] = texture.palette[texture.indices[i]];
        pixels[i].rgbReserved = 255;  // opaque
    }
    GdiFlush();
    return forms::Picture(std::move(bitmap), texture.width, texture.height, false);
}

}  // namespace ui
