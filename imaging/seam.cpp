#include "imaging/seam.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "imaging/composite.h"

namespace imaging {

namespace {

// Bytes summed in 32 bits before the total moves on in 64: 255 * 2^24 stays below 2^32.
constexpr std::size_t kChunkBytes = std::size_t(1) << 24;

// Sum of |a[i] - b[i]| over n bytes; plain loops the compiler turns into SIMD code.
std::uint64_t SumAbsDiff(const std::uint8_t* a, const std::uint8_t* b, std::size_t n)
{
    std::uint64_t total = 0;
    for (std::size_t start = 0; start < n; start += kChunkBytes) {
        const std::size_t end = std::min(n, start + kChunkBytes);
        std::uint32_t sum = 0;
        for (std::size_t i = start; i < end; ++i)
            sum += static_cast<std::uint32_t>(std::abs(int{a[i]} - int{b[i]}));
        total += sum;
    }
    return total;
}

// |dR|+|dG|+|dB| (+|dA|, 0 for opaque pixels) of two pixels.
std::uint64_t Step(const std::uint8_t* a, const std::uint8_t* b)
{
    return SumAbsDiff(a, b, 4);
}

// a / b for sums of steps: one colour on both sides is a match, steps against none an endless one.
double RatioOf(double a, double b)
{
    if (b > 0.0)
        return a / b;
    return a == 0.0 ? 1.0 : std::numeric_limits<double>::infinity();
}

// The row as opaque pixels: the source itself when it has no transparency (alpha differences are
// then 0), else its colours composited into `buffer` with alpha 255.
const std::uint8_t* OpaqueRow(const std::uint8_t* source, int width, std::uint32_t background,
                              std::vector<std::uint8_t>& buffer)
{
    if (AllOpaque(source, width))
        return source;
    CompositeRow(source, buffer.data(), width, background);
    return buffer.data();
}

long long Hundredths(double ratio)
{
    return std::llround(ratio * 100.0);
}

}  // namespace

SeamGrade GradeOf(double ratio)
{
    if (!std::isfinite(ratio) || ratio > 1e12)
        return SeamGrade::Distinct;
    const long long shown = Hundredths(ratio);
    if (shown <= 130)
        return SeamGrade::Seamless;
    return shown <= 200 ? SeamGrade::Slight : SeamGrade::Distinct;
}

const wchar_t* GradeName(SeamGrade grade)
{
    switch (grade) {
    case SeamGrade::Seamless: return L"nahtlos";
    case SeamGrade::Slight: return L"leichte Naht";
    case SeamGrade::Distinct: break;
    }
    return L"deutliche Naht";
}

double Departure(const SeamMeasure& measure)
{
    if (!(measure.ratio < 1.0))
        return measure.ratio;
    const double nearer = std::max(measure.ratio, RatioOf(measure.edgeMean, measure.besideMean));
    if (nearer >= 1.0)
        return 1.0;
    return nearer > 0.0 ? 1.0 / nearer : std::numeric_limits<double>::infinity();
}

SeamMeasure MeasureSeam(ConstPixels picture, std::uint32_t background, Repeat repeat)
{
    SeamMeasure measure;
    if (repeat.kind == RepeatKind::Mirror)
        return measure;
    const int w = picture.width;
    const int h = picture.height;
    // A direction is measured only where pixels have neighbours inside along it.
    const bool across = w >= 2;
    const bool down = h >= 2;
    if (picture.Empty() || (!across && !down)) {
        measure.measured = false;
        return measure;
    }
    const std::size_t rowBytes = std::size_t(w) * 4;
    // The first row is needed again at the end; the other two take turns.
    std::vector<std::uint8_t> firstBuffer(rowBytes);
    std::vector<std::uint8_t> buffers[2] = {std::vector<std::uint8_t>(rowBytes), std::vector<std::uint8_t>(rowBytes)};

    // Across: the right edge meets the left edge `drop` rows higher up; down: the bottom edge meets
    // the top edge `brick` columns further left.
    const int drop = repeat.kind == RepeatKind::HalfDrop ? RepeatOffset(h, repeat.n) : 0;
    const int brick = repeat.kind == RepeatKind::HalfBrick ? Wrap(RepeatOffset(w, repeat.n), w) : 0;
    std::uint64_t edge = 0;
    std::uint64_t inner = 0;
    std::uint64_t beside = 0;
    const std::uint8_t* first = nullptr;
    const std::uint8_t* previous = nullptr;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = OpaqueRow(picture.Row(y), w, background, y == 0 ? firstBuffer : buffers[y & 1]);
        if (across) {
            inner += SumAbsDiff(row, row + 4, rowBytes - 4);
            if (drop == 0) {
                edge += Step(row + rowBytes - 4, row);
            } else {
                std::uint8_t left[4];
                StorePixel(left, CompositeOver(LoadPixel(picture.Row(Wrap(static_cast<long long>(y) - drop, h))),
                                               background));
                edge += Step(row + rowBytes - 4, left);
            }
            beside += Step(row, row + 4) + Step(row + rowBytes - 8, row + rowBytes - 4);
        }
        if (previous) {
            const std::uint64_t step = SumAbsDiff(previous, row, rowBytes);
            inner += step;
            if (y == 1)
                beside += step;
            if (y == h - 1)
                beside += step;
        }
        if (!first)
            first = row;
        previous = row;
    }
    if (down) {
        const std::size_t moved = std::size_t(brick) * 4;
        edge += SumAbsDiff(previous + moved, first, rowBytes - moved) + SumAbsDiff(previous, first + rowBytes - moved, moved);
    }

    const std::uint64_t edgePairs = (across ? std::uint64_t(h) : 0) + (down ? std::uint64_t(w) : 0);
    const std::uint64_t innerPairs =
        (across ? std::uint64_t(w - 1) * h : 0) + (down ? std::uint64_t(w) * (h - 1) : 0);
    measure.edgeMean = double(edge) / double(edgePairs);
    measure.innerMean = double(inner) / double(innerPairs);
    measure.besideMean = double(beside) / double(2 * edgePairs);
    measure.ratio = RatioOf(measure.edgeMean, measure.innerMean);
    measure.grade = GradeOf(Departure(measure));
    return measure;
}

std::wstring SeamLine(int width, int height, const SeamMeasure& measure, Repeat repeat)
{
    std::wstring size = std::to_wstring(width) + L" × " + std::to_wstring(height) + L" Pixel · ";
    if (!repeat.IsBlock())
        size += RepeatName(repeat) + L" · ";
    size += L"Naht ";
    if (repeat.kind == RepeatKind::Mirror)
        return size + L"gespiegelt";
    if (!measure.measured)
        return size + L"–";
    std::wstring number = L"∞";
    if (std::isfinite(measure.ratio) && measure.ratio <= 1e12) {
        const long long shown = Hundredths(measure.ratio);
        const std::wstring fraction = std::to_wstring(shown % 100);
        number = std::to_wstring(shown / 100) + L"," + (fraction.size() < 2 ? L"0" : L"") + fraction;
    }
    return size + number + L" (" + GradeName(measure.grade) + L")";
}

}  // namespace imaging
