#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "helpers.h"
#include "imaging/borders.h"
#include "imaging/composite.h"
#include "imaging/view.h"

using namespace imaging;

namespace {

constexpr std::uint32_t kBackground = 0x00336699u;

// The view by its definition: each screen pixel looked up (or averaged) on its own.
std::uint32_t Expected(const Image32& tile, long long sx, long long sy, ViewParams p)
{
    const auto at = [&](long long x, long long y) {
        return CompositeOver(tile.At(Wrap(x, tile.width), Wrap(y, tile.height)), kBackground);
    };
    return imagingtest::ViewDefinition(at, sx, sy, p);
}

Image32 Render(const Image32& tile, int width, int height, ViewParams p)
{
    Image32 target(width, height);
    RenderView(tile.View(), target.View(), p, kBackground);
    return target;
}

}  // namespace

TEST(ImagingView, EveryZoomOriginAndTileSizeMatchesTheDefinition)
{
    const int sizes[][2] = {{1, 1}, {1, 3}, {3, 1}, {2, 2}, {5, 3}, {37, 29}, {80, 70}};
    const int origins[][2] = {{0, 0}, {-7, 5}, {13, -2000000001}};
    constexpr int kWidth = 61;
    constexpr int kStride = kWidth + 3;  // padding after each row must stay untouched
    for (const auto& size : sizes) {
        const Image32 tile = imagingtest::SampleTile(size[0], size[1], 7u * size[0] + size[1]);
        for (int zoom : {25, 50, 100, 200, 400, 800})
            for (const auto& origin : origins) {
                const ViewParams p{origin[0], origin[1], zoom};
                Image32 target(kStride, 47, 0x5A5A5A5Au);
                RenderView(tile.View(), {kWidth, 47, kStride * 4, target.View().bits}, p, kBackground);
                for (int y = 0; y < 47; ++y)
                    for (int x = 0; x < kStride; ++x)
                        ASSERT_EQ(target.At(x, y), x < kWidth ? Expected(tile, x, y, p) : 0x5A5A5A5Au)
                            << size[0] << "x" << size[1] << " zoom " << zoom << " origin " << origin[0] << ","
                            << origin[1] << " at " << x << "," << y;
            }
    }
}

TEST(ImagingView, OpaqueTilesAndViewsTooLargeForTheCacheMatchTheDefinition)
{
    // 2100 x 1000 pixels: past the size from which rows are written around the cache. The wide tile
    // fills whole rows when enlarged, the narrow one is repeated along them.
    Image32 target(2100, 1000);
    for (const int width : {37, 1100}) {
        Image32 tile = imagingtest::SampleTile(width, 29, 11u);
        for (std::uint32_t& pixel : tile.pixels)
            pixel |= 0xFF000000u;
        ConstPixels opaque = tile.View();
        opaque.opaque = true;
        for (int zoom : {25, 100, 200, 400}) {
            const ViewParams p{-13, 2000000007, zoom};
            RenderView(opaque, target.View(), p, kBackground);
            for (int y = 0; y < target.height; y += 7)
                for (int x = 0; x < target.width; x += 5)
                    ASSERT_EQ(target.At(x, y), Expected(tile, x, y, p))
                        << width << " wide, zoom " << zoom << " at " << x << "," << y;
        }
    }
}

TEST(ImagingView, TheViewRepeatsByItsPeriodAtEveryOrigin)
{
    EXPECT_EQ(ViewPeriod(5, 50), 5);
    EXPECT_EQ(ViewPeriod(4, 50), 2);
    EXPECT_EQ(ViewPeriod(6, 25), 3);
    EXPECT_EQ(ViewPeriod(3, 800), 24);
    EXPECT_EQ(ViewPeriod(0, 100), 0);
    EXPECT_EQ(ViewPeriod(3, 33), 0);
    for (const auto& size : {std::pair{1, 1}, std::pair{6, 4}, std::pair{5, 7}, std::pair{12, 9}})
        for (int zoom : {25, 50, 100, 200}) {
            const Image32 tile = imagingtest::SampleTile(size.first, size.second, 3u);
            const long long px = ViewPeriod(size.first, zoom);
            const long long py = ViewPeriod(size.second, zoom);
            const ViewParams p{-5, 3, zoom};
            const Image32 view = Render(tile, 40, 30, p);
            const Image32 shifted = Render(tile, 40, 30, {p.originX + static_cast<int>(px), p.originY, zoom});
            const Image32 lowered = Render(tile, 40, 30, {p.originX, p.originY + static_cast<int>(py), zoom});
            EXPECT_EQ(view.pixels, shifted.pixels) << size.first << "x" << size.second << " zoom " << zoom;
            EXPECT_EQ(view.pixels, lowered.pixels) << size.first << "x" << size.second << " zoom " << zoom;
        }
}

TEST(ImagingView, HandCheckedShiftSquaresAndAverages)
{
    const Image32 pair = [] {
        Image32 t(2, 1, 0xFF0000AAu);
        t.At(1, 0) = 0xFF0000BBu;
        return t;
    }();
    const std::uint32_t a = 0xFF0000AAu, b = 0xFF0000BBu;
    EXPECT_EQ(Render(pair, 5, 1, {1, 0, 100}).pixels, (std::vector<std::uint32_t>{b, a, b, a, b}));
    // At 200 % the picture pixel left of the corner shows its right half at screen x 0.
    EXPECT_EQ(Render(pair, 5, 2, {1, 0, 200}).pixels, (std::vector<std::uint32_t>{b, a, a, b, b, b, a, a, b, b}));

    // Screen pixels cover plane columns 0-3, 4-7, 8-11 of greys 0, 64, 128: means 48, 64, 80.
    Image32 greys(3, 1);
    greys.pixels = {0xFF000000u, 0xFF404040u, 0xFF808080u};
    EXPECT_EQ(Render(greys, 4, 1, {0, 0, 25}).pixels,
              (std::vector<std::uint32_t>{0xFF303030u, 0xFF404040u, 0xFF505050u, 0xFF303030u}));

    Image32 checker(2, 2, 0xFF204060u);
    checker.At(1, 0) = checker.At(0, 1) = 0xFF6080A0u;
    const Image32 dot(1, 1, 0x80FF0000u);
    for (int zoom : {25, 50}) {
        EXPECT_EQ(Render(checker, 7, 3, {1, 0, zoom}).pixels, std::vector<std::uint32_t>(21, 0xFF406080u));
        EXPECT_EQ(Render(dot, 3, 2, {-1, 4, zoom}).pixels,
                  std::vector<std::uint32_t>(6, CompositeOver(0x80FF0000u, kBackground)));
    }
    // Nothing to show, or a zoom it does not offer: background only.
    EXPECT_EQ(Render(greys, 4, 3, {0, 0, 33}).pixels, std::vector<std::uint32_t>(12, 0xFF000000u | kBackground));
    EXPECT_EQ(Render(Image32(), 4, 3, {0, 0, 100}).pixels, std::vector<std::uint32_t>(12, 0xFF000000u | kBackground));
}

namespace {

// Draws borders on a marked target; expects dots exactly in the given columns and rows.
void ExpectBorders(int width, int height, ViewParams p, int tileWidth, int tileHeight, const std::vector<int>& columns,
                   const std::vector<int>& rows)
{
    constexpr std::uint32_t kMarker = 0xFF123456u;
    Image32 target(width, height, kMarker);
    DrawTileBorders(target.View(), p, tileWidth, tileHeight);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool edge = std::count(columns.begin(), columns.end(), x) + std::count(rows.begin(), rows.end(), y);
            const std::uint32_t dot = (x + y) % 2 == 0 ? kBorderDark : kBorderLight;
            EXPECT_EQ(target.At(x, y), edge ? dot : kMarker) << "zoom " << p.zoomPercent << " at " << x << "," << y;
        }
}

}  // namespace

TEST(ImagingBorders, DottedLinesLieOnTileEdgesOnly)
{
    // 100 %: a 4 x 3 tile with its corner at (1, -1) has edges at x = 1, 5, 9 and y = 2, 5.
    ExpectBorders(10, 8, {1, -1, 100}, 4, 3, {1, 5, 9}, {2, 5});
    // 50 %: edges at plane x = 5m fall on screen x = 3 + floor(5m / 2); plane y = 4m on y = 2m.
    ExpectBorders(12, 7, {3, 0, 50}, 5, 4, {0, 3, 5, 8, 10}, {0, 2, 4, 6});
    // 200 %: corners every 6 screen pixels from x = -2 and y = 0.
    ExpectBorders(13, 5, {-2, 0, 200}, 3, 3, {4, 10}, {0});
}
