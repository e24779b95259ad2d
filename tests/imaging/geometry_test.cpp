#include <gtest/gtest.h>

#include <windows.h>

#include <climits>

#include "imaging/composite.h"
#include "imaging/pixels.h"

using namespace imaging;

TEST(ImagingGeometry, WrapFloorDivAndHalfTileAtNegativeAndOddValues)
{
    EXPECT_EQ(Wrap(12, 5), 2);
    EXPECT_EQ(Wrap(-1, 5), 4);
    EXPECT_EQ(Wrap(-5, 5), 0);
    EXPECT_EQ(Wrap(-6, 5), 4);
    EXPECT_EQ(Wrap(LLONG_MIN, 7), static_cast<int>(LLONG_MIN % 7 + 7));
    EXPECT_EQ(FloorDiv(-1, 2), -1);
    EXPECT_EQ(FloorDiv(-4, 2), -2);
    EXPECT_EQ(FloorDiv(5, 2), 2);
    EXPECT_EQ(HalfTile(7), 3);
    EXPECT_EQ(HalfTile(8), 4);
    EXPECT_EQ(HalfTile(1), 0);
}

TEST(ImagingGeometry, CompositeRoundsEachChannelOverTheBackground)
{
    // Half-opaque red over blue: (255 * 128 + 127) / 255 = 128 red, (255 * 127 + 127) / 255 = 127 blue.
    EXPECT_EQ(CompositeOver(0x80FF0000u, 0x000000FFu), 0xFF80007Fu);
    EXPECT_EQ(CompositeOver(0x00123456u, 0x00ABCDEFu), 0xFFABCDEFu);
    EXPECT_EQ(CompositeOver(0xFF123456u, 0x00ABCDEFu), 0xFF123456u);
    EXPECT_EQ(FromColorref(RGB(0x11, 0x22, 0x33)), 0x00112233u);
}
