#include "imaging/repair.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <functional>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>
#include <utility>
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

// The wrap's mean step the repair aims at, against the inside's, with room for what the estimate
// leaves out; and the boosts tried, up to solving the rest three times more.
constexpr double kWrapGoal = 0.9;
constexpr double kMaxBoost = 3.0;
constexpr int kBoostParts = 60;

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
    // Clamped first, so that adding a half and cutting off rounds to nearest.
    return static_cast<std::uint8_t>(int(std::clamp(value, 0.0f, 255.0f) + 0.5f));
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

// The jumps across the wrap of two channels packed as one complex number (the first channel real,
// the second imaginary): the bottom row minus the top row, the right column minus the left column.
struct Jumps {
    std::vector<Complex> rows;     // W values
    std::vector<Complex> columns;  // H values
};

// Where a channel of the result would leave 0 to 255, a smooth lift of zero mean (bilinear over a grid
// of 16-pixel cells, wrapping around like the tile) moves that part of the picture back into the range
// instead of the clamp flattening it: the detail stays, the mean colour too.
class RangeLift {
public:
    RangeLift(int width, int height)
        : width_(width), height_(height), columns_(std::max(1, (width + kCell / 2) / kCell)),
          rows_(std::max(1, (height + kCell / 2) / kCell)), lift_(Index(columns_) * Index(rows_)),
          rowLift_(Index(width)), across_(Index(width)), down_(Index(height))
    {
        for (int x = 0; x < width; ++x)
            across_[Index(x)] = Between(x, width, columns_);
        for (int y = 0; y < height; ++y)
            down_[Index(y)] = Between(y, height, rows_);
    }

    // Finds the lift for a channel whose value at (x, y) `valueAt` gives; `stopped` is asked between
    // steps. Large pictures are sampled at up to every eighth pixel each way: the lift is smooth anyway.
    template <typename ValueAt, typename Stopped>
    bool Fit(const ValueAt& valueAt, const Stopped& stopped)
    {
        const int every = std::clamp(std::min(width_, height_) / 128, 1, 8);
        std::vector<Candidate> samples;
        float overshoot = 0.0f;
        for (int y = every / 2; y < height_; y += every) {
            for (int x = every / 2; x < width_; x += every) {
                const float value = valueAt(x, y);
                overshoot = std::max(overshoot, Overshoot(value));
                samples.push_back({x, y, value});
            }
        }
        if (overshoot <= 0.0f)
            return true;
        // Never more than twice what the picture overshoots: a step cannot run away.
        limit_ = 2.0f * overshoot + 8.0f;
        cellWeight_ = double(every) * every * double(columns_) * rows_ / (double(width_) * height_);
        for (int step = 0; step < kSteps; ++step) {
            if (stopped())
                return false;
            if (!Step(samples))
                break;
        }
        return true;
    }

    // The lift for one row: interpolated between the cells' centres, wrapping around.
    const std::vector<float>& Row(int y)
    {
        if (limit_ <= 0.0f)
            return rowLift_;  // nothing was lifted: zeros
        const Neighbours& down = down_[Index(y)];
        const float* const upper = lift_.data() + Index(down.low) * Index(columns_);
        const float* const lower = lift_.data() + Index(down.high) * Index(columns_);
        for (int x = 0; x < width_; ++x) {
            const Neighbours& across = across_[Index(x)];
            const float top = upper[across.low] + (upper[across.high] - upper[across.low]) * across.share;
            const float bottom = lower[across.low] + (lower[across.high] - lower[across.low]) * across.share;
            rowLift_[Index(x)] = top + (bottom - top) * down.share;
        }
        return rowLift_;
    }

private:
    static constexpr int kCell = 16;
    static constexpr int kSteps = 20;
    static constexpr double kGain = 1.5;

    // The two cell centres a pixel lies between, and how far it is from the first.
    struct Neighbours {
        int low = 0;
        int high = 0;
        float share = 0.0f;
    };
    struct Candidate {
        int x = 0;
        int y = 0;
        float value = 0.0f;
    };

    static Neighbours Between(int position, int length, int cells)
    {
        const double at = (position + 0.5) * cells / length - 0.5;
        const double below = std::floor(at);
        const int low = (int(below) + cells) % cells;
        return {low, (low + 1) % cells, float(at - below)};
    }

    // How far a value that rounds outside 0 to 255 lies beyond it; 0 inside.
    static float Overshoot(float value)
    {
        if (value < -0.5f)
            return -value;
        return value > 255.5f ? value - 255.0f : 0.0f;
    }

    float LiftAt(int x, int y) const
    {
        const Neighbours& down = down_[Index(y)];
        const Neighbours& across = across_[Index(x)];
        const auto at = [&](int row, int column) { return lift_[Index(row) * Index(columns_) + Index(column)]; };
        const float top = at(down.low, across.low) + (at(down.low, across.high) - at(down.low, across.low)) * across.share;
        const float bottom =
            at(down.high, across.low) + (at(down.high, across.high) - at(down.high, across.low)) * across.share;
        return top + (bottom - top) * down.share;
    }

    // One step: each cell's overshoot, softened over its neighbours and taken off, the mean kept.
    // False when nothing overshoots any more.
    bool Step(const std::vector<Candidate>& candidates)
    {
        std::vector<double> overshoot(lift_.size());
        bool any = false;
        for (const Candidate& candidate : candidates) {
            const float value = candidate.value + LiftAt(candidate.x, candidate.y);
            if (value >= -0.5f && value <= 255.5f)
                continue;
            const std::size_t cell = Index(int((long long)candidate.y * rows_ / height_)) * Index(columns_) +
                                     Index(int((long long)candidate.x * columns_ / width_));
            overshoot[cell] += value < 0.0f ? value : value - 255.0f;
            any = true;
        }
        if (!any)
            return false;
        double mean = 0.0;
        std::vector<float> next(lift_.size());
        for (int row = 0; row < rows_; ++row) {
            for (int column = 0; column < columns_; ++column) {
                double sum = 0.0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        sum += (2 - std::abs(dx)) * (2 - std::abs(dy)) *
                               overshoot[Index((row + dy + rows_) % rows_) * Index(columns_) +
                                         Index((column + dx + columns_) % columns_)];
                const std::size_t cell = Index(row) * Index(columns_) + Index(column);
                next[cell] = lift_[cell] - float(kGain * sum / 16.0 * cellWeight_);
                mean += next[cell];
            }
        }
        mean /= double(next.size());
        for (std::size_t cell = 0; cell < next.size(); ++cell)
            lift_[cell] = std::clamp(next[cell] - float(mean), -limit_, limit_);
        return true;
    }

    int width_, height_, columns_, rows_;
    float limit_ = 0.0f;
    double cellWeight_ = 1.0;  // a sample's share of its cell's mean
    std::vector<float> lift_;
    std::vector<float> rowLift_;
    std::vector<Neighbours> across_, down_;
};

// Solves for the smooth part of two channels at once (one in the real, one in the imaginary part,
// as both are real), from the jumps across the wrap.
class SmoothSolver {
public:
    explicit SmoothSolver(ConstPixels picture)
        : picture_(picture), width_(picture.width), height_(picture.height), rowForward_(Index(width_), false),
          columnForward_(Index(height_), false), rowInverse_(Index(width_), true), columnInverse_(Index(height_), true),
          rowFactors_(EdgeFactors(width_)), columnFactors_(EdgeFactors(height_)), rowHalves_(LaplaceHalves(width_)),
          columnHalves_(LaplaceHalves(height_))
    {
        // kappa: the share of a row jump's frequency r (a column jump's q) that the smooth part itself
        // steps across the wrap; the periodic component keeps 1 - kappa of it.
        std::vector<float> rowShare(Index(width_), 0.0f);
        std::vector<float> columnShare(Index(height_), 0.0f);
        for (int q = 0; q < height_; ++q) {
            const float a = -columnHalves_[Index(q)];
            float columnSum = 0.0f;
            for (int r = q == 0 ? 1 : 0; r < width_; ++r) {
                const float b = -rowHalves_[Index(r)];
                const float inverse = 1.0f / (a + b);
                rowShare[Index(r)] += a * inverse;
                columnSum += b * inverse;
            }
            columnShare[Index(q)] = columnSum;
        }
        rowKept_.resize(Index(width_));
        columnKept_.resize(Index(height_));
        for (int r = 0; r < width_; ++r)
            rowKept_[Index(r)] = 1.0 - double(rowShare[Index(r)]) / height_;
        for (int q = 0; q < height_; ++q)
            columnKept_[Index(q)] = 1.0 - double(columnShare[Index(q)]) / width_;
    }

    Jumps PictureJumps(int first, int second) const
    {
        Jumps jumps{std::vector<Complex>(Index(width_)), std::vector<Complex>(Index(height_))};
        for (int x = 0; x < width_; ++x)
            jumps.rows[Index(x)] = Packed(x, height_ - 1, first, second) - Packed(x, 0, first, second);
        for (int y = 0; y < height_; ++y)
            jumps.columns[Index(y)] = Packed(width_ - 1, y, first, second) - Packed(0, y, first, second);
        return jumps;
    }

    // The spectra of two channels' jumps along the edges.
    struct JumpSpectra {
        std::vector<Complex> rows, columns;
    };
    JumpSpectra SpectraOf(const Jumps& jumps)
    {
        Spectra(jumps);
        return {rowSpectrum_, columnSpectrum_};
    }

    // The summed step across the wrap (both channels, every edge pixel) that u - s keeps when s is
    // solved with the jumps boosted by `boost` (see Solve); the corners' share is left out.
    double WrapStep(const JumpSpectra& spectra, double boost)
    {
        double sum = 0.0;
        const auto add = [&](std::vector<Complex> spectrum, const std::vector<double>& kept, Fft& inverse) {
            for (std::size_t k = 0; k < spectrum.size(); ++k)
                spectrum[k] *= float(kept[k] * (1.0 - boost * (1.0 - kept[k])));
            std::vector<Complex> steps(spectrum.size());
            inverse.transform(spectrum.data(), steps.data());
            for (const Complex& step : steps)
                sum += (std::abs(step.real()) + std::abs(step.imag())) / double(steps.size());
        };
        add(spectra.rows, rowKept_, rowInverse_);
        add(spectra.columns, columnKept_, columnInverse_);
        return sum;
    }

    // Writes u - s of the two channels into `out`, lifted into the range where it would leave it. With
    // a `boost` above 0 each frequency of the jumps counts 1 + boost * (what one solve keeps of it), as
    // if the rest were solved again that much: s still has no Laplacian inside. `report(done)` is told
    // the share of the pass done.
    bool Solve(const Jumps& jumps, double boost, int first, int second, Image32& out,
               const std::function<bool(double)>& report)
    {
        Spectra(jumps);
        for (std::size_t r = 0; r < rowSpectrum_.size(); ++r)
            rowSpectrum_[r] *= float(1.0 + boost * rowKept_[r]);
        for (std::size_t q = 0; q < columnSpectrum_.size(); ++q)
            columnSpectrum_[q] *= float(1.0 + boost * columnKept_[q]);
        // S = V / eigenvalue, each row of it brought back along x at once.
        const std::size_t w = Index(width_);
        const std::size_t h = Index(height_);
        buffer_.resize(w * h);
        std::vector<Complex> row(w);
        const double steps = double(width_) + double(height_) + 2.0;
        for (int q = 0; q < height_; ++q) {
            for (int r = 0; r < width_; ++r)
                row[Index(r)] = SpectrumAt(q, r);
            rowInverse_.transform(row.data(), buffer_.data() + Index(q) * w);
            if (((q + 1) % 32 == 0 || q + 1 == height_) && !report((q + 1) / steps))
                return false;
        }
        // Then along y, a block of columns gathered at a time, and put back in place as s itself.
        const float scale = 1.0f / (float(width_) * float(height_));
        std::array<std::vector<Complex>, kColumnBlock> gathered;
        for (auto& column : gathered)
            column.resize(h);
        std::vector<Complex> column(h);
        for (int x0 = 0; x0 < width_; x0 += kColumnBlock) {
            const int count = std::min(kColumnBlock, width_ - x0);
            for (int y = 0; y < height_; ++y) {
                const Complex* source = buffer_.data() + Index(y) * w + Index(x0);
                for (int k = 0; k < count; ++k)
                    gathered[Index(k)][Index(y)] = source[k];
            }
            for (int k = 0; k < count; ++k) {
                columnInverse_.transform(gathered[Index(k)].data(), column.data());
                for (int y = 0; y < height_; ++y)
                    buffer_[Index(y) * w + Index(x0 + k)] = column[Index(y)] * scale;
            }
            if (!report((height_ + x0 + count) / steps))
                return false;
        }

        const auto periodic = [&](int x, int y) { return Packed(x, y, first, second) - buffer_[Index(y) * w + Index(x)]; };
        RangeLift lifts[2] = {RangeLift(width_, height_), RangeLift(width_, height_)};
        for (int channel = 0; channel < (second < 0 ? 1 : 2); ++channel) {
            const auto valueAt = [&](int x, int y) {
                const Complex value = periodic(x, y);
                return channel == 0 ? value.real() : value.imag();
            };
            const auto stopped = [&] { return !report((width_ + height_ + channel + 0.5) / steps); };
            if (!lifts[channel].Fit(valueAt, stopped))
                return false;
        }
        for (int y = 0; y < height_; ++y) {
            const std::vector<float>& firstLift = lifts[0].Row(y);
            const std::vector<float>& secondLift = lifts[1].Row(y);
            for (int x = 0; x < width_; ++x) {
                const Complex value = periodic(x, y);
                auto* pixel = reinterpret_cast<std::uint8_t*>(&out.At(x, y));
                pixel[first] = RoundClamped(value.real() + firstLift[Index(x)]);
                if (second >= 0)
                    pixel[second] = RoundClamped(value.imag() + secondLift[Index(x)]);
            }
        }
        return report(1.0);
    }

private:
    Complex Packed(int x, int y, int first, int second) const
    {
        return Complex(float(ChannelAt(picture_, x, y, first)),
                       second < 0 ? 0.0f : float(ChannelAt(picture_, x, y, second)));
    }

    void Spectra(const Jumps& jumps)
    {
        std::vector<Complex> rows = jumps.rows;
        std::vector<Complex> columns = jumps.columns;
        rowSpectrum_.resize(Index(width_));
        columnSpectrum_.resize(Index(height_));
        rowForward_.transform(rows.data(), rowSpectrum_.data());
        columnForward_.transform(columns.data(), columnSpectrum_.data());
    }

    Complex SpectrumAt(int q, int r) const
    {
        if (q == 0 && r == 0)
            return Complex();
        const float eigen = columnHalves_[Index(q)] + rowHalves_[Index(r)];
        return (rowSpectrum_[Index(r)] * columnFactors_[Index(q)] + columnSpectrum_[Index(q)] * rowFactors_[Index(r)]) /
               eigen;
    }

    ConstPixels picture_;
    int width_;
    int height_;
    Fft rowForward_, columnForward_, rowInverse_, columnInverse_;
    std::vector<Complex> rowFactors_, columnFactors_;
    std::vector<float> rowHalves_, columnHalves_;
    std::vector<double> rowKept_, columnKept_;
    std::vector<Complex> rowSpectrum_, columnSpectrum_;
    std::vector<Complex> buffer_;
};

// The mean colour step between neighbours inside the picture, every channel summed.
double InnerStep(ConstPixels picture)
{
    const int w = picture.width;
    const int h = picture.height;
    std::uint64_t sum = 0;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = picture.Row(y);
        for (std::size_t i = 4; i < Index(w) * 4; ++i)
            sum += std::uint64_t(std::abs(int(row[i]) - int(row[i - 4])));
        if (y + 1 < h) {
            const std::uint8_t* below = picture.Row(y + 1);
            for (std::size_t i = 0; i < Index(w) * 4; ++i)
                sum += std::uint64_t(std::abs(int(below[i]) - int(row[i])));
        }
    }
    const double pairs = double(w - 1) * h + double(w) * (h - 1);
    return pairs > 0.0 ? double(sum) / pairs : 0.0;
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
    const std::pair<int, int> pairs[2] = {{0, 1}, {2, opaque ? -1 : 3}};
    SmoothSolver solver(picture);
    Jumps jumps[2] = {solver.PictureJumps(0, 1), solver.PictureJumps(2, opaque ? -1 : 3)};

    // Where the edge cuts a structure, the wrap of u - s still steps more than the inside does: the
    // jumps then count more, by the least boost that brings the wrap to the inside's step (the
    // inside's Laplacian stays all the same).
    const double inner = InnerStep(picture) * (double(picture.width) + picture.height);
    const SmoothSolver::JumpSpectra spectra[2] = {solver.SpectraOf(jumps[0]), solver.SpectraOf(jumps[1])};
    double boost = 0.0;
    double least = std::numeric_limits<double>::max();
    for (int part = 0; part <= kBoostParts; ++part) {
        const double candidate = kMaxBoost * part / kBoostParts;
        const double wrap = solver.WrapStep(spectra[0], candidate) + solver.WrapStep(spectra[1], candidate);
        if (wrap <= kWrapGoal * inner) {
            boost = candidate;
            break;
        }
        if (wrap < least) {
            least = wrap;
            boost = candidate;
        }
    }

    for (std::size_t k = 0; k < 2; ++k) {
        const auto report = [&](double done) { return !progress || progress((double(k) + done) / 2.0); };
        if (!solver.Solve(jumps[k], boost, pairs[k].first, pairs[k].second, out, report))
            return std::nullopt;
    }
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
