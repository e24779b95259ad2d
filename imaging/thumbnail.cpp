#include "imaging/thumbnail.h"

#include <algorithm>
#include <vector>

#include "imaging/composite.h"

namespace imaging {

namespace {

// Where one source pixel of an axis of `sourceLength` pixels goes when the axis is reduced to
// `targetLength` (not more than sourceLength): measured in 1 / targetLength of a source pixel, each
// source pixel is targetLength long and each target pixel sourceLength, so every overlap is a whole
// number and a source pixel touches at most two target pixels.
struct Share {
    int target = 0;
    std::uint64_t first = 0;   // the part in `target`
    std::uint64_t second = 0;  // the part in `target + 1`
};

std::vector<Share> SharesOf(long long sourceLength, long long targetLength)
{
    std::vector<Share> shares(static_cast<std::size_t>(sourceLength));
    for (long long s = 0; s < sourceLength; ++s) {
        const long long start = s * targetLength;
        const long long end = start + targetLength;
        const long long target = start / sourceLength;
        const long long boundary = (target + 1) * sourceLength;
        Share& share = shares[static_cast<std::size_t>(s)];
        share.target = static_cast<int>(target);
        share.first = static_cast<std::uint64_t>(std::min(end, boundary) - start);
        share.second = static_cast<std::uint64_t>(end > boundary ? end - boundary : 0);
    }
    return shares;
}

// The reduced length of an axis: the larger side of the view fits `side`, the other keeps the proportion.
int ReducedLength(long long length, long long longest, int side)
{
    if (longest <= side)
        return static_cast<int>(length);
    const long long reduced = (length * side * 2 + longest) / (longest * 2);
    return static_cast<int>(std::clamp<long long>(reduced, 1, side));
}

}  // namespace

TilePoint RepeatSource(const RepeatLayout& layout, int width, int height, int x, int y)
{
    const int column = x >= width ? 1 : 0;
    const int row = y >= height ? 1 : 0;
    const QuarterLayout& quarter = layout.quarters[row][column];
    int inX = x - column * width;
    int inY = y - row * height;
    if (quarter.mirrorX)
        inX = width - 1 - inX;
    if (quarter.mirrorY)
        inY = height - 1 - inY;
    return {Wrap(static_cast<long long>(inX) - quarter.shiftX, width),
            Wrap(static_cast<long long>(inY) - quarter.shiftY, height)};
}

Image32 RepeatThumbnail(ConstPixels tile, int side, std::uint32_t background, const RepeatLayout& layout)
{
    Image32 result(side, side, 0xFF000000u | background);
    if (side < 1 || tile.Empty())
        return result;
    const long long viewWidth = 2LL * tile.width;
    const long long viewHeight = 2LL * tile.height;
    const long long longest = std::max(viewWidth, viewHeight);
    const int outWidth = ReducedLength(viewWidth, longest, side);
    const int outHeight = ReducedLength(viewHeight, longest, side);
    const std::vector<Share> rows = SharesOf(viewHeight, outHeight);

    // Which tile column each view column shows in the upper and the lower half of the view, and which
    // tile row each view row shows in the left and the right half.
    std::vector<int> sourceX[2];
    std::vector<int> sourceY[2];
    for (int half = 0; half < 2; ++half) {
        sourceX[half].resize(static_cast<std::size_t>(viewWidth));
        for (int x = 0; x < viewWidth; ++x)
            sourceX[half][static_cast<std::size_t>(x)] =
                RepeatSource(layout, tile.width, tile.height, x, half * tile.height).x;
        sourceY[half].resize(static_cast<std::size_t>(viewHeight));
        for (int y = 0; y < viewHeight; ++y)
            sourceY[half][static_cast<std::size_t>(y)] =
                RepeatSource(layout, tile.width, tile.height, half * tile.width, y).y;
    }

    // Each target column takes view columns first to last: the inner ones whole (outWidth units each),
    // the two at its ends in part.
    struct Span {
        int first = 0;
        int last = 0;
        std::uint64_t firstPart = 0;
        std::uint64_t lastPart = 0;
    };
    std::vector<Span> spans(static_cast<std::size_t>(outWidth));
    for (int target = 0; target < outWidth; ++target) {
        const long long start = target * viewWidth;
        const long long end = start + viewWidth;
        Span& span = spans[static_cast<std::size_t>(target)];
        span.first = static_cast<int>(start / outWidth);
        span.last = static_cast<int>((end - 1) / outWidth);
        const auto part = [&](long long x) {
            return static_cast<std::uint64_t>(std::min((x + 1) * outWidth, end) - std::max(x * outWidth, start));
        };
        span.firstPart = part(span.first);
        span.lastPart = span.last > span.first ? part(span.last) : 0;
    }

    // Per target pixel and channel, the sum of colour times the overlapping area.
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(outWidth) * outHeight * 3, 0);
    std::vector<std::uint64_t> rowSums(static_cast<std::size_t>(outWidth) * 3);
    // The sums of one view row for every target column.
    const auto sumRow = [&](int y) {
        const int half = y >= tile.height ? 1 : 0;
        const std::uint8_t* const rowsShown[2] = {tile.Row(sourceY[0][static_cast<std::size_t>(y)]),
                                                  tile.Row(sourceY[1][static_cast<std::size_t>(y)])};
        const int* const columnsShown = sourceX[half].data();
        const auto colour = [&](int x) {
            const std::uint8_t* const row = rowsShown[x >= tile.width ? 1 : 0];
            const std::uint32_t pixel = LoadPixel(row + static_cast<std::ptrdiff_t>(columnsShown[x]) * 4);
            return tile.opaque || pixel >= 0xFF000000u ? pixel : CompositeOver(pixel, background);
        };
        for (int target = 0; target < outWidth; ++target) {
            const Span& span = spans[static_cast<std::size_t>(target)];
            std::uint64_t* const sum = &rowSums[static_cast<std::size_t>(target) * 3];
            // The inner columns weigh alike: summed first, weighed once.
            std::uint64_t inner[3] = {0, 0, 0};
            for (int x = span.first + 1; x < span.last; ++x) {
                const std::uint32_t pixel = colour(x);
                inner[0] += pixel & 0xFFu;
                inner[1] += (pixel >> 8) & 0xFFu;
                inner[2] += (pixel >> 16) & 0xFFu;
            }
            const std::uint32_t first = colour(span.first);
            const std::uint32_t last = span.lastPart ? colour(span.last) : 0;
            for (int channel = 0; channel < 3; ++channel) {
                const int shift = 8 * channel;
                sum[channel] = inner[channel] * static_cast<std::uint64_t>(outWidth) +
                               ((first >> shift) & 0xFFu) * span.firstPart + ((last >> shift) & 0xFFu) * span.lastPart;
            }
        }
    };
    // Adds the row's sums to the target rows it overlaps.
    const auto addRow = [&](int y) {
        const Share& share = rows[static_cast<std::size_t>(y)];
        const std::size_t rowSize = rowSums.size();
        std::uint64_t* first = &sums[static_cast<std::size_t>(share.target) * rowSize];
        for (std::size_t i = 0; i < rowSize; ++i)
            first[i] += rowSums[i] * share.first;
        if (share.second) {
            std::uint64_t* second = first + rowSize;
            for (std::size_t i = 0; i < rowSize; ++i)
                second[i] += rowSums[i] * share.second;
        }
    };
    // A lower row that shows what the upper one shows is summed once (the block: every row).
    const bool columnsAlike = sourceX[0] == sourceX[1];
    for (int y = 0; y < tile.height; ++y) {
        sumRow(y);
        addRow(y);
        const int lower = y + tile.height;
        if (!columnsAlike || sourceY[0][static_cast<std::size_t>(lower)] != sourceY[0][static_cast<std::size_t>(y)] ||
            sourceY[1][static_cast<std::size_t>(lower)] != sourceY[1][static_cast<std::size_t>(y)])
            sumRow(lower);
        addRow(lower);
    }

    // Each target pixel's area is viewWidth × viewHeight in these units; rounded to nearest.
    const std::uint64_t area = static_cast<std::uint64_t>(viewWidth) * static_cast<std::uint64_t>(viewHeight);
    const int left = (side - outWidth) / 2;
    const int top = (side - outHeight) / 2;
    for (int y = 0; y < outHeight; ++y) {
        for (int x = 0; x < outWidth; ++x) {
            const std::uint64_t* sum = &sums[(static_cast<std::size_t>(y) * outWidth + x) * 3];
            std::uint32_t pixel = 0xFF000000u;
            for (int channel = 0; channel < 3; ++channel)
                pixel |= static_cast<std::uint32_t>((sum[channel] + area / 2) / area) << (8 * channel);
            result.At(left + x, top + y) = pixel;
        }
    }
    return result;
}

RepeatLayout LayoutOf(Repeat repeat, int width, int height)
{
    RepeatLayout layout;
    switch (repeat.kind) {
    case RepeatKind::HalfDrop:
        layout.quarters[0][1].shiftY = layout.quarters[1][1].shiftY = RepeatOffset(height, repeat.n);
        break;
    case RepeatKind::HalfBrick:
        layout.quarters[1][0].shiftX = layout.quarters[1][1].shiftX = RepeatOffset(width, repeat.n);
        break;
    case RepeatKind::Mirror:
        layout.quarters[0][1].mirrorX = layout.quarters[1][1].mirrorX = true;
        layout.quarters[1][0].mirrorY = layout.quarters[1][1].mirrorY = true;
        break;
    case RepeatKind::Block: break;
    }
    return layout;
}

}  // namespace imaging
