// A picture box resized a little at a time, as while the user drags the window's edge.

#include <gtest/gtest.h>

#include <windows.h>

#include "forms/picture.h"
#include "forms/picture_box.h"
#include "test_images.h"

using testsupport::Pixels;

namespace {

constexpr COLORREF kBack = RGB(40, 90, 160);
constexpr std::uint32_t kBackPixel = 0x00285AA0u;

forms::Picture MakePicture(const Pixels& pixels)
{
    return forms::Picture(testsupport::MakeDib(pixels), pixels.width, pixels.height, false);
}

class PictureBoxDrag : public testing::Test {
protected:
    void SetUp() override
    {
        box.SetBackColor(kBack);
        ASSERT_TRUE(box.Create(host.get(), {0, 0, 124, 94}));
        drawn = testsupport::Pattern(box.ScaleWidth(), box.ScaleHeight(), 31);
        box.SetPicture(MakePicture(drawn));
    }

    // Resizes the window so that its image gets this size.
    void SizeImage(int width, int height)
    {
        const forms::Bounds bounds = box.GetBounds();
        ASSERT_TRUE(
            box.Move({0, 0, bounds.width + width - box.ScaleWidth(), bounds.height + height - box.ScaleHeight()}));
        ASSERT_EQ(box.ScaleWidth(), width);
        ASSERT_EQ(box.ScaleHeight(), height);
    }

    // The image is what was drawn where both the drawing and every size since then reached,
    // and the background everywhere else.
    void ExpectDrawingWithin(int keptWidth, int keptHeight)
    {
        const Pixels image = testsupport::ReadBox(box);
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                const std::uint32_t want = x < keptWidth && y < keptHeight ? drawn.At(x, y) : kBackPixel;
                ASSERT_EQ(image.At(x, y) & 0xffffffu, want & 0xffffffu) << x << "," << y;
            }
    }

    picturetest::HostWindow host;
    forms::PictureBox box;
    Pixels drawn;
};

TEST_F(PictureBoxDrag, GrowingStepByStepKeepsTheDrawingAndShowsBackgroundBeyondIt)
{
    const int width = box.ScaleWidth();
    const int height = box.ScaleHeight();
    for (int step = 1; step <= 12; ++step)
        SizeImage(width + step * 3, height + step * 2);
    ExpectDrawingWithin(width, height);
    // The bitmap behind the image holds at least the image.
    BITMAP bitmap{};
    ASSERT_TRUE(GetObjectW(box.Image(), sizeof(bitmap), &bitmap));
    EXPECT_GE(bitmap.bmWidth, box.ScaleWidth());
    EXPECT_GE(std::abs(bitmap.bmHeight), box.ScaleHeight());
}

TEST_F(PictureBoxDrag, AreaUncoveredAgainAfterShrinkingShowsTheBackgroundNotTheOldDrawing)
{
    const int width = box.ScaleWidth();
    const int height = box.ScaleHeight();
    SizeImage(width + 5, height + 5);  // room for the drag
    HBITMAP roomy = box.Image();
    SizeImage(width - 2, height - 2);
    SizeImage(width + 4, height + 3);
    // All within the room: the same bitmap, refilled where it comes into view again.
    EXPECT_EQ(box.Image(), roomy);
    ExpectDrawingWithin(width - 2, height - 2);
}

TEST_F(PictureBoxDrag, ShrinkingFarGivesUpTheRoomAndKeepsTheTopLeft)
{
    const int width = box.ScaleWidth();
    const int height = box.ScaleHeight();
    SizeImage(width + 6, height + 6);
    SizeImage(20, 15);
    BITMAP bitmap{};
    ASSERT_TRUE(GetObjectW(box.Image(), sizeof(bitmap), &bitmap));
    EXPECT_EQ(bitmap.bmWidth, 20);
    ExpectDrawingWithin(20, 15);
    // Drawing through Hdc() after all that lands where the image is.
    box.SetPicture(MakePicture(testsupport::Pattern(20, 15, 32)));
    drawn = testsupport::Pattern(20, 15, 32);
    ExpectDrawingWithin(20, 15);
}

}  // namespace
