#include "imaging/seam.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "imaging/composite.h"

namespace imaging {

namespace {

// Sum of |a[i] - b[i]| over n bytes; a plain loop the compiler turns into SIMD code.
std::uint64_t SumAbsDiff(const std::uint8_t* a, const std::uint8_t* b, std::size_t n)
{
    std::uint32_t sum = 0;  // a row of 30000 pixels stays far below 2^32
    for (std::size_t i = 0; i < n; ++i)
        sum += static_cast<std::uint32_t>(std::abs(int{a[i]} - int{b[i]}));
    return sum;
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

SeamMeasure MeasureSeam(ConstPixels picture, std::uint32_t background)
{
    SeamMeasure measure;
    if (picture.Empty())
        return measure;
    const int w = picture.width;
    const int h = picture.height;
    const std::size_t rowBytes = std::size_t(w) * 4;
    // The first row is needed again at the end; the other two take turns.
    std::vector<std::uint8_t> firstBuffer(rowBytes);
    std::vector<std::uint8_t> buffers[2] = {std::vector<std::uint8_t>(rowBytes), std::vector<std::uint8_t>(rowBytes)};

    std::uint64_t edge = 0;
    std::uint64_t inner = 0;
    const std::uint8_t* first = nullptr;
    const std::uint8_t* previous = nullptr;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = OpaqueRow(picture.Row(y), w, background, y == 0 ? firstBuffer : buffers[y & 1]);
        inner += SumAbsDiff(row, row + 4, rowBytes - 4);
        if (previous)
            inner += SumAbsDiff(previous, row, rowBytes);
        edge += SumAbsDiff(row + rowBytes - 4, row, 4);
        if (!first)
            first = row;
        previous = row;
    }
    edge += SumAbsDiff(previous, first, rowBytes);

    const std::uint64_t innerPairs = std::uint64_t(w - 1) * h + std::uint64_t(w) * (h - 1);
    measure.edgeMean = double(edge) / double(std::uint64_t(w) + h);
    measure.innerMean = innerPairs ? double(inner) / double(innerPairs) : 0.0;
    if (inner > 0)
        measure.ratio = measure.edgeMean / measure.innerMean;
    else  // one colour inside means the edges match too; infinity only guards that reasoning
        measure.ratio = edge == 0 ? 1.0 : std::numeric_limits<double>::infinity();
    measure.grade = GradeOf(measure.ratio);
    return measure;
}

std::wstring SeamLine(int width, int height, const SeamMeasure& measure)
{
    std::wstring number = L"∞";
    if (std::isfinite(measure.ratio) && measure.ratio <= 1e12) {
        const long long shown = Hundredths(measure.ratio);
        const std::wstring fraction = std::to_wstring(shown % 100);
        number = std::to_wstring(shown / 100) + L"," + (fraction.size() < 2 ? L"0" : L"") + fraction;
    }
    return std::to_wstring(width) + L" × " + std::to_wstring(height) + L" Pixel · Naht " + number + L" (" +
           GradeName(GradeOf(measure.ratio)) + L")";
}

}  // namespace imaging
