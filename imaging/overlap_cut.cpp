#include "imaging/repair.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

// The overlap cut: the right band laid over the left one and the bottom over the top, joined where
// they differ least.

namespace imaging {

namespace {

constexpr std::size_t Index(int n)
{
    return static_cast<std::size_t>(n);
}

std::uint32_t Average(std::uint32_t a, std::uint32_t b)
{
    std::uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8)
        result |= ((((a >> shift) & 0xFFu) + ((b >> shift) & 0xFFu) + 1) / 2) << shift;
    return result;
}

std::int64_t Difference(std::uint32_t a, std::uint32_t b)
{
    std::int64_t sum = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::int64_t d = std::int64_t((a >> shift) & 0xFFu) - std::int64_t((b >> shift) & 0xFFu);
        sum += d * d;
    }
    return sum;
}

// For each row, the band column where the right band (left of it) gives way to the left band: the
// top-to-bottom path of least squared difference, one column step at most per row, never on the
// band's first or last column where the band has room for that. The path ends within a step of where
// it starts, so the cut picture also continues where its last row meets its first.
std::vector<int> CheapestPath(const Image32& picture, int band)
{
    const int width = picture.width;
    const int height = picture.height;
    const int low = band > 2 ? 1 : band - 1;
    const int high = band > 2 ? band - 2 : band - 1;
    const std::size_t span = Index(band);
    constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::max() / 4;
    std::vector<std::int64_t> cost(span * Index(height));
    for (int y = 0; y < height; ++y)
        for (int k = low; k <= high; ++k)
            cost[Index(y) * span + Index(k)] = Difference(picture.At(width - band + k, y), picture.At(k, y));

    std::vector<int> best;
    std::int64_t bestTotal = kNone;
    std::vector<std::int64_t> total(span * Index(height));
    for (int start = low; start <= high; ++start) {
        for (int k = low; k <= high; ++k)
            total[Index(k)] = k == start ? cost[Index(k)] : kNone;
        for (int y = 1; y < height; ++y) {
            for (int k = low; k <= high; ++k) {
                std::int64_t cheapest = kNone;
                for (int from = std::max(low, k - 1); from <= std::min(high, k + 1); ++from)
                    cheapest = std::min(cheapest, total[Index(y - 1) * span + Index(from)]);
                total[Index(y) * span + Index(k)] = cheapest + cost[Index(y) * span + Index(k)];
            }
        }
        int at = -1;
        for (int k = std::max(low, start - 1); k <= std::min(high, start + 1); ++k) {
            if (total[Index(height - 1) * span + Index(k)] < bestTotal) {
                bestTotal = total[Index(height - 1) * span + Index(k)];
                at = k;
            }
        }
        if (at < 0)
            continue;
        best.assign(Index(height), at);
        for (int y = height - 1; y > 0; --y) {
            int next = std::max(low, at - 1);
            for (int from = next; from <= std::min(high, at + 1); ++from) {
                if (total[Index(y - 1) * span + Index(from)] < total[Index(y - 1) * span + Index(next)])
                    next = from;
            }
            at = next;
            best[Index(y - 1)] = at;
        }
    }
    return best;
}

// The horizontal half of the cut: W - band columns, the seam feathered over its own pixel.
Image32 CutColumns(const Image32& picture, int band)
{
    const std::vector<int> path = CheapestPath(picture, band);
    Image32 out(picture.width - band, picture.height);
    for (int y = 0; y < out.height; ++y) {
        const int cut = path[Index(y)];
        for (int x = 0; x < out.width; ++x) {
            const std::uint32_t left = picture.At(x, y);
            if (x >= band || x > cut)
                out.At(x, y) = left;
            else if (x < cut)
                out.At(x, y) = picture.At(picture.width - band + x, y);
            else
                out.At(x, y) = Average(picture.At(picture.width - band + x, y), left);
        }
    }
    return out;
}

Image32 Transposed(const Image32& picture)
{
    Image32 out(picture.height, picture.width);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x)
            out.At(y, x) = picture.At(x, y);
    }
    return out;
}

// steps[x]: the summed colour step between columns x - 1 and x (x = 0: the last and the first).
std::vector<double> ColumnSteps(const Image32& picture)
{
    std::vector<double> steps(Index(picture.width));
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t a = picture.At(x, y);
            const std::uint32_t b = picture.At(x > 0 ? x - 1 : picture.width - 1, y);
            for (int shift = 0; shift < 24; shift += 8)
                steps[Index(x)] += std::abs(int((a >> shift) & 0xFFu) - int((b >> shift) & 0xFFu));
        }
    }
    return steps;
}

// The column to start the tile at: 0 or one right of the joined band, whose step is nearest the mean.
int QuietWrap(const std::vector<double>& steps, int band)
{
    double mean = 0.0;
    for (double step : steps)
        mean += step;
    mean /= double(steps.size());
    int best = 0;
    for (int x = band + 1; x < int(steps.size()); ++x) {
        if (std::abs(steps[Index(x)] - mean) < std::abs(steps[Index(best)] - mean))
            best = x;
    }
    return best;
}

Image32 Copy(ConstPixels picture)
{
    Image32 out(picture.width, picture.height);
    for (int y = 0; y < out.height; ++y)
        std::memcpy(&out.At(0, y), picture.Row(y), Index(out.width) * 4);
    return out;
}

}  // namespace

Image32 OverlapCut(ConstPixels picture, int overlap)
{
    if (!CanRepair(picture.width, picture.height, RepairMethod::CutOverlap))
        return Copy(picture);
    const int band = std::clamp(overlap, kMinOverlap, MaxOverlap(picture.width, picture.height));
    const Image32 cut = Transposed(CutColumns(Transposed(CutColumns(Copy(picture), band)), band));
    // Any roll of the cut is the same tile; its corner goes where the wrapped steps are like the
    // picture's own (between two JPEG blocks rather than on their border, off a sharp line).
    const int rollX = QuietWrap(ColumnSteps(cut), band);
    const int rollY = QuietWrap(ColumnSteps(Transposed(cut)), band);
    Image32 rolled(cut.width, cut.height);
    for (int y = 0; y < cut.height; ++y)
        for (int x = 0; x < cut.width; ++x)
            rolled.At(x, y) = cut.At((x + rollX) % cut.width, (y + rollY) % cut.height);
    return rolled;
}

}  // namespace imaging
