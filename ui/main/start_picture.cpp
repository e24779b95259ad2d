#include "ui/main/start_picture.h"

#include <algorithm>

namespace ui {

namespace {

// Integer hash of a lattice point, so the noise is fixed without any random generator.
std::uint32_t HashPoint(int x, int y, std::uint32_t seed)
{
    std::uint32_t h =
        seed ^ (static_cast<std::uint32_t>(x) * 0x27d4eb2dU) ^ (static_cast<std::uint32_t>(y) * 0x165667b1U);
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

// Value noise on a lattice that wraps at the picture's edges, so the tile repeats without seams.
float ValueNoise(int px, int py, int width, int height, int cell, std::uint32_t seed)
{
    const int cellsX = std::max(1, (width + cell / 2) / cell);
    const int cellsY = std::max(1, (height + cell / 2) / cell);
    const float u = static_cast<float>(px) * static_cast<float>(cellsX) / static_cast<float>(width);
    const float v = static_cast<float>(py) * static_cast<float>(cellsY) / static_cast<float>(height);
    const int cx = static_cast<int>(u);
    const int cy = static_cast<int>(v);
    const float tx = SmoothStep(u - static_cast<float>(cx));
    const float ty = SmoothStep(v - static_cast<float>(cy));
    const int x0 = cx % cellsX;
    const int x1 = (cx + 1) % cellsX;
    const int y0 = cy % cellsY;
    const int y1 = (cy + 1) % cellsY;
    const float top = LatticeValue(x0, y0, seed) * (1.0f - tx) + LatticeValue(x1, y0, seed) * tx;
    const float bottom = LatticeValue(x0, y1, seed) * (1.0f - tx) + LatticeValue(x1, y1, seed) * tx;
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
            const int w = image.width;
            const int h = image.height;
            const float value = 0.55f * ValueNoise(x, y, w, h, 24, 0x51a7e5U) +
                                0.30f * ValueNoise(x, y, w, h, 9, 0x0b1ceU) +
                                0.15f * ValueNoise(x, y, w, h, 3, 0x7a11eU);
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
