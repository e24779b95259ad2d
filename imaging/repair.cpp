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
#include "imaging/range_lift.h"

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
