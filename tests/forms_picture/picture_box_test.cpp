#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>

#include "forms/picture.h"
#include "forms/picture_box.h"
#include "imaging/composite.h"
#include "support/test_env.h"
#include "test_images.h"

using testsupport::Pixels;

namespace {

constexpr COLORREF kBack = RGB(10, 200, 30);
constexpr std::uint32_t kBackPixel = 0x000AC81Eu;  // the same colour as read from a DIB

// A picture made from pixels (premultiplied when some are transparent).
forms::Picture MakePicture(const Pixels& pixels)
{
    const bool alpha =
        std::any_of(pixels.argb.begin(), pixels.argb.end(), [](std::uint32_t p) { return (p >> 24) != 0xff; });
    return forms::Picture(testsupport::MakeDib(pixels), pixels.width, pixels.height, alpha);
}

// The picture's own pixels, read from its memory (its bitmap may be selected into the box's DC).
Pixels PictureBits(const forms::Picture& picture)
{
    const auto* bits = reinterpret_cast<const std::uint32_t*>(picture.Bits());
    return {picture.Width(), picture.Height(), {bits, bits + picture.Width() * picture.Height()}};
}

// Whether no DC holds the bitmap: a DIB section can be selected into one DC only.
bool Selectable(HBITMAP bitmap)
{
    const forms::UniqueHdc dc(CreateCompatibleDC(nullptr));
    const HGDIOBJ previous = SelectObject(dc.get(), bitmap);
    if (previous)
        SelectObject(dc.get(), previous);
    return previous != nullptr;
}

Pixels Image(const forms::PictureBox& box)
{
    return testsupport::ReadBox(box, testsupport::Alpha::Kept);
}

std::uint32_t Rgb(std::uint32_t pixel)
{
    return pixel & 0x00ffffffu;
}

class PictureBoxTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(host.get(), nullptr);
        box.SetBackColor(kBack);
        ASSERT_TRUE(box.Create(host.get(), {10, 20, 120, 90}));
    }
    picturetest::HostWindow host;
    forms::PictureBox box;
};

}  // namespace

TEST_F(PictureBoxTest, StartsWithAnImageOfTheClientSizeInTheBackColour)
{
    RECT client{};
    GetClientRect(box.Hwnd(), &client);
    EXPECT_EQ(box.ScaleWidth(), client.right);
    EXPECT_EQ(box.ScaleHeight(), client.bottom);
    EXPECT_GT(box.ScaleWidth(), 0);
    BITMAP image{};
    ASSERT_TRUE(GetObjectW(box.Image(), sizeof(image), &image));
    EXPECT_EQ(image.bmWidth, box.ScaleWidth());
    EXPECT_EQ(std::abs(image.bmHeight), box.ScaleHeight());
    EXPECT_EQ(GetCurrentObject(box.Hdc(), OBJ_BITMAP), box.Image());
    for (std::uint32_t pixel : Image(box).argb)
        ASSERT_EQ(Rgb(pixel), kBackPixel);
    EXPECT_FALSE(box.HasPicture());
}

TEST_F(PictureBoxTest, AutoSizeFitsTheClientAreaToThePictureAndKeepsThePosition)
{
    const forms::Bounds before = box.GetBounds();
    box.SetAutoSize(true);
    const Pixels pattern = testsupport::Pattern(37, 23, 5);
    box.SetPicture(MakePicture(pattern));
    EXPECT_EQ(box.ScaleWidth(), 37);
    EXPECT_EQ(box.ScaleHeight(), 23);
    EXPECT_EQ(box.Left(), before.left);
    EXPECT_EQ(box.Top(), before.top);
    EXPECT_TRUE(box.HasPicture());
    EXPECT_EQ(Image(box).argb, pattern.argb);

    // Growing again to a larger picture.
    const Pixels larger = testsupport::Pattern(150, 101, 6);
    box.SetPicture(MakePicture(larger));
    EXPECT_EQ(box.ScaleWidth(), 150);
    EXPECT_EQ(box.ScaleHeight(), 101);
    EXPECT_EQ(Image(box).argb, larger.argb);
}

TEST_F(PictureBoxTest, WithoutAutoSizeThePictureSitsTopLeftOverTheBackground)
{
    const int width = box.ScaleWidth();
    const int height = box.ScaleHeight();
    const Pixels pattern = testsupport::Pattern(30, 20, 7);
    box.SetPicture(MakePicture(pattern));
    ASSERT_EQ(box.ScaleWidth(), width);
    ASSERT_EQ(box.ScaleHeight(), height);
    const Pixels image = Image(box);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(Rgb(image.At(x, y)), x < 30 && y < 20 ? Rgb(pattern.At(x, y)) : kBackPixel) << x << "," << y;
}

TEST_F(PictureBoxTest, TransparentPixelsShowTheBackground)
{
    box.SetAutoSize(true);
    Pixels pixels{3, 2, {0x00000000u, 0xff112233u, 0x00000000u, 0xff445566u, 0x00000000u, 0xff778899u}};
    box.SetPicture(MakePicture(pixels));
    const Pixels image = Image(box);
    for (size_t i = 0; i < pixels.argb.size(); ++i)
        EXPECT_EQ(Rgb(image.argb[i]), pixels.argb[i] ? Rgb(pixels.argb[i]) : kBackPixel) << i;
}

TEST_F(PictureBoxTest, TransparentGifFileShowsTheBackground)
{
    testsupport::TempFolder folder;
    const std::uint32_t palette[4] = {0x00FFFFFF, 0x00203040, 0x00A0B0C0, 0x00000000};
    const std::vector<std::uint8_t> indexes = {0, 1, 0, 2, 3, 0};
    ASSERT_TRUE(picturetest::WriteGif(folder / L"t.gif", 3, 2, indexes, palette, 0));
    const auto picture = forms::LoadPicture(folder / L"t.gif");
    ASSERT_TRUE(picture.has_value());
    box.SetAutoSize(true);
    box.SetPicture(*picture);
    const Pixels image = Image(box);
    ASSERT_EQ(image.argb.size(), indexes.size());
    for (size_t i = 0; i < indexes.size(); ++i)
        EXPECT_EQ(Rgb(image.argb[i]), indexes[i] == 0 ? kBackPixel : palette[indexes[i]]) << i;
}

TEST_F(PictureBoxTest, ResizeKeepsTheDrawingAndFillsNewAreaWithTheBackground)
{
    const Pixels pattern = testsupport::Pattern(60, 50, 8);
    box.SetPicture(MakePicture(pattern));
    const Pixels before = Image(box);
    const int oldWidth = box.ScaleWidth();
    const int oldHeight = box.ScaleHeight();

    ASSERT_TRUE(box.Move({10, 20, 220, 160}));
    const int width = box.ScaleWidth();
    const int height = box.ScaleHeight();
    ASSERT_GT(width, oldWidth);
    ASSERT_GT(height, oldHeight);
    BITMAP image{};
    ASSERT_TRUE(GetObjectW(box.Image(), sizeof(image), &image));
    EXPECT_EQ(image.bmWidth, width);
    const Pixels after = Image(box);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (x < oldWidth && y < oldHeight)
                ASSERT_EQ(after.At(x, y), before.At(x, y)) << x << "," << y;
            else
                ASSERT_EQ(Rgb(after.At(x, y)), kBackPixel) << x << "," << y;
        }
    }

    // Shrinking keeps the top-left part.
    ASSERT_TRUE(box.Move({10, 20, 40, 30}));
    const Pixels small = Image(box);
    for (int y = 0; y < box.ScaleHeight(); ++y)
        for (int x = 0; x < box.ScaleWidth(); ++x)
            ASSERT_EQ(small.At(x, y), before.At(x, y));
}

TEST_F(PictureBoxTest, ClearPictureKeepsTheSizeAndShowsOnlyTheBackground)
{
    box.SetAutoSize(true);
    box.SetPicture(MakePicture(testsupport::Pattern(44, 33, 9)));
    ASSERT_TRUE(box.HasPicture());
    box.ClearPicture();
    EXPECT_FALSE(box.HasPicture());
    EXPECT_EQ(box.ScaleWidth(), 44);
    EXPECT_EQ(box.ScaleHeight(), 33);
    for (std::uint32_t pixel : Image(box).argb)
        ASSERT_EQ(Rgb(pixel), kBackPixel);

    // An empty picture clears as well.
    box.SetPicture(MakePicture(testsupport::Pattern(5, 5, 10)));
    box.SetPicture(forms::Picture());
    EXPECT_FALSE(box.HasPicture());
    for (std::uint32_t pixel : Image(box).argb)
        ASSERT_EQ(Rgb(pixel), kBackPixel);
}

TEST_F(PictureBoxTest, ClickNeedsDownAndUpOnTheBox)
{
    int clicks = 0;
    box.onClick = [&] { ++clicks; };
    SendMessageW(box.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(clicks, 0);
    SendMessageW(box.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(box.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(6, 7));
    EXPECT_EQ(clicks, 1);
    // Released outside the box: no click.
    SendMessageW(box.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(box.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(-20, 5));
    EXPECT_EQ(clicks, 1);
    // A throwing handler does not escape the window procedure.
    box.onClick = [&] {
        ++clicks;
        throw 1;
    };
    SendMessageW(box.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(box.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(clicks, 2);
}

TEST_F(PictureBoxTest, EraseBackgroundIsLeftToThePaint)
{
    forms::WindowDc dc(box.Hwnd());
    EXPECT_EQ(SendMessageW(box.Hwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0), 1);
}

TEST_F(PictureBoxTest, PaintCopiesTheImageToTheWindow)
{
    ShowWindow(host.get(), SW_SHOWNOACTIVATE);
    const Pixels pattern = testsupport::Pattern(40, 30, 11);
    box.SetPicture(MakePicture(pattern));
    picturetest::PumpMessages();
    forms::WindowDc dc(box.Hwnd());
    const Pixels shown = testsupport::ReadDc(dc.get(), 40, 30);
    for (size_t i = 0; i < pattern.argb.size(); ++i)
        ASSERT_EQ(Rgb(shown.argb[i]), Rgb(pattern.argb[i])) << i;
}

TEST_F(PictureBoxTest, AnOpaqueSharedPictureIsTheImageAndLivesAsLongAsItIsShown)
{
    box.SetAutoSize(true);
    const Pixels pattern = testsupport::Pattern(37, 23, 12);
    auto picture = std::make_shared<const forms::Picture>(MakePicture(pattern));
    const std::weak_ptr<const forms::Picture> held = picture;
    const HBITMAP bitmap = picture->Bitmap();
    box.SetPicture(std::move(picture));
    EXPECT_EQ(box.Image(), bitmap);
    EXPECT_EQ(GetCurrentObject(box.Hdc(), OBJ_BITMAP), bitmap);
    EXPECT_FALSE(held.expired());
    EXPECT_EQ(Image(box).argb, pattern.argb);

    box.ClearPicture();
    EXPECT_TRUE(held.expired());
    EXPECT_EQ(box.ScaleWidth(), 37);
    for (std::uint32_t pixel : Image(box).argb)
        ASSERT_EQ(Rgb(pixel), kBackPixel);

    // Cleared, then resized before anyone looked: background at the new size.
    box.SetPicture(std::make_shared<const forms::Picture>(MakePicture(pattern)));
    box.ClearPicture();
    ASSERT_TRUE(box.Move({10, 20, 90, 70}));
    const Pixels resized = Image(box);
    EXPECT_EQ(resized.width, box.ScaleWidth());
    EXPECT_GT(resized.width, 37);
    for (std::uint32_t pixel : resized.argb)
        ASSERT_EQ(Rgb(pixel), kBackPixel);
}

TEST_F(PictureBoxTest, ResizingClearingOrCopyingLeavesTheSharedPictureAsItWas)
{
    box.SetAutoSize(true);
    const Pixels pattern = testsupport::Pattern(60, 50, 13);
    const auto picture = std::make_shared<const forms::Picture>(MakePicture(pattern));
    box.SetPicture(picture);
    ASSERT_TRUE(box.Move({10, 20, 220, 160}));
    EXPECT_TRUE(Selectable(picture->Bitmap()));
    const Pixels grown = Image(box);
    for (int y = 0; y < box.ScaleHeight(); ++y)
        for (int x = 0; x < box.ScaleWidth(); ++x)
            ASSERT_EQ(Rgb(grown.At(x, y)), x < 60 && y < 50 ? Rgb(pattern.At(x, y)) : kBackPixel) << x << "," << y;

    box.SetPicture(picture);
    box.ClearPicture();
    EXPECT_TRUE(Selectable(picture->Bitmap()));
    box.SetPicture(picture);
    const Pixels other = testsupport::Pattern(60, 50, 14);
    box.SetPicture(MakePicture(other));
    EXPECT_EQ(Image(box).argb, other.argb);
    EXPECT_EQ(PictureBits(*picture).argb, pattern.argb);
}

TEST_F(PictureBoxTest, StraightAlphaIsLaidOverTheBackgroundInAnImageWithRoomToSpare)
{
    // Growing a little leaves the bitmap wider than the image; the picture is larger still, and cut off.
    ASSERT_TRUE(box.Move({10, 20, 124, 94}));
    BITMAP bitmap{};
    ASSERT_TRUE(GetObjectW(box.Image(), sizeof(bitmap), &bitmap));
    ASSERT_GT(bitmap.bmWidth, box.ScaleWidth());
    Pixels pixels = testsupport::Pattern(box.ScaleWidth() + 5, box.ScaleHeight() + 3, 15);
    for (std::size_t i = 0; i < pixels.argb.size(); ++i)
        pixels.argb[i] = (pixels.argb[i] & 0x00ffffffu) | static_cast<std::uint32_t>(i % 3 * 0x7f) << 24;
    const auto picture =
        std::make_shared<const forms::Picture>(testsupport::MakeDib(pixels), pixels.width, pixels.height, true, false);
    box.SetPicture(picture);
    EXPECT_NE(box.Image(), picture->Bitmap());
    const Pixels image = Image(box);
    for (int y = 0; y < box.ScaleHeight(); ++y)
        for (int x = 0; x < box.ScaleWidth(); ++x)
            ASSERT_EQ(Rgb(image.At(x, y)), Rgb(imaging::CompositeOver(pixels.At(x, y), imaging::FromColorref(kBack))))
                << x << "," << y;
    EXPECT_EQ(PictureBits(*picture).argb, pixels.argb);
}
