#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "imaging/seam.h"

using namespace imaging;

namespace {

constexpr std::uint32_t kWhite = 0x00FFFFFFu;

std::uint32_t Grey(int value)
{
    return 0xFF000000u | 0x010101u * static_cast<std::uint32_t>(value);
}

}  // namespace

TEST(ImagingSeam, PeriodicGradientIsSeamless)
{
    // Red rises and falls along x, green along y, so every step, across the edges too, is 16.
    Image32 tile(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            tile.At(x, y) = 0xFF000000u | (16u * std::min(x, 16 - x)) << 16 | (16u * std::min(y, 16 - y)) << 8;
    const SeamMeasure measure = MeasureSeam(tile.View(), kWhite);
    EXPECT_DOUBLE_EQ(measure.edgeMean, 16.0);
    EXPECT_DOUBLE_EQ(measure.innerMean, 16.0);
    EXPECT_EQ(measure.grade, SeamGrade::Seamless);
    EXPECT_EQ(SeamLine(16, 16, measure), L"16 × 16 Pixel · Naht 1,00 (nahtlos)");
}

TEST(ImagingSeam, StripeAtTheEdgeIsADistinctSeam)
{
    // Grey 100 with a grey-200 first column: 10 inner jumps of 300 over 180 pairs, 10 edge jumps over 20.
    Image32 tile(10, 10, Grey(100));
    for (int y = 0; y < 10; ++y)
        tile.At(0, y) = Grey(200);
    const SeamMeasure measure = MeasureSeam(tile.View(), kWhite);
    EXPECT_DOUBLE_EQ(measure.edgeMean, 150.0);
    EXPECT_DOUBLE_EQ(measure.ratio, 150.0 / (3000.0 / 180.0));
    EXPECT_EQ(SeamLine(10, 10, measure), L"10 × 10 Pixel · Naht 9,00 (deutliche Naht)");
}

TEST(ImagingSeam, TransparencyIsMeasuredOverTheBackground)
{
    // Transparent pixels of any colour become the white background: one colour, no seam.
    Image32 tile(4, 3, 0xFFFFFFFFu);
    tile.At(0, 1) = 0x00000000u;
    tile.At(3, 2) = 0x00FF0000u;
    const SeamMeasure flat = MeasureSeam(tile.View(), kWhite);
    EXPECT_EQ(flat.ratio, 1.0);
    EXPECT_EQ(SeamLine(4, 3, flat), L"4 × 3 Pixel · Naht 1,00 (nahtlos)");
    EXPECT_EQ(MeasureSeam(Image32(1, 1, Grey(9)).View(), kWhite).ratio, 1.0);
    // Over black the same pixels differ, so the measure is no longer flat.
    EXPECT_GT(MeasureSeam(tile.View(), 0).innerMean, 0.0);
}

TEST(ImagingSeam, GradesAndTextFollowTheShownDigits)
{
    EXPECT_EQ(GradeOf(1.304), SeamGrade::Seamless);
    EXPECT_EQ(GradeOf(1.306), SeamGrade::Slight);
    EXPECT_EQ(GradeOf(2.0), SeamGrade::Slight);
    EXPECT_EQ(GradeOf(2.006), SeamGrade::Distinct);
    const auto line = [](double ratio) { return SeamLine(145, 113, SeamMeasure{0.0, 0.0, ratio, GradeOf(ratio)}); };
    EXPECT_EQ(line(1.0449), L"145 × 113 Pixel · Naht 1,04 (nahtlos)");
    EXPECT_EQ(line(1.75), L"145 × 113 Pixel · Naht 1,75 (leichte Naht)");
    EXPECT_EQ(line(12.3), L"145 × 113 Pixel · Naht 12,30 (deutliche Naht)");
    EXPECT_EQ(line(std::numeric_limits<double>::infinity()), L"145 × 113 Pixel · Naht ∞ (deutliche Naht)");
}
