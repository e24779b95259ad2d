#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "helpers.h"
#include "imaging/borders.h"
#include "imaging/composite.h"
#include "imaging/repeat.h"
#include "imaging/repeat_view.h"
#include "imaging/seam.h"
#include "imaging/tiling.h"

using namespace imaging;
using imagingtest::RepeatDefinition;

namespace {

constexpr std::uint32_t kBackground = 0x00336699u;

std::vector<Repeat> AllRepeats()
{
    std::vector<Repeat> repeats{{RepeatKind::Block, 2}, {RepeatKind::Mirror, 2}};
    for (const int n : {2, 3, 4}) {
        repeats.push_back({RepeatKind::HalfDrop, n});
        repeats.push_back({RepeatKind::HalfBrick, n});
    }
    return repeats;
}

std::string Describe(Repeat repeat, const Image32& tile)
{
    return std::to_string(static_cast<int>(repeat.kind)) + " 1/" + std::to_string(repeat.n) + " on " +
           std::to_string(tile.width) + "x" + std::to_string(tile.height);
}

// The view by its definition, as for the block: each screen pixel looked up (or averaged) on its own.
std::uint32_t ExpectedView(const Image32& tile, Repeat repeat, long long sx, long long sy, ViewParams p)
{
    const auto at = [&](long long x, long long y) {
        return CompositeOver(RepeatDefinition(tile, repeat, x, y), kBackground);
    };
    return imagingtest::ViewDefinition(at, sx, sy, p);
}

// A tile that continues across the half-drop's edges: a ramp along y - x d / W, periodic in the tile's height.
Image32 DropSeamless(int width, int height, int n)
{
    const double d = RepeatOffset(height, n);
    Image32 tile(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double t = y - x * d / width;
            const double phase = t / height - std::floor(t / height);
            tile.At(x, y) = 0xFF000000u | 0x010101u * static_cast<std::uint32_t>(200.0 * std::abs(2.0 * phase - 1.0));
        }
    return tile;
}

Image32 Transposed(const Image32& tile)
{
    Image32 result(tile.height, tile.width);
    for (int y = 0; y < tile.height; ++y)
        for (int x = 0; x < tile.width; ++x)
            result.At(y, x) = tile.At(x, y);
    return result;
}

}  // namespace

TEST(ImagingRepeat, EveryRepeatAtOddSizesMatchesItsDefinition)
{
    const int sizes[][2] = {{1, 1}, {1, 5}, {5, 1}, {3, 7}, {7, 5}, {13, 11}, {6, 9}};
    const long long corners[][2] = {{0, 0}, {-9, 4}, {23, -17}, {-3000000001LL, 2000000011LL}};
    for (const auto& size : sizes) {
        const Image32 tile = imagingtest::SampleTile(size[0], size[1], 3u * size[0] + size[1]);
        for (const Repeat repeat : AllRepeats())
            for (const auto& corner : corners) {
                constexpr int kWidth = 59;
                constexpr int kStride = kWidth + 2;  // the padding after each row stays untouched
                Image32 target(kStride, 43, 0x5A5A5A5Au);
                RepeatRegion(tile.View(), repeat, corner[0], corner[1], {kWidth, 43, kStride * 4, target.View().bits});
                for (int y = 0; y < 43; ++y)
                    for (int x = 0; x < kStride; ++x)
                        ASSERT_EQ(target.At(x, y),
                                  x < kWidth ? RepeatDefinition(tile, repeat, corner[0] + x, corner[1] + y) : 0x5A5A5A5Au)
                            << Describe(repeat, tile) << " at " << x << "," << y << " from " << corner[0];
            }
    }
}

TEST(ImagingRepeat, OffsetsRoundHalfUpAndUnitsRepeatByTranslation)
{
    EXPECT_EQ(RepeatOffset(7, 2), 4);
    EXPECT_EQ(RepeatOffset(5, 3), 2);
    EXPECT_EQ(RepeatOffset(6, 4), 2);
    EXPECT_EQ(RepeatOffset(5, 4), 1);
    EXPECT_EQ(RepeatOffset(1, 4), 0);
    const auto unit = [](int w, int h, RepeatKind kind, int n) {
        const RepeatSize size = RepeatUnitSize(w, h, {kind, n});
        return std::make_pair(size.width, size.height);
    };
    EXPECT_EQ(unit(5, 7, RepeatKind::Block, 2), std::make_pair(5LL, 7LL));
    EXPECT_EQ(unit(4, 6, RepeatKind::HalfDrop, 2), std::make_pair(8LL, 6LL));    // d 3
    EXPECT_EQ(unit(5, 7, RepeatKind::HalfDrop, 2), std::make_pair(35LL, 7LL));   // d 4
    EXPECT_EQ(unit(5, 12, RepeatKind::HalfDrop, 3), std::make_pair(15LL, 12LL)); // d 4
    EXPECT_EQ(unit(6, 4, RepeatKind::HalfBrick, 3), std::make_pair(6LL, 12LL));  // d 2
    EXPECT_EQ(unit(9, 4, RepeatKind::HalfBrick, 4), std::make_pair(9LL, 36LL));  // d 2
    EXPECT_EQ(unit(3, 5, RepeatKind::Mirror, 2), std::make_pair(6LL, 10LL));
    EXPECT_EQ(unit(5000, 4999, RepeatKind::HalfDrop, 2), std::make_pair(5000LL * 4999, 4999LL));

    for (const int side : {1, 4, 7}) {
        const Image32 tile = imagingtest::SampleTile(side + 2, side, 5u + side);
        for (const Repeat repeat : AllRepeats()) {
            const Image32 unitImage = RepeatUnit(tile.View(), repeat, 30000);
            const RepeatSize size = RepeatUnitSize(tile.width, tile.height, repeat);
            ASSERT_EQ(unitImage.width, size.width) << Describe(repeat, tile);
            ASSERT_EQ(unitImage.height, size.height);
            // Tiled as a block, the unit is the repeat.
            for (long long y = -size.height; y < 2 * size.height; ++y)
                for (long long x = -size.width; x < 2 * size.width; ++x)
                    ASSERT_EQ(unitImage.At(Wrap(x, unitImage.width), Wrap(y, unitImage.height)),
                              RepeatDefinition(tile, repeat, x, y))
                        << Describe(repeat, tile) << " at " << x << "," << y;
        }
    }
    EXPECT_EQ(RepeatUnit(Image32(5, 7).View(), {RepeatKind::HalfDrop, 2}, 34).width, 0);
    EXPECT_EQ(RepeatUnit(Image32(5, 7).View(), {RepeatKind::HalfDrop, 2}, 35).width, 35);
}

TEST(ImagingRepeat, TiledRowsForFilesAndTheClipboardFollowTheRepeat)
{
    const Image32 tile = imagingtest::SampleTile(7, 5, 17u);
    for (const Repeat repeat : AllRepeats()) {
        Image32 strip(30, 6);
        TileRows(tile.View(), 30, 9, 6, strip.View(), repeat);
        std::vector<std::uint8_t> bgr(std::size_t(30) * 3 * 6);
        TileRowsBgr(tile.View(), 30, 9, 6, kBackground, bgr.data(), 30 * 3, repeat);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 30; ++x) {
                const std::uint32_t expected = RepeatDefinition(tile, repeat, x, 9 + y);
                ASSERT_EQ(strip.At(x, y), expected) << Describe(repeat, tile) << " at " << x << "," << y;
                const std::uint32_t over = CompositeOver(expected, kBackground);
                const std::uint8_t* pixel = bgr.data() + (std::size_t(y) * 30 + x) * 3;
                ASSERT_EQ(pixel[0] | pixel[1] << 8 | pixel[2] << 16, over & 0xFFFFFFu);
            }
    }
}

TEST(ImagingRepeat, TheViewOfEveryRepeatMatchesItsDefinitionAtEveryZoom)
{
    for (const auto& size : {std::make_pair(5, 3), std::make_pair(6, 7)}) {
        const Image32 tile = imagingtest::SampleTile(size.first, size.second, 29u);
        for (const Repeat repeat : AllRepeats())
            for (const int zoom : {25, 50, 100, 200, 400})
                for (const ViewParams p : {ViewParams{0, 0, zoom}, ViewParams{-7, 11, zoom}}) {
                    Image32 target(37, 29);
                    RenderRepeatView(tile.View(), repeat, target.View(), p, kBackground);
                    for (int y = 0; y < 29; ++y)
                        for (int x = 0; x < 37; ++x)
                            ASSERT_EQ(target.At(x, y), ExpectedView(tile, repeat, x, y, p))
                                << Describe(repeat, tile) << " zoom " << zoom << " at " << x << "," << y;
                }
    }
}

TEST(ImagingRepeat, BordersLieWhereTheTilesMeet)
{
    // 4 x 6 tiles at 200 %, origin 0: a half-drop 1/2 moves column 1 down by 3 pixels, 6 on the screen.
    const auto isDot = [](const Image32& view, int x, int y) {
        return view.At(x, y) == kBorderDark || view.At(x, y) == kBorderLight;
    };
    Image32 drop(24, 30, 0xFF808080u);
    DrawRepeatBorders(drop.View(), {0, 0, 200}, 4, 6, {RepeatKind::HalfDrop, 2});
    EXPECT_TRUE(isDot(drop, 3, 0));   // column 0's top edge
    EXPECT_FALSE(isDot(drop, 11, 0)); // column 1 starts lower
    EXPECT_TRUE(isDot(drop, 11, 6));
    EXPECT_TRUE(isDot(drop, 8, 17));  // the edge between the columns runs all the way down
    EXPECT_FALSE(isDot(drop, 9, 17));
    EXPECT_TRUE(isDot(drop, 19, 12)); // column 2, moved by 6 tile pixels: 12 screen pixels
    // The half-brick is the same turned: row 1 moves right by 3 pixels, 6 on the screen.
    Image32 brick(30, 24, 0xFF808080u);
    DrawRepeatBorders(brick.View(), {0, 0, 200}, 6, 4, {RepeatKind::HalfBrick, 2});
    EXPECT_TRUE(isDot(brick, 0, 3));
    EXPECT_FALSE(isDot(brick, 0, 11));
    EXPECT_TRUE(isDot(brick, 6, 11));
    EXPECT_TRUE(isDot(brick, 17, 8));
    // A mirror's tiles meet on the block's grid.
    Image32 mirror(24, 30, 0xFF808080u);
    Image32 block(24, 30, 0xFF808080u);
    DrawRepeatBorders(mirror.View(), {3, 1, 50}, 4, 6, {RepeatKind::Mirror, 2});
    DrawTileBorders(block.View(), {3, 1, 50}, 4, 6);
    EXPECT_EQ(mirror.pixels, block.pixels);
}

TEST(ImagingRepeat, TheSeamMeasureTakesTheEdgesThatTouch)
{
    const Repeat drop{RepeatKind::HalfDrop, 2};
    const Repeat brick{RepeatKind::HalfBrick, 2};
    const Image32 dropTile = DropSeamless(40, 40, 2);
    const SeamMeasure asDrop = MeasureSeam(dropTile.View(), kBackground, drop);
    const SeamMeasure asBlock = MeasureSeam(dropTile.View(), kBackground);
    EXPECT_EQ(asDrop.grade, SeamGrade::Seamless) << asDrop.ratio;
    EXPECT_EQ(asBlock.grade, SeamGrade::Distinct) << asBlock.ratio;
    EXPECT_EQ(MeasureSeam(Transposed(dropTile).View(), kBackground, brick).grade, SeamGrade::Seamless);
    EXPECT_EQ(MeasureSeam(Transposed(dropTile).View(), kBackground).grade, SeamGrade::Distinct);

    // The other way round: a tile that wraps as a block breaks when its columns are moved.
    Image32 periodic(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            periodic.At(x, y) = 0xFF000000u | (16u * std::min(x, 16 - x)) << 16 | (16u * std::min(y, 16 - y)) << 8;
    EXPECT_EQ(MeasureSeam(periodic.View(), kBackground).grade, SeamGrade::Seamless);
    EXPECT_GT(MeasureSeam(periodic.View(), kBackground, drop).ratio, 2.0);
    EXPECT_GT(MeasureSeam(periodic.View(), kBackground, brick).ratio, 2.0);

    EXPECT_EQ(SeamLine(40, 40, asDrop, drop).substr(0, 33), L"40 × 40 Pixel · Halbversatz 1/2 ·");
    EXPECT_EQ(SeamLine(16, 16, MeasureSeam(periodic.View(), kBackground, brick), {RepeatKind::HalfBrick, 3}).substr(0, 27),
              L"16 × 16 Pixel · Ziegel 1/3 ");
    const Repeat mirror{RepeatKind::Mirror, 2};
    EXPECT_EQ(SeamLine(16, 16, MeasureSeam(periodic.View(), kBackground, mirror), mirror),
              L"16 × 16 Pixel · Gespiegelt · Naht gespiegelt");
}
