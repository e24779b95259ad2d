#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>

#include "common/commands.h"
#include "forms/picture.h"
#include "forms/picture_box.h"
#include "test_images.h"

using testsupport::Pixels;

namespace {

forms::Picture MakePicture(const Pixels& pixels)
{
    return forms::Picture(testsupport::MakeDib(pixels), pixels.width, pixels.height, false);
}

// One copy of the whole source per tile position, as the tiling is defined.
void NaiveTile(forms::PictureBox& target, forms::PictureBox& source)
{
    const std::int64_t w = source.ScaleWidth();
    const std::int64_t h = source.ScaleHeight();
    if (w <= 0 || h <= 0)
        return;
    for (std::int64_t x = 0; x <= target.ScaleWidth(); x += w)
        for (std::int64_t y = 0; y <= target.ScaleHeight(); y += h)
            BitBlt(target.Hdc(), static_cast<int>(x), static_cast<int>(y), static_cast<int>(w), static_cast<int>(h),
                   source.Hdc(), 0, 0, SRCCOPY);
}

// Two equal previews with the same prior drawing, and a source box holding a picture.
class TilePictureTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(host.get(), nullptr);
        for (forms::PictureBox* preview : {&fast, &naive}) {
            preview->SetBackColor(RGB(1, 2, 3));
            ASSERT_TRUE(preview->Create(host.get(), {0, 0, 304, 204}));
            preview->SetPicture(MakePicture(testsupport::Pattern(preview->ScaleWidth(), preview->ScaleHeight(), 99)));
        }
        ASSERT_TRUE(source.Create(host.get(), {400, 0, 20, 20}));
        source.SetAutoSize(true);
    }

    void ShowSource(int width, int height)
    {
        const auto seed = static_cast<std::uint32_t>(width * 7 + height);
        source.SetPicture(MakePicture(testsupport::Pattern(width, height, seed)));
        ASSERT_EQ(source.ScaleWidth(), width);
        ASSERT_EQ(source.ScaleHeight(), height);
    }

    void ExpectSameAsNaive()
    {
        const Pixels before = testsupport::ReadBox(fast, testsupport::Alpha::Kept);
        Commands::TilePicture(fast, source);
        NaiveTile(naive, source);
        const Pixels got = testsupport::ReadBox(fast, testsupport::Alpha::Kept);
        const Pixels want = testsupport::ReadBox(naive, testsupport::Alpha::Kept);
        ASSERT_EQ(got.argb.size(), want.argb.size());
        for (int y = 0; y < got.height; ++y)
            for (int x = 0; x < got.width; ++x)
                ASSERT_EQ(got.At(x, y), want.At(x, y)) << x << "," << y;
        changed = got.argb != before.argb;
    }

    picturetest::HostWindow host;
    forms::PictureBox fast;
    forms::PictureBox naive;
    forms::PictureBox source;
    bool changed = false;
};

}  // namespace

TEST_F(TilePictureTest, PreviewHasTheExpectedSize)
{
    EXPECT_EQ(fast.ScaleWidth(), naive.ScaleWidth());
    EXPECT_EQ(fast.ScaleHeight(), naive.ScaleHeight());
    EXPECT_GE(fast.ScaleWidth(), 290);
}

TEST_F(TilePictureTest, OnePixelTileFillsEverything)
{
    ShowSource(1, 1);
    ExpectSameAsNaive();
    EXPECT_TRUE(changed);
    const Pixels got = testsupport::ReadBox(fast, testsupport::Alpha::Kept);
    const std::uint32_t tile = testsupport::ReadDc(source.Hdc(), 1, 1, testsupport::Alpha::Kept).argb[0];
    for (std::uint32_t pixel : got.argb)
        ASSERT_EQ(pixel, tile);
}

TEST_F(TilePictureTest, OddTileSizes)
{
    for (const SIZE size : {SIZE{3, 7}, SIZE{7, 3}, SIZE{17, 1}, SIZE{1, 19}, SIZE{151, 101}}) {
        SCOPED_TRACE(testing::Message() << size.cx << " x " << size.cy);
        ShowSource(size.cx, size.cy);
        ExpectSameAsNaive();
        EXPECT_TRUE(changed);
    }
}

TEST_F(TilePictureTest, TileThatDividesThePreviewExactly)
{
    const int width = fast.ScaleWidth();
    const int height = fast.ScaleHeight();
    ShowSource(width / 4, height / 2);
    ASSERT_EQ(width % source.ScaleWidth(), 0);
    ExpectSameAsNaive();
    // The tile repeats with its own period over the whole preview.
    const Pixels got = testsupport::ReadDc(fast.Hdc(), width, height, testsupport::Alpha::Kept);
    const Pixels tile = testsupport::ReadBox(source, testsupport::Alpha::Kept);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(got.At(x, y), tile.At(x % tile.width, y % tile.height));
}

TEST_F(TilePictureTest, TileAsLargeAsOrLargerThanThePreview)
{
    ShowSource(fast.ScaleWidth(), fast.ScaleHeight());
    ExpectSameAsNaive();
    ShowSource(fast.ScaleWidth() + 50, fast.ScaleHeight() + 3);
    ExpectSameAsNaive();
    EXPECT_TRUE(changed);
}

TEST_F(TilePictureTest, EmptySourceDrawsNothing)
{
    ASSERT_TRUE(source.Move({400, 0, 0, 0}));
    ASSERT_EQ(source.ScaleWidth(), 0);
    ExpectSameAsNaive();
    EXPECT_FALSE(changed);
    ASSERT_TRUE(source.Move({400, 0, 30, 0}));
    ASSERT_EQ(source.ScaleHeight(), 0);
    ExpectSameAsNaive();
    EXPECT_FALSE(changed);
}

TEST_F(TilePictureTest, SourceTallerThan32767Pixels)
{
    // Taller than any window may be: the box keeps the picture's size as its inner size.
    ShowSource(2, 40000);
    ExpectSameAsNaive();
    EXPECT_TRUE(changed);
}
