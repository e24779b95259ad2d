#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "helpers.h"
#include "imaging/repair.h"
#include "imaging/seam.h"

using namespace imaging;

namespace {

int ChannelOf(std::uint32_t pixel, int channel)
{
    return int((pixel >> (8 * channel)) & 0xFFu);
}

// A fine pattern of values 0 to levels - 1 that does not repeat within a tile.
int Texture(int x, int y, int levels)
{
    return int((std::uint32_t(x) * 2654435761u ^ std::uint32_t(y) * 40503u) >> 11) % levels;
}

// A ramp across the picture (a jump at every wrapped edge) with a fine pattern on it.
Image32 RampWithTexture(int width, int height, bool alphaRamp)
{
    Image32 picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int texture = Texture(x, y, 17);
            const std::uint32_t red = std::uint32_t(40 + 150 * x / width + texture);
            const std::uint32_t green = std::uint32_t(30 + 170 * y / height + texture);
            const std::uint32_t blue = std::uint32_t(60 + 60 * (x + y) / (width + height) + texture);
            const std::uint32_t alpha = alphaRamp ? std::uint32_t(60 + 180 * x / width) : 255u;
            picture.At(x, y) = alpha << 24 | red << 16 | green << 8 | blue;
        }
    }
    return picture;
}

int Laplacian(const Image32& picture, int x, int y, int channel)
{
    return ChannelOf(picture.At(x - 1, y), channel) + ChannelOf(picture.At(x + 1, y), channel) +
           ChannelOf(picture.At(x, y - 1), channel) + ChannelOf(picture.At(x, y + 1), channel) -
           4 * ChannelOf(picture.At(x, y), channel);
}

// A picture whose every pixel is different, so a test can tell where each one came from.
Image32 Numbered(int width, int height)
{
    Image32 picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.At(x, y) = 0xFF000000u | std::uint32_t(y) << 12 | std::uint32_t(x);
    return picture;
}

}  // namespace

TEST(ImagingRepair, PeriodicComponentContinuesAcrossTheWrappedEdgesAndKeepsTheDetail)
{
    const Image32 picture = RampWithTexture(96, 64, false);
    ASSERT_GT(MeasureSeam(picture.View(), 0).ratio, 5.0);
    const std::optional<Image32> periodic = PeriodicComponent(picture.View());
    ASSERT_TRUE(periodic);
    ASSERT_EQ(periodic->width, 96);
    ASSERT_EQ(periodic->height, 64);
    EXPECT_LE(MeasureSeam(periodic->View(), 0).ratio, 1.10);

    // Away from the edges the smooth part's Laplacian is zero: only the rounding of it remains.
    long long changed = 0;
    for (int y = 1; y + 1 < picture.height; ++y) {
        for (int x = 1; x + 1 < picture.width; ++x) {
            for (int channel = 0; channel < 4; ++channel) {
                const int difference = std::abs(Laplacian(*periodic, x, y, channel) - Laplacian(picture, x, y, channel));
                EXPECT_LE(difference, 4) << x << "," << y;
                changed += difference;
            }
        }
    }
    // Rounding a smooth part that falls by about a level a pixel leaves a mean change of about 1.
    EXPECT_LT(double(changed) / (94.0 * 62.0 * 4.0), 1.3);
    EXPECT_EQ(periodic->At(10, 10) >> 24, 255u) << "an opaque picture stays opaque";

    // The correction is smooth: mean colour kept, the middle barely moved, the corners moved most.
    for (int channel = 0; channel < 3; ++channel) {
        double before = 0.0;
        double after = 0.0;
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                before += ChannelOf(picture.At(x, y), channel);
                after += ChannelOf(periodic->At(x, y), channel);
            }
        }
        EXPECT_NEAR(after / (96.0 * 64.0), before / (96.0 * 64.0), 0.5) << channel;
    }
}

TEST(ImagingRepair, PeriodicComponentTreatsAlphaAsAChannel)
{
    const Image32 picture = RampWithTexture(40, 30, true);
    const std::optional<Image32> periodic = PeriodicComponent(picture.View());
    ASSERT_TRUE(periodic);
    // The alpha ramp jumps by about 175 across the wrap; afterwards by no more than a step inside it.
    for (int y = 0; y < 30; ++y)
        EXPECT_LE(std::abs(ChannelOf(periodic->At(39, y), 3) - ChannelOf(periodic->At(0, y), 3)), 8) << y;
    for (int x = 1; x < 39; ++x)
        EXPECT_LE(std::abs(Laplacian(*periodic, x, 15, 3) - Laplacian(picture, x, 15, 3)), 4) << x;
}

namespace {

double MeanOf(const Image32& picture, int channel)
{
    double sum = 0.0;
    for (const std::uint32_t pixel : picture.pixels)
        sum += ChannelOf(pixel, channel);
    return sum / double(picture.pixels.size());
}

// Pixels of the channel at 0 or 255.
int AtTheEnds(const Image32& picture, int channel)
{
    int count = 0;
    for (const std::uint32_t pixel : picture.pixels)
        count += ChannelOf(pixel, channel) == 0 || ChannelOf(pixel, channel) == 255;
    return count;
}

// The mean change of the channel's Laplacian over the inside of the picture.
double MeanLaplacianChange(const Image32& before, const Image32& after, int channel)
{
    long long changed = 0;
    for (int y = 1; y + 1 < before.height; ++y)
        for (int x = 1; x + 1 < before.width; ++x)
            changed += std::abs(Laplacian(after, x, y, channel) - Laplacian(before, x, y, channel));
    return double(changed) / (double(before.width - 2) * (before.height - 2));
}

}  // namespace

// Bright with a dark band at the right: taking off the smooth part would carry the bright part beside
// the band far above 255. A smooth lift keeps it in range instead of the clamp: the texture stays
// where the clamp would flatten it, and the mean colour stays.
TEST(ImagingRepair, PeriodicComponentKeepsABrightPictureInsideTheRangeAndItsMean)
{
    Image32 picture(128, 96);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t red = std::uint32_t((4 * x < 3 * picture.width ? 240 : 140) + Texture(x, y, 9));
            picture.At(x, y) = 0xFF000000u | red << 16 | 0x8080u;
        }
    }
    const std::optional<Image32> periodic = PeriodicComponent(picture.View());
    ASSERT_TRUE(periodic);
    EXPECT_LE(MeasureSeam(periodic->View(), 0).ratio, 1.10);
    EXPECT_NEAR(MeanOf(*periodic, 2), MeanOf(picture, 2), 1.0);
    EXPECT_LT(AtTheEnds(*periodic, 2), 3 * picture.width * picture.height / 100);
    EXPECT_LT(MeanLaplacianChange(picture, *periodic, 2), 1.0);
}

// A faint grey with a bright block the right edge cuts: one smooth part leaves the wrap stepping more
// than the quiet inside does; the repair still makes it as even as the inside, the inside's Laplacian
// unchanged.
TEST(ImagingRepair, PeriodicComponentEvensAStructureTheEdgeCuts)
{
    Image32 picture(120, 120);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const bool block = x >= 90 && y >= 20 && y < 45;
            const std::uint32_t grey = std::uint32_t((block ? 200 : 100) + Texture(x, y, 3));
            picture.At(x, y) = 0xFF000000u | grey << 16 | grey << 8 | grey;
        }
    }
    ASSERT_GT(MeasureSeam(picture.View(), 0).ratio, 5.0);
    const std::optional<Image32> periodic = PeriodicComponent(picture.View());
    ASSERT_TRUE(periodic);
    EXPECT_LE(MeasureSeam(periodic->View(), 0).ratio, 1.10);
    EXPECT_LT(MeanLaplacianChange(picture, *periodic, 1), 1.0);
}

TEST(ImagingRepair, ProgressRisesToTheEndAndStopsTheWorkWhenRefused)
{
    const Image32 picture = RampWithTexture(300, 200, false);
    std::vector<double> reported;
    ASSERT_TRUE(PeriodicComponent(picture.View(), [&](double done) {
        reported.push_back(done);
        return true;
    }));
    ASSERT_GE(reported.size(), 4u);
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
    EXPECT_DOUBLE_EQ(reported.back(), 1.0);

    int calls = 0;
    EXPECT_FALSE(Repair(picture.View(), RepairMethod::CutOverlap, 16, [&](double done) {
        ++calls;
        return done < 0.3;
    }));
    EXPECT_LT(calls, int(reported.size()));
}

TEST(ImagingRepair, OverlapCutIsSmallerAndContinuesAcrossItsOwnEdges)
{
    const Image32 picture = Numbered(40, 30);
    const Image32 cut = OverlapCut(picture.View(), 6);
    ASSERT_EQ(cut.width, 34);
    ASSERT_EQ(cut.height, 24);
    // Across the wrap each pixel meets its neighbour of the picture, but where the other cut's
    // feathered path crosses.
    const auto isPixel = [](std::uint32_t value) { return (value & 0xFFFu) < 40 && ((value >> 12) & 0xFFFu) < 30; };
    int joinedRows = 0;
    for (int y = 0; y < 24; ++y) {
        const std::uint32_t last = cut.At(33, y);
        const std::uint32_t first = cut.At(0, y);
        joinedRows += isPixel(last) && first == last + 1;
    }
    EXPECT_GE(joinedRows, 22);
    int joinedColumns = 0;
    for (int x = 0; x < 34; ++x) {
        const std::uint32_t last = cut.At(x, 23);
        const std::uint32_t first = cut.At(x, 0);
        joinedColumns += isPixel(last) && first == last + (1u << 12);
    }
    EXPECT_GE(joinedColumns, 32);
    EXPECT_LE(MeasureSeam(cut.View(), 0).ratio, MeasureSeam(picture.View(), 0).ratio / 10.0);

    // The overlap stays within its limits.
    EXPECT_EQ(OverlapCut(picture.View(), 1).width, 38);
    EXPECT_EQ(OverlapCut(picture.View(), 500).width, 25);
    EXPECT_FALSE(CanRepair(3, 30, RepairMethod::CutOverlap));
    EXPECT_TRUE(CanRepair(3, 30, RepairMethod::MatchEdges));
    EXPECT_EQ(DefaultOverlap(40, 30), 7);
    EXPECT_EQ(DefaultOverlap(1000, 900), 32);
    EXPECT_EQ(MaxOverlap(40, 30), 15);
}

TEST(ImagingRepair, OverlapCutJoinsTheBandsWhereTheyAgree)
{
    // The bands differ everywhere but in their fourth column: the path runs down it, so the right
    // band's third column is followed by the left band's fourth and fifth.
    Image32 picture(32, 32, 0xFF808080u);
    for (int y = 0; y < 32; ++y) {
        for (int k = 0; k < 8; ++k) {
            picture.At(k, y) = 0xFF000000u | std::uint32_t(k) << 8 | std::uint32_t(y);
            picture.At(24 + k, y) = k == 3 ? picture.At(k, y) : 0xFFFFFF00u + std::uint32_t(k);
        }
    }
    const Image32 cut = OverlapCut(picture.View(), 8);
    int joined = 0;
    for (int y = 0; y < cut.height; ++y) {
        for (int x = 0; x < cut.width; ++x) {
            if (cut.At(x, y) != 0xFFFFFF02u)
                continue;
            const std::uint32_t next = cut.At((x + 1) % cut.width, y);
            joined += (next & 0xFFFFFF00u) == 0xFF000300u && cut.At((x + 2) % cut.width, y) == next + 0x100u;
        }
    }
    EXPECT_GE(joined, 14);
}
