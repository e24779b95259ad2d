#include "imaging/repeat.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <numeric>

#if defined(_M_X64) || defined(__SSE2__)
#include <emmintrin.h>
#include <intrin.h>
#define QUADRINO_REPEAT_SSE2 1
#endif

namespace imaging {

namespace {

// Copies `count` pixels ending at `last` (inclusive) to `out` in reverse order: a mirrored run.
void CopyReversed(const std::uint8_t* last, int count, std::uint8_t* out)
{
    int i = 0;
#ifdef QUADRINO_REPEAT_SSE2
    for (; i + 4 <= count; i += 4) {
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(last - std::size_t(i + 3) * 4));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + std::size_t(i) * 4), _mm_shuffle_epi32(four, 0x1B));
    }
#endif
    for (; i < count; ++i)
        std::memcpy(out + std::size_t(i) * 4, last - std::size_t(i) * 4, 4);
}

// Copies a run of tile pixels. A long run of a large tile comes from memory rather than the cache: the
// processor's string copy keeps more reads in flight than the runtime's memcpy (as in the view).
void CopyRun(std::uint8_t* out, const std::uint8_t* source, std::size_t bytes)
{
#ifdef QUADRINO_REPEAT_SSE2
    if (bytes >= 1024) {
        __movsb(out, source, bytes);
        return;
    }
#endif
    std::memcpy(out, source, bytes);
}

// Plane row `y` from plane column `left` on, `count` pixels, to `out`.
void BuildRow(ConstPixels tile, Repeat repeat, int offset, long long left, long long y, int count, std::uint8_t* out)
{
    const int w = tile.width;
    const int h = tile.height;
    const long long band = FloorDiv(y, h);  // the row of tiles
    int ty = Wrap(y, h);
    if (repeat.kind == RepeatKind::Mirror && (band & 1) != 0)
        ty = h - 1 - ty;
    // A half-brick's row of tiles is the block's, moved right by band * offset.
    const long long shift = repeat.kind == RepeatKind::HalfBrick ? band * offset : 0;
    for (long long x = left - shift; count > 0;) {
        const long long column = FloorDiv(x, w);
        const int tx = Wrap(x, w);
        const int run = std::min(w - tx, count);
        if (repeat.kind == RepeatKind::HalfDrop) {
            // Column of tiles `column` is moved down by column * offset.
            const std::uint8_t* row = tile.Row(Wrap(y - column * offset, h));
            CopyRun(out, row + std::size_t(tx) * 4, std::size_t(run) * 4);
        } else if (repeat.kind == RepeatKind::Mirror && (column & 1) != 0) {
            CopyReversed(tile.Row(ty) + std::size_t(w - 1 - tx) * 4, run, out);
        } else {
            CopyRun(out, tile.Row(ty) + std::size_t(tx) * 4, std::size_t(run) * 4);
        }
        out += std::size_t(run) * 4;
        count -= run;
        x += run;
    }
}

int OffsetFor(int tileWidth, int tileHeight, Repeat repeat)
{
    switch (repeat.kind) {
    case RepeatKind::HalfDrop: return RepeatOffset(tileHeight, repeat.n);
    case RepeatKind::HalfBrick: return RepeatOffset(tileWidth, repeat.n);
    default: return 0;
    }
}

}  // namespace

int RepeatOffset(int side, int n)
{
    if (side <= 0 || n <= 0)
        return 0;
    return static_cast<int>((2LL * side + n) / (2LL * n));
}

RepeatSize RepeatUnitSize(int tileWidth, int tileHeight, Repeat repeat)
{
    if (tileWidth <= 0 || tileHeight <= 0)
        return {};
    const long long w = tileWidth;
    const long long h = tileHeight;
    const int offset = OffsetFor(tileWidth, tileHeight, repeat);
    switch (repeat.kind) {
    case RepeatKind::HalfDrop: return {h / std::gcd(tileHeight, offset) * w, h};
    case RepeatKind::HalfBrick: return {w, w / std::gcd(tileWidth, offset) * h};
    case RepeatKind::Mirror: return {2 * w, 2 * h};
    case RepeatKind::Block: break;
    }
    return {w, h};
}

RepeatSize RepeatPeriods(int tileWidth, int tileHeight, Repeat repeat)
{
    const RepeatSize unit = RepeatUnitSize(tileWidth, tileHeight, repeat);
    // Each column of a half-drop repeats after a tile's height; each row of a half-brick after its width.
    switch (repeat.kind) {
    case RepeatKind::HalfDrop: return {unit.width, tileHeight};
    case RepeatKind::HalfBrick: return {tileWidth, unit.height};
    default: return unit;
    }
}

void RepeatRegion(ConstPixels tile, Repeat repeat, long long left, long long top, MutablePixels target)
{
    if (tile.Empty() || target.Empty())
        return;
    const int offset = OffsetFor(tile.width, tile.height, repeat);
    const RepeatSize period = RepeatPeriods(tile.width, tile.height, repeat);
    // One period of each row is built, then doubled along the row; rows repeat after period.height.
    const int built = static_cast<int>(std::min<long long>(period.width, target.width));
    const int builtRows = static_cast<int>(std::min<long long>(period.height, target.height));
    const std::size_t rowBytes = std::size_t(target.width) * 4;
    if (repeat.kind == RepeatKind::HalfDrop && builtRows == tile.height && built > tile.width) {
        // A half-drop row is the row `offset` above it moved right by a tile: following that chain
        // through the rows, each is one tile's run and one copy, however narrow the tile.
        const int step = Wrap(offset, tile.height);
        const int chains = std::gcd(tile.height, step);
        const std::size_t tileBytes = std::size_t(tile.width) * 4;
        for (int first = 0; first < chains; ++first) {
            BuildRow(tile, repeat, offset, left, top + first, built, target.Row(first));
            for (int y = Wrap(first + step, tile.height), above = first; y != first;
                 above = y, y = Wrap(static_cast<long long>(y) + step, tile.height)) {
                BuildRow(tile, repeat, offset, left, top + y, tile.width, target.Row(y));
                std::memcpy(target.Row(y) + tileBytes, target.Row(above), std::size_t(built) * 4 - tileBytes);
            }
        }
    } else {
        for (int y = 0; y < builtRows; ++y)
            BuildRow(tile, repeat, offset, left, top + y, built, target.Row(y));
    }
    for (int y = 0; y < builtRows; ++y)
        RepeatPrefix(target.Row(y), std::size_t(built) * 4, rowBytes);
    for (int y = builtRows; y < target.height; ++y)
        std::memcpy(target.Row(y), target.Row(y - builtRows), rowBytes);
}

Image32 RepeatUnit(ConstPixels tile, Repeat repeat, int maxSide)
{
    const RepeatSize size = RepeatUnitSize(tile.width, tile.height, repeat);
    if (tile.Empty() || size.width > maxSide || size.height > maxSide)
        return {};
    Image32 unit;
    try {
        unit = Image32(static_cast<int>(size.width), static_cast<int>(size.height));
    } catch (const std::bad_alloc&) {
        return {};
    }
    RepeatRegion(tile, repeat, 0, 0, unit.View());
    return unit;
}

std::wstring RepeatName(Repeat repeat)
{
    const std::wstring fraction = L" 1/" + std::to_wstring(repeat.n);
    switch (repeat.kind) {
    case RepeatKind::HalfDrop: return L"Halbversatz" + fraction;
    case RepeatKind::HalfBrick: return L"Ziegel" + fraction;
    case RepeatKind::Mirror: return L"Gespiegelt";
    case RepeatKind::Block: break;
    }
    return L"Block";
}

}  // namespace imaging
