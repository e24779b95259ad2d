#pragma once
// Views of 32-bit pixel buffers, an owning image, and the integer rules the tiling rests on.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace imaging {

// A pixel is four bytes B, G, R, A; read as a little-endian std::uint32_t it is 0xAARRGGBB.
// Rows run top to bottom, `stride` bytes apart. Alpha is straight (not premultiplied).
struct ConstPixels {
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;
    const std::uint8_t* bits = nullptr;
    // Every alpha is 255, as whoever made the pixels knows: readers skip looking.
    bool opaque = false;

    bool Empty() const { return width <= 0 || height <= 0 || !bits; }
    const std::uint8_t* Row(int y) const { return bits + y * stride; }
};

struct MutablePixels {
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;
    std::uint8_t* bits = nullptr;

    bool Empty() const { return width <= 0 || height <= 0 || !bits; }
    std::uint8_t* Row(int y) const { return bits + y * stride; }
    operator ConstPixels() const { return {width, height, stride, bits}; }
};

// An image that owns its pixels: rows packed, 0xAARRGGBB values.
struct Image32 {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    Image32() = default;
    Image32(int w, int h, std::uint32_t fill = 0)
        : width(w > 0 && h > 0 ? w : 0), height(w > 0 && h > 0 ? h : 0),
          pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill)
    {}

    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    std::uint32_t& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    ConstPixels View() const
    {
        return {width, height, std::ptrdiff_t{width} * 4, reinterpret_cast<const std::uint8_t*>(pixels.data())};
    }
    MutablePixels View()
    {
        return {width, height, std::ptrdiff_t{width} * 4, reinterpret_cast<std::uint8_t*>(pixels.data())};
    }
};

// Reads the pixel at `at` as 0xAARRGGBB (memcpy: rows need not be aligned).
inline std::uint32_t LoadPixel(const std::uint8_t* at)
{
    std::uint32_t value;
    std::memcpy(&value, at, 4);
    return value;
}
inline void StorePixel(std::uint8_t* at, std::uint32_t value)
{
    std::memcpy(at, &value, 4);
}

// Repeats the first `period` bytes of `row` until `total` bytes are filled; each copy doubles the
// filled part, so a long row takes few, long copies.
inline void RepeatPrefix(std::uint8_t* row, std::size_t period, std::size_t total)
{
    std::size_t filled = period < total ? period : total;
    while (filled < total) {
        const std::size_t step = filled < total - filled ? filled : total - filled;
        std::memcpy(row + filled, row, step);
        filled += step;
    }
}

// value modulo period in [0, period), also for negative values; 0 when period is not positive.
constexpr int Wrap(long long value, int period)
{
    if (period <= 0)
        return 0;
    const long long rest = value % period;
    return static_cast<int>(rest < 0 ? rest + period : rest);
}

// value / divisor rounded towards minus infinity (divisor positive).
constexpr long long FloorDiv(long long value, long long divisor)
{
    const long long quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

// Half a tile side, rounded down: the offset that centres a tile edge.
constexpr int HalfTile(int size)
{
    return size / 2;
}

}  // namespace imaging
