#include "imaging/repair.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>
#include <vector>

#include <kissfft.hh>

#include "imaging/composite.h"

namespace imaging {

namespace {

using Complex = std::complex<float>;
using Fft = kissfft<float>;

constexpr std::size_t Index(int n)
{
    return static_cast<std::size_t>(n);
}

// Columns gathered at a time for the column transforms: whole cache lines of the row-major buffer.
constexpr int kColumnBlock = 8;

std::uint8_t ChannelAt(ConstPixels picture, int x, int y, int channel)
{
    return picture.Row(y)[Index(x) * 4 + channel];
}

bool IsOpaque(ConstPixels picture)
{
    if (picture.opaque)
        return true;
    for (int y = 0; y < picture.height; ++y) {
        if (!AllOpaque(picture.Row(y), picture.width))
            return false;
    }
    return true;
}

std::uint8_t RoundClamped(float value)
{
    return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

// 1 - e^(2 pi i k / n) for k in [0, n): the DFT of a jump written +d at index 0 and -d at n - 1.
std::vector<Complex> EdgeFactors(int n)
{
    std::vector<Complex> factors(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) {
        const double angle = 2.0 * std::numbers::pi * k / n;
        factors[Index(k)] = Complex(float(1.0 - std::cos(angle)), float(-std::sin(angle)));
    }
    return factors;
}

// 2 cos(2 pi k / n) - 2: one side's share of the periodic Laplacian's eigenvalue.
std::vector<float> LaplaceHalves(int n)
{
    std::vector<float> halves(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k)
        halves[Index(k)] = float(2.0 * std::cos(2.0 * std::numbers::pi * k / n) - 2.0);
    return halves;
}

// Solves for the smooth part of two channels at once (one in the real, one in the imaginary part,
// as both are real) and writes u - s of them into `out`; `second` < 0 means only `first`.
class SmoothSolver {
public:
    SmoothSolver(ConstPixels picture, const RepairProgress& progress, int passes)
        : picture_(picture), width_(picture.width), height_(picture.height), progress_(progress),
          passes_(passes), rowForward_(Index(width_), false), columnForward_(Index(height_), false),
          rowInverse_(Index(width_), true), columnInverse_(Index(height_), true),
          rowFactors_(EdgeFactors(width_)), columnFactors_(EdgeFactors(height_)),
          rowHalves_(LaplaceHalves(width_)), columnHalves_(LaplaceHalves(height_))
    {}

    bool Solve(int first, int second, Image32& out)
    {
        const auto packed = [&](int x, int y) {
            return Complex(float(ChannelAt(picture_, x, y, first)),
                           second < 0 ? 0.0f : float(ChannelAt(picture_, x, y, second)));
        };
        // The jumps across the wrap: top row minus bottom row, left column minus right column.
        std::vector<Complex> rowJump(Index(width_)), rowSpectrum(Index(width_));
        for (int x = 0; x < width_; ++x)
            rowJump[Index(x)] = packed(x, height_ - 1) - packed(x, 0);
        std::vector<Complex> columnJump(Index(height_)), columnSpectrum(Index(height_));
        for (int y = 0; y < height_; ++y)
            columnJump[Index(y)] = packed(width_ - 1, y) - packed(0, y);
        rowForward_.transform(rowJump.data(), rowSpectrum.data());
        columnForward_.transform(columnJump.data(), columnSpectrum.data());

        // S = V / eigenvalue, each row of it brought back along x at once.
        const std::size_t w = Index(width_);
        buffer_.resize(w * Index(height_));
        std::vector<Complex> row(w);
        for (int q = 0; q < height_; ++q) {
            for (int r = 0; r < width_; ++r) {
                const float eigen = columnHalves_[Index(q)] + rowHalves_[Index(r)];
                const Complex v = rowSpectrum[Index(r)] * columnFactors_[Index(q)] +
                                  columnSpectrum[Index(q)] * rowFactors_[Index(r)];
                row[Index(r)] = (q == 0 && r == 0) ? Complex() : v / eigen;
            }
            rowInverse_.transform(row.data(), buffer_.data() + Index(q) * w);
            if (((q + 1) % 32 == 0 || q + 1 == height_) && !Report(q + 1))
                return false;
        }

        // Then along y, a block of columns gathered at a time, straight into the result.
        const float scale = 1.0f / (float(width_) * float(height_));
        std::array<std::vector<Complex>, kColumnBlock> gathered;
        for (auto& column : gathered)
            column.resize(Index(height_));
        std::vector<Complex> column(Index(height_));
        for (int x0 = 0; x0 < width_; x0 += kColumnBlock) {
            const int count = std::min(kColumnBlock, width_ - x0);
            for (int y = 0; y < height_; ++y) {
                const Complex* source = buffer_.data() + Index(y) * w + Index(x0);
                for (int k = 0; k < count; ++k)
                    gathered[Index(k)][Index(y)] = source[k];
            }
            for (int k = 0; k < count; ++k) {
                columnInverse_.transform(gathered[Index(k)].data(), column.data());
                const int x = x0 + k;
                for (int y = 0; y < height_; ++y) {
                    const Complex s = column[Index(y)] * scale;
                    auto* pixel = reinterpret_cast<std::uint8_t*>(&out.At(x, y));
                    pixel[first] = RoundClamped(float(ChannelAt(picture_, x, y, first)) - s.real());
                    if (second >= 0)
                        pixel[second] = RoundClamped(float(ChannelAt(picture_, x, y, second)) - s.imag());
                }
            }
            if (!Report(height_ + x0 + count))
                return false;
        }
        ++pass_;
        return true;
    }

private:
    bool Report(int stepsInPass)
    {
        if (!progress_)
            return true;
        const double perPass = double(width_) + double(height_);
        return progress_((pass_ * perPass + stepsInPass) / (passes_ * perPass));
    }

    ConstPixels picture_;
    int width_;
    int height_;
    const RepairProgress& progress_;
    int passes_;
    int pass_ = 0;
    Fft rowForward_, columnForward_, rowInverse_, columnInverse_;
    std::vector<Complex> rowFactors_, columnFactors_;
    std::vector<float> rowHalves_, columnHalves_;
    std::vector<Complex> buffer_;
};

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

bool CanRepair(int width, int height, RepairMethod method)
{
    if (width <= 0 || height <= 0)
        return false;
    return method == RepairMethod::MatchEdges || std::min(width, height) >= 2 * kMinOverlap;
}

std::optional<Image32> PeriodicComponent(ConstPixels picture, const RepairProgress& progress)
{
    if (picture.Empty())
        return std::nullopt;
    Image32 out(picture.width, picture.height, 0xFF000000u);
    // Blue with green, then red with alpha; an opaque picture keeps its alpha of 255.
    const bool opaque = IsOpaque(picture);
    SmoothSolver solver(picture, progress, 2);
    if (!solver.Solve(0, 1, out) || !solver.Solve(2, opaque ? -1 : 3, out))
        return std::nullopt;
    return out;
}

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

std::optional<Image32> Repair(ConstPixels picture, RepairMethod method, int overlap, const RepairProgress& progress)
{
    if (!CanRepair(picture.width, picture.height, method))
        return std::nullopt;
    std::optional<Image32> periodic = PeriodicComponent(picture, progress);
    if (!periodic || method == RepairMethod::MatchEdges)
        return periodic;
    return OverlapCut(periodic->View(), overlap);
}

}  // namespace imaging
