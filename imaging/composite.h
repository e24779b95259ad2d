#pragma once
// Straight-alpha pixels laid over a solid background colour.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace imaging {

// Background colours are 0x00RRGGBB (blue in the low byte, like a pixel), not a COLORREF.
constexpr std::uint32_t FromColorref(std::uint32_t colorref)
{
    return ((colorref & 0xFFu) << 16) | (colorref & 0xFF00u) | ((colorref >> 16) & 0xFFu);
}

// x / 255 rounded to nearest, exact for 0 <= x <= 255 * 255.
constexpr std::uint32_t Div255(std::uint32_t x)
{
    return (x + 128 + ((x + 128) >> 8)) >> 8;
}

// The opaque colour (alpha 255) of `pixel` (0xAARRGGBB, straight alpha) laid over `background`;
// each channel is (c * a + b * (255 - a)) / 255 rounded to nearest.
inline std::uint32_t CompositeOver(std::uint32_t pixel, std::uint32_t background)
{
    const std::uint32_t alpha = pixel >> 24;
    if (alpha == 255)
        return pixel;
    const std::uint32_t rest = 255 - alpha;
    std::uint32_t result = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8)
        result |= Div255(((pixel >> shift) & 0xFFu) * alpha + ((background >> shift) & 0xFFu) * rest) << shift;
    return result;
}

// CompositeOver for `count` pixels from `source` to `out` (which may be the same), four at a time
// with SSE2 where there is SSE2.
void CompositeRow(const std::uint8_t* source, std::uint8_t* out, int count, std::uint32_t background);

// Whether all `count` pixels from `source` have alpha 255; two pixels a step.
inline bool AllOpaque(const std::uint8_t* source, int count)
{
    std::uint64_t alphas = ~std::uint64_t{0};
    int i = 0;
    for (; i + 2 <= count; i += 2) {
        std::uint64_t pair;
        std::memcpy(&pair, source + static_cast<std::size_t>(i) * 4, 8);
        alphas &= pair;
    }
    std::uint64_t alpha = (alphas >> 24) & (alphas >> 56) & 0xFF;
    for (; i < count; ++i)
        alpha &= source[static_cast<std::size_t>(i) * 4 + 3];
    return alpha == 0xFF;
}

}  // namespace imaging
