#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "helpers.h"
#include "imaging/dib.h"
#include "imaging/pixels.h"

using namespace imaging;

TEST(ImagingDib, HeaderAndBottomUpRowsWithStraightAlpha)
{
    const Image32 tile = imagingtest::SampleTile(3, 2, 11);
    const std::vector<std::uint8_t> dib = MakeDibV5(tile.View(), 5, 3);
    ASSERT_EQ(dib.size(), sizeof(BITMAPV5HEADER) + 5 * 4 * 3);
    BITMAPV5HEADER header;
    std::memcpy(&header, dib.data(), sizeof(header));
    EXPECT_EQ(header.bV5Size, sizeof(BITMAPV5HEADER));
    EXPECT_EQ(header.bV5Width, 5);
    EXPECT_EQ(header.bV5Height, 3);
    EXPECT_EQ(header.bV5Planes, 1);
    EXPECT_EQ(header.bV5BitCount, 32);
    EXPECT_EQ(header.bV5Compression, DWORD{BI_BITFIELDS});
    EXPECT_EQ(header.bV5SizeImage, 5u * 4 * 3);
    EXPECT_EQ(header.bV5RedMask, 0x00FF0000u);
    EXPECT_EQ(header.bV5GreenMask, 0x0000FF00u);
    EXPECT_EQ(header.bV5BlueMask, 0x000000FFu);
    EXPECT_EQ(header.bV5AlphaMask, 0xFF000000u);
    EXPECT_EQ(header.bV5CSType, 0x73524742u);  // 'sRGB'
    EXPECT_EQ(header.bV5Intent, DWORD{LCS_GM_IMAGES});
    for (int row = 0; row < 3; ++row)  // the first row stored is the picture's bottom row
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(LoadPixel(&dib[sizeof(header) + std::size_t(row) * 20 + std::size_t(x) * 4]),
                      tile.At(x % 3, (2 - row) % 2))
                << x << "," << row;

    EXPECT_TRUE(MakeDibV5(tile.View(), 0, 3).empty());
    EXPECT_TRUE(MakeDibV5(tile.View(), 5, -1).empty());
    EXPECT_TRUE(MakeDibV5(tile.View(), 30000, 30000).empty());
    EXPECT_TRUE(MakeDibV5(Image32().View(), 5, 3).empty());
}
