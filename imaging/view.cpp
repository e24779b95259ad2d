#include "imaging/view.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

#include "imaging/composite.h"

#if defined(_M_X64) || defined(__SSE2__)
#include <emmintrin.h>
#include <intrin.h>
#define QUADRINO_STREAMING_STORES 1
#endif

namespace imaging {

namespace {

constexpr int kMaxEnlargement = 64;
// 16 x 16 channel values of 255 still fit the 16-bit lanes the averaging sums in.
constexpr int kMaxReduction = 16;

std::size_t RowBytes(const MutablePixels& target)
{
    return static_cast<std::size_t>(target.width) * 4;
}

void FillRow(std::uint8_t* row, int width, std::uint32_t value)
{
    for (int x = 0; x < width; ++x)
        StorePixel(row + std::size_t(x) * 4, value);
}

// A view larger than this does not stay in the cache while the paint writes the screen.
constexpr std::size_t kStreamFromBytes = std::size_t(8) << 20;

bool Streams(const MutablePixels& target)
{
    return RowBytes(target) * std::size_t(target.height) >= kStreamFromBytes;
}

// Copies a row of the view. A large view is read back from memory by the paint anyway: streaming
// stores skip loading the target into the cache first, which costs about as much as the write itself.
void WriteRow(std::uint8_t* out, const std::uint8_t* source, std::size_t bytes, bool stream)
{
#ifdef QUADRINO_STREAMING_STORES
    std::size_t done = 0;
    if (stream && (reinterpret_cast<std::uintptr_t>(out) & 3) == 0) {
        for (; done + 4 <= bytes && (reinterpret_cast<std::uintptr_t>(out + done) & 15) != 0; done += 4)
            std::memcpy(out + done, source + done, 4);
        for (; done + 16 <= bytes; done += 16)
            _mm_stream_si128(reinterpret_cast<__m128i*>(out + done),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + done)));
    }
    std::memcpy(out + done, source + done, bytes - done);
#else
    (void)stream;
    std::memcpy(out, source, bytes);
#endif
}

// Streaming stores must be ordered before anyone else reads the pixels.
void FinishStreaming()
{
#ifdef QUADRINO_STREAMING_STORES
    _mm_sfence();
#endif
}

// Repeats the first `blockWidth` pixels of each of the first `blockHeight` rows across the row,
// then those rows down the target; doubling keeps the copies few and long.
void Replicate(MutablePixels target, int blockWidth, int blockHeight)
{
    const std::size_t rowBytes = RowBytes(target);
    for (int y = 0; y < blockHeight; ++y)
        RepeatPrefix(target.Row(y), std::size_t(blockWidth) * 4, rowBytes);
    const bool stream = Streams(target);
    for (int y = blockHeight; y < target.height; ++y)
        WriteRow(target.Row(y), target.Row(y - blockHeight), rowBytes, stream);
}

// Copies pixels read from memory rather than the cache: the processor's string copy keeps more
// reads in flight than the runtime's memcpy, about half again as fast on a large picture.
void CopyFromMemory(std::uint8_t* out, const std::uint8_t* source, std::size_t bytes)
{
#ifdef QUADRINO_STREAMING_STORES
    if (bytes >= 1024) {
        __movsb(out, source, bytes);
        return;
    }
#endif
    std::memcpy(out, source, bytes);
}

// Copies `count` tile pixels to `out` composited; plain copies for opaque runs.
void CopyComposited(const std::uint8_t* source, int count, bool opaque, std::uint32_t background, std::uint8_t* out)
{
    if (opaque || AllOpaque(source, count))
        CopyFromMemory(out, source, std::size_t(count) * 4);
    else
        CompositeRow(source, out, count, background);
}

// Writes each of `count` pixels `K` times.
template <int K>
void Repeat(const std::uint8_t* in, int count, std::uint8_t* out)
{
    static_assert(K == 2 || K % 4 == 0, "four pixels a step fill whole 16-byte stores only for these");
    int i = 0;
#ifdef QUADRINO_STREAMING_STORES
    // Four pixels a step, in whole 16-byte stores: the enlarged rows are written as fast as a copy.
    for (; i + 4 <= count; i += 4) {
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + std::size_t(i) * 4));
        std::uint8_t* at = out + std::size_t(i) * K * 4;
        if constexpr (K == 2) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(at), _mm_unpacklo_epi32(four, four));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(at + 16), _mm_unpackhi_epi32(four, four));
        } else {
            const __m128i spread[4] = {_mm_shuffle_epi32(four, 0x00), _mm_shuffle_epi32(four, 0x55),
                                       _mm_shuffle_epi32(four, 0xAA), _mm_shuffle_epi32(four, 0xFF)};
            for (int p = 0; p < 4; ++p)
                for (int j = 0; j < K; j += 4)
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(at + (std::size_t(p) * K + j) * 4), spread[p]);
        }
    }
#endif
    for (; i < count; ++i) {
        const std::uint32_t pixel = LoadPixel(in + std::size_t(i) * 4);
        for (int j = 0; j < K; ++j)
            StorePixel(out + (std::size_t(i) * K + j) * 4, pixel);
    }
}

void RepeatEach(const std::uint8_t* in, int count, int k, std::uint8_t* out)
{
    switch (k) {
    case 2: Repeat<2>(in, count, out); return;
    case 4: Repeat<4>(in, count, out); return;
    case 8: Repeat<8>(in, count, out); return;
    default: break;
    }
    for (int i = 0; i < count; ++i) {
        const std::uint32_t pixel = LoadPixel(in + std::size_t(i) * 4);
        for (int j = 0; j < k; ++j)
            StorePixel(out + (std::size_t(i) * k + j) * 4, pixel);
    }
}

// The `count` tile pixels from column `tx` on, wrapping at the tile's width, composited, to `out`.
void GatherRow(const std::uint8_t* source, int tileWidth, bool opaque, int tx, int count, std::uint32_t background,
               std::uint8_t* out)
{
    for (int done = 0; done < count; tx = 0) {
        const int run = std::min(tileWidth - tx, count - done);
        CopyComposited(source + std::size_t(tx) * 4, run, opaque, background, out + std::size_t(done) * 4);
        done += run;
    }
}

// One screen row of `count` pixels when enlarging by k, written to `out` and not one pixel further.
// `squares` has room for count / k + 2 tile pixels (unused when k is 1).
void EnlargeRow(const std::uint8_t* source, int tileWidth, bool opaque, int k, int originX, int count,
                std::uint32_t background, std::uint8_t* squares, std::uint8_t* out)
{
    const long long offset = -static_cast<long long>(originX);  // screen x 0 relative to a tile corner
    const long long column = FloorDiv(offset, k);
    const int tx = Wrap(column, tileWidth);
    if (k == 1) {
        GatherRow(source, tileWidth, opaque, tx, count, background, out);
        return;
    }
    const int skip = static_cast<int>(offset - column * k);  // part of the first square left of the screen
    const int needed = (skip + count + k - 1) / k;
    GatherRow(source, tileWidth, opaque, tx, needed, background, squares);
    // The first square is cut by the left edge, the last one perhaps by the right.
    const int head = std::min(k - skip, count);
    const std::uint32_t first = LoadPixel(squares);
    for (int x = 0; x < head; ++x)
        StorePixel(out + std::size_t(x) * 4, first);
    const int whole = (count - head) / k;
    RepeatEach(squares + 4, whole, k, out + std::size_t(head) * 4);
    const int done = head + whole * k;
    if (done < count) {
        const std::uint32_t last = LoadPixel(squares + std::size_t(1 + whole) * 4);
        for (int x = done; x < count; ++x)
            StorePixel(out + std::size_t(x) * 4, last);
    }
}

void RenderEnlarged(ConstPixels tile, MutablePixels target, ViewParams params, int k, std::uint32_t background)
{
    const int blockWidth = static_cast<int>(std::min(target.width * 1LL, tile.width * 1LL * k));
    const int blockHeight = static_cast<int>(std::min(target.height * 1LL, tile.height * 1LL * k));
    const std::size_t rowBytes = RowBytes(target);
    const bool stream = Streams(target);
    std::vector<std::uint8_t> squares(k == 1 ? 0 : (std::size_t(blockWidth) / k + 2) * 4);
    // A view that stays in the cache is drawn where it goes; a large one is drawn aside once per
    // picture row and streamed out, so the paint does not find it in the cache for nothing.
    std::vector<std::uint8_t> aside(stream ? rowBytes : 0);
    const std::uint8_t* row = nullptr;
    int previousRow = -1;
    for (int sy = 0; sy < blockHeight; ++sy) {
        const int ty = Wrap(FloorDiv(static_cast<long long>(sy) - params.originY, k), tile.height);
        std::uint8_t* const out = target.Row(sy);
        // Each picture row is enlarged once; the other rows of its squares are copies of it.
        if (ty != previousRow) {
            previousRow = ty;
            std::uint8_t* const drawn = stream ? aside.data() : out;
            EnlargeRow(tile.Row(ty), tile.width, tile.opaque, k, params.originX, blockWidth, background, squares.data(),
                       drawn);
            RepeatPrefix(drawn, std::size_t(blockWidth) * 4, rowBytes);
            row = drawn;
            if (!stream)
                continue;
        }
        WriteRow(out, row, rowBytes, stream);
    }
    for (int sy = blockHeight; sy < target.height; ++sy)
        WriteRow(target.Row(sy), target.Row(sy - blockHeight), rowBytes, stream);
}

// Per-column channel sums, two 16-bit lanes a word: blue and red in one, green and (unused) alpha
// in the other; 16 x 16 values of 255 still fit a lane.
struct LaneSums {
    std::vector<std::uint32_t> blueRed;
    std::vector<std::uint32_t> green;
    explicit LaneSums(std::size_t size) : blueRed(size), green(size) {}
};

void AddPixels(const std::uint8_t* source, int count, LaneSums& sums, int at)
{
    std::uint32_t* blueRed = sums.blueRed.data() + at;
    std::uint32_t* green = sums.green.data() + at;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t pixel = LoadPixel(source + std::size_t(i) * 4);
        blueRed[i] += pixel & 0x00FF00FFu;
        green[i] += (pixel >> 8) & 0x00FF00FFu;
    }
}

void RenderReduced(ConstPixels tile, MutablePixels target, ViewParams params, int k, std::uint32_t background)
{
    const int w = tile.width;
    // Screen columns repeat once k * columns is a whole number of tile widths; rows likewise.
    const int blockWidth = std::min(target.width, w / std::gcd(w, k));
    const int blockHeight = std::min(target.height, tile.height / std::gcd(tile.height, k));
    // Screen x 0 averages from plane column `start`; the block needs `columns` distinct ones.
    const int start = Wrap(-static_cast<long long>(params.originX) * k, w);
    const int columns = static_cast<int>(std::min<long long>(static_cast<long long>(blockWidth) * k, w));

    const int area = k * k;
    std::vector<std::uint8_t> average(std::size_t(255) * area + 1);
    for (std::size_t sum = 0; sum < average.size(); ++sum)
        average[sum] = static_cast<std::uint8_t>((sum + area / 2) / area);

    // Column sums over the k plane rows of one screen row, at plane columns start, start + 1, ...;
    // when they span the whole tile, k - 1 wrapped entries follow, so no window wraps on its own.
    LaneSums sums(std::size_t(columns) + k - 1);
    std::vector<std::uint8_t> composited(std::size_t(w) * 4);
    for (int sy = 0; sy < blockHeight; ++sy) {
        std::fill(sums.blueRed.begin(), sums.blueRed.end(), 0u);
        std::fill(sums.green.begin(), sums.green.end(), 0u);
        const long long planeY = (static_cast<long long>(sy) - params.originY) * k;
        for (int i = 0; i < k; ++i) {
            const std::uint8_t* row = tile.Row(Wrap(planeY + i, tile.height));
            for (int done = 0, tx = start; done < columns; tx = 0) {
                const int run = std::min(w - tx, columns - done);
                const std::uint8_t* pixels = row + std::size_t(tx) * 4;
                if (!tile.opaque && !AllOpaque(pixels, run)) {
                    CompositeRow(pixels, composited.data(), run, background);
                    pixels = composited.data();
                }
                AddPixels(pixels, run, sums, done);
                done += run;
            }
        }
        for (int i = columns; columns == w && i < columns + k - 1; ++i) {
            sums.blueRed[i] = sums.blueRed[i - w];
            sums.green[i] = sums.green[i - w];
        }
        std::uint8_t* out = target.Row(sy);
        for (int sx = 0, at = 0; sx < blockWidth; ++sx) {
            std::uint32_t blueRed = 0;
            std::uint32_t green = 0;
            for (int j = 0; j < k; ++j) {
                blueRed += sums.blueRed[at + j];
                green += sums.green[at + j];
            }
            StorePixel(out + std::size_t(sx) * 4, 0xFF000000u | (std::uint32_t{average[blueRed >> 16]} << 16) |
                                                      (std::uint32_t{average[green & 0xFFFFu]} << 8) |
                                                      average[blueRed & 0xFFFFu]);
            for (at += k; at >= w;)  // cheaper than a division per pixel
                at -= w;
        }
    }
    Replicate(target, blockWidth, blockHeight);
}

}  // namespace

std::optional<ZoomStep> StepOf(int zoomPercent)
{
    if (zoomPercent >= 100 && zoomPercent % 100 == 0 && zoomPercent / 100 <= kMaxEnlargement)
        return ZoomStep{zoomPercent / 100, false};
    if (zoomPercent > 0 && zoomPercent < 100 && 100 % zoomPercent == 0 && 100 / zoomPercent <= kMaxReduction)
        return ZoomStep{100 / zoomPercent, true};
    return std::nullopt;
}

long long ViewPeriod(int tileSide, int zoomPercent)
{
    const std::optional<ZoomStep> step = StepOf(zoomPercent);
    if (tileSide <= 0 || !step)
        return 0;
    // Reducing: screen x shows plane column x * k, which repeats once x * k is a multiple of the side.
    return step->reduces ? tileSide / std::gcd(tileSide, step->factor)
                         : static_cast<long long>(tileSide) * step->factor;
}

void RenderView(ConstPixels tile, MutablePixels target, ViewParams params, std::uint32_t background)
{
    if (target.Empty())
        return;
    const std::optional<ZoomStep> step = StepOf(params.zoomPercent);
    if (tile.Empty() || !step) {
        FillRow(target.Row(0), target.width, background | 0xFF000000u);
        Replicate(target, target.width, 1);
        FinishStreaming();
        return;
    }
    if (step->reduces)
        RenderReduced(tile, target, params, step->factor, background);
    else
        RenderEnlarged(tile, target, params, step->factor, background);
    FinishStreaming();
}

}  // namespace imaging
