#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
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

namespace {

Image32 Checkerboard(int width, int height)
{
    Image32 board(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            board.At(x, y) = ((x + y) & 1) != 0 ? 0xFFFFFFFFu : 0xFF000000u;
    return board;
}

// |dR|+|dG|+|dB| of two opaque pixels, written out apart from the measure.
int StepOf(std::uint32_t a, std::uint32_t b)
{
    int sum = 0;
    for (int shift = 0; shift < 24; shift += 8)
        sum += std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    return sum;
}

}  // namespace

TEST(ImagingSeam, OneRowOrColumnIsMeasuredAlongItsLengthOnly)
{
    // Black to white in 256 steps of 3: the wrap jumps 765, a seam however thin the picture.
    Image32 gradient(256, 1);
    for (int x = 0; x < 256; ++x)
        gradient.At(x, 0) = Grey(x);
    const SeamMeasure row = MeasureSeam(gradient.View(), kWhite);
    EXPECT_DOUBLE_EQ(row.edgeMean, 765.0);
    EXPECT_DOUBLE_EQ(row.innerMean, 3.0);
    EXPECT_EQ(SeamLine(256, 1, row), L"256 × 1 Pixel · Naht 255,00 (deutliche Naht)");
    Image32 column(1, 256);
    for (int y = 0; y < 256; ++y)
        column.At(0, y) = Grey(y);
    EXPECT_EQ(SeamLine(1, 256, MeasureSeam(column.View(), kWhite)), L"1 × 256 Pixel · Naht 255,00 (deutliche Naht)");

    // Noise: its one edge is a step like any other, not 4000 empty comparisons of the row with itself.
    Image32 noise(4000, 1);
    std::uint32_t state = 12345;
    long long inner = 0;
    for (int x = 0; x < 4000; ++x) {
        state = state * 1664525u + 1013904223u;
        noise.At(x, 0) = 0xFF000000u | (state >> 8);
        if (x > 0)
            inner += StepOf(noise.At(x - 1, 0), noise.At(x, 0));
    }
    const SeamMeasure measure = MeasureSeam(noise.View(), kWhite);
    EXPECT_DOUBLE_EQ(measure.edgeMean, StepOf(noise.At(3999, 0), noise.At(0, 0)));
    EXPECT_DOUBLE_EQ(measure.innerMean, inner / 3999.0);
    EXPECT_GT(measure.ratio, 0.2);
    EXPECT_LT(measure.ratio, 5.0);
}

TEST(ImagingSeam, OnePixelHasNothingToMeasure)
{
    const SeamMeasure measure = MeasureSeam(Image32(1, 1, Grey(9)).View(), kWhite);
    EXPECT_FALSE(measure.measured);
    EXPECT_EQ(SeamLine(1, 1, measure), L"1 × 1 Pixel · Naht –");
    EXPECT_TRUE(MeasureSeam(Image32(2, 1, Grey(9)).View(), kWhite).measured);
}

TEST(ImagingSeam, AnEdgeSmootherThanItsSurroundingsIsASeam)
{
    // Seven squares a side: columns 0 and 6 have the same colour, so the pattern breaks at every edge.
    const SeamMeasure broken = MeasureSeam(Checkerboard(7, 7).View(), kWhite);
    EXPECT_DOUBLE_EQ(broken.ratio, 0.0);
    EXPECT_EQ(SeamLine(7, 7, broken), L"7 × 7 Pixel · Naht 0,00 (deutliche Naht)");
    const SeamMeasure whole = MeasureSeam(Checkerboard(8, 8).View(), kWhite);
    EXPECT_EQ(SeamLine(8, 8, whole), L"8 × 8 Pixel · Naht 1,00 (nahtlos)");

    // A motif in a flat margin: the edges are flatter than the picture, but as flat as beside them.
    Image32 motif(12, 10, Grey(255));
    for (int y = 3; y < 7; ++y)
        for (int x = 4; x < 8; ++x)
            motif.At(x, y) = Grey((x * 40 + y * 15) & 0xFF);
    const SeamMeasure margin = MeasureSeam(motif.View(), kWhite);
    EXPECT_DOUBLE_EQ(margin.ratio, 0.0);
    EXPECT_EQ(margin.grade, SeamGrade::Seamless);
    // Smoother than the picture but not than its surroundings, or the other way round: a slight seam at 1,6.
    EXPECT_DOUBLE_EQ(Departure(SeamMeasure{10.0, 16.0, 10.0 / 16.0, SeamGrade::Seamless, 16.0}), 1.6);
    EXPECT_DOUBLE_EQ(Departure(SeamMeasure{10.0, 16.0, 10.0 / 16.0, SeamGrade::Seamless, 8.0}), 1.0);
    EXPECT_DOUBLE_EQ(Departure(SeamMeasure{32.0, 16.0, 2.0, SeamGrade::Seamless, 0.0}), 2.0);
}

TEST(ImagingSeam, LongRowsAreSummedIn64Bits)
{
    // Six million alternating pixels step 765 each: 4.6e9 in one row, past what 32 bits hold.
    const SeamMeasure measure = MeasureSeam(Checkerboard(6'000'000, 1).View(), kWhite);
    EXPECT_DOUBLE_EQ(measure.innerMean, 765.0);
    EXPECT_DOUBLE_EQ(measure.edgeMean, 765.0);
}
