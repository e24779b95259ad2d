#include <gtest/gtest.h>

#include <cmath>

#include "helpers.h"
#include "imaging/composite.h"
#include "imaging/thumbnail.h"

using namespace imaging;

namespace {

constexpr std::uint32_t kGreen = 0x0000C000u;

// The 2 × 2 view as the patterns define it: block, or the right column dropped by `drop` rows.
std::uint32_t ViewPixel(const Image32& tile, int x, int y, int drop)
{
    const int column = x / tile.width;
    return tile.At(x % tile.width, Wrap(static_cast<long long>(y) - column * drop, tile.height));
}

// The thumbnail worked out on its own terms: where the reduced view lies, and each target pixel as
// the mean of the view composited over the background, weighted by how much of each pixel it covers.
struct Expected {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<double> channels;  // width × height × 3
};

Expected Reference(const Image32& tile, int side, std::uint32_t background, int drop)
{
    const double viewWidth = 2.0 * tile.width;
    const double viewHeight = 2.0 * tile.height;
    const double scale = std::min(1.0, side / std::max(viewWidth, viewHeight));
    Expected e;
    e.width = std::max(1, static_cast<int>(std::lround(viewWidth * scale)));
    e.height = std::max(1, static_cast<int>(std::lround(viewHeight * scale)));
    e.left = (side - e.width) / 2;
    e.top = (side - e.height) / 2;
    e.channels.assign(static_cast<std::size_t>(e.width) * e.height * 3, 0.0);
    const double stepX = viewWidth / e.width;
    const double stepY = viewHeight / e.height;
    for (int y = 0; y < viewHeight; ++y) {
        for (int x = 0; x < viewWidth; ++x) {
            const std::uint32_t pixel = CompositeOver(ViewPixel(tile, x, y, drop), background);
            for (int ty = static_cast<int>(y / stepY); ty < e.height && ty * stepY < y + 1; ++ty) {
                const double coverY = std::min(y + 1.0, (ty + 1) * stepY) - std::max<double>(y, ty * stepY);
                for (int tx = static_cast<int>(x / stepX); tx < e.width && tx * stepX < x + 1; ++tx) {
                    const double coverX = std::min(x + 1.0, (tx + 1) * stepX) - std::max<double>(x, tx * stepX);
                    for (int c = 0; c < 3; ++c)
                        e.channels[(static_cast<std::size_t>(ty) * e.width + tx) * 3 + c] +=
                            coverX * coverY * ((pixel >> (8 * c)) & 0xFF) / (stepX * stepY);
                }
            }
        }
    }
    return e;
}

// Every pixel is the reference rounded (within rounding), and everything around it is the background.
void ExpectLikeReference(const Image32& thumbnail, const Expected& e, std::uint32_t background)
{
    int wrong = 0;
    for (int y = 0; y < thumbnail.height; ++y) {
        for (int x = 0; x < thumbnail.width; ++x) {
            const std::uint32_t got = thumbnail.At(x, y);
            const bool inside = x >= e.left && x < e.left + e.width && y >= e.top && y < e.top + e.height;
            if (!inside) {
                wrong += got != (0xFF000000u | background);
                continue;
            }
            wrong += (got >> 24) != 0xFF;
            for (int c = 0; c < 3; ++c) {
                const double want = e.channels[(static_cast<std::size_t>(y - e.top) * e.width + (x - e.left)) * 3 + c];
                wrong += std::abs(static_cast<double>((got >> (8 * c)) & 0xFF) - want) > 0.5 + 1e-9;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

}  // namespace

TEST(ImagingThumbnail, ASmallTileShowsTwoByTwoUnreducedInTheMiddle)
{
    const Image32 tile = imagingtest::SampleTile(4, 3, 11);
    const Image32 thumbnail = RepeatThumbnail(tile.View(), 16, kGreen);
    ASSERT_EQ(thumbnail.width, 16);
    ASSERT_EQ(thumbnail.height, 16);
    // 8 × 6 at (4, 5): each pixel the tile's, laid over the background.
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(thumbnail.At(4 + x, 5 + y), CompositeOver(tile.At(x % 4, y % 3), kGreen)) << x << "," << y;
    EXPECT_EQ(thumbnail.At(3, 5), 0xFF000000u | kGreen);
    EXPECT_EQ(thumbnail.At(4, 11), 0xFF000000u | kGreen);
}

TEST(ImagingThumbnail, ReducingAveragesTheCoveredArea)
{
    // A black-and-white checker: each reduced pixel covering a whole tile is the mean grey, rounded up.
    Image32 checker(2, 2, 0xFF000000u);
    checker.At(1, 0) = checker.At(0, 1) = 0xFFFFFFFFu;
    const Image32 two = RepeatThumbnail(checker.View(), 2, kGreen);
    for (const std::uint32_t pixel : two.pixels)
        EXPECT_EQ(pixel, 0xFF808080u);

    // One white column in twelve, reduced by three: a third of it in every fourth pixel, exactly.
    Image32 stripe(6, 1, 0xFF000000u);
    stripe.At(4, 0) = 0xFFFFFFFFu;
    const Image32 reduced = RepeatThumbnail(stripe.View(), 4, kGreen);
    EXPECT_EQ(reduced.At(0, 1), 0xFF000000u);
    EXPECT_EQ(reduced.At(1, 1), 0xFF555555u);
    EXPECT_EQ(reduced.At(3, 1), 0xFF555555u);
    EXPECT_EQ(reduced.At(0, 0), 0xFF000000u | kGreen);  // 4 × 1 rows in the middle of 4 × 4
}

TEST(ImagingThumbnail, OddSizesMatchTheAreaAverageEverywhere)
{
    for (const auto& [width, height, side] : {std::tuple{37, 23, 16}, std::tuple{37, 23, 50}, std::tuple{5, 41, 13},
                                              std::tuple{129, 64, 128}, std::tuple{1, 1, 1}}) {
        SCOPED_TRACE(testing::Message() << width << " x " << height << " in " << side);
        const Image32 tile = imagingtest::SampleTile(width, height, 7u * width + height);
        ExpectLikeReference(RepeatThumbnail(tile.View(), side, kGreen), Reference(tile, side, kGreen, 0), kGreen);
    }
}

TEST(ImagingThumbnail, AlphaIsLaidOverTheBackgroundBeforeAveraging)
{
    Image32 clear(1, 1, 0x00FF0000u);  // red, fully transparent: the background alone
    for (const std::uint32_t pixel : RepeatThumbnail(clear.View(), 2, kGreen).pixels)
        EXPECT_EQ(pixel, 0xFF00C000u);
    Image32 half(1, 1, 0x80FF0000u);  // half red over green
    for (const std::uint32_t pixel : RepeatThumbnail(half.View(), 2, kGreen).pixels)
        EXPECT_EQ(pixel, CompositeOver(0x80FF0000u, kGreen));
    // Averaged after compositing: transparent red beside opaque blue is half green, half blue.
    Image32 pair(2, 1, 0x00FF0000u);
    pair.At(1, 0) = 0xFF0000FFu;
    EXPECT_EQ(RepeatThumbnail(pair.View(), 1, kGreen).At(0, 0), 0xFF006080u);
}

TEST(ImagingThumbnail, AnotherRepeatIsShownAsItsLayoutSays)
{
    // The right column dropped by a third of the tile, as a half-drop of 1/3 would lay it.
    const Image32 tile = imagingtest::SampleTile(9, 12, 5);
    RepeatLayout drop;
    drop.quarters[0][1].shiftY = 4;
    drop.quarters[1][1].shiftY = 4;
    ExpectLikeReference(RepeatThumbnail(tile.View(), 18, kGreen, drop), Reference(tile, 18, kGreen, 4), kGreen);
    ExpectLikeReference(RepeatThumbnail(tile.View(), 11, kGreen, drop), Reference(tile, 11, kGreen, 4), kGreen);

    // A mirrored quarter reads the tile from its other end.
    RepeatLayout mirror;
    mirror.quarters[0][1].mirrorX = true;
    EXPECT_EQ(RepeatSource(mirror, 9, 12, 9, 0).x, 8);
    EXPECT_EQ(RepeatSource(mirror, 9, 12, 17, 0).x, 0);
    EXPECT_EQ(RepeatSource(mirror, 9, 12, 0, 13).x, 0);
}

TEST(ImagingThumbnail, TheLayoutOfEachRepeatShowsWhatTheRepeatLaysInItsFirstTwoByTwoTiles)
{
    const Image32 tile = imagingtest::SampleTile(7, 5, 3);
    for (const RepeatKind kind : {RepeatKind::Block, RepeatKind::HalfDrop, RepeatKind::HalfBrick, RepeatKind::Mirror}) {
        for (const int n : {2, 3, 4}) {
            const Repeat repeat{kind, n};
            const RepeatLayout layout = LayoutOf(repeat, tile.width, tile.height);
            for (int y = 0; y < 2 * tile.height; ++y) {
                for (int x = 0; x < 2 * tile.width; ++x) {
                    const TilePoint from = RepeatSource(layout, tile.width, tile.height, x, y);
                    ASSERT_EQ(tile.At(from.x, from.y), imagingtest::RepeatDefinition(tile, repeat, x, y))
                        << "kind " << static_cast<int>(kind) << " 1/" << n << " at (" << x << ", " << y << ")";
                }
            }
        }
    }
}

TEST(ImagingThumbnail, NoTileGivesTheBackground)
{
    const Image32 none = RepeatThumbnail(ConstPixels{}, 8, kGreen);
    ASSERT_EQ(none.pixels.size(), 64u);
    for (const std::uint32_t pixel : none.pixels)
        EXPECT_EQ(pixel, 0xFF000000u | kGreen);
    EXPECT_TRUE(RepeatThumbnail(ConstPixels{}, 0, kGreen).pixels.empty());
}
