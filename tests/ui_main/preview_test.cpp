// The tile preview: File1_Click, the delayed redraw after resizing, PicW's click and the clipboard.

#include <gtest/gtest.h>

#include <thread>

#include "common/commands.h"
#include "forms/events.h"
#include "imaging/encode.h"
#include "support/main_window_test.h"
#include "support/read_back.h"

namespace {

using testsupport::IsTiling;
using testsupport::MainWindowTest;
using testsupport::Pixels;
using testsupport::ReadClipboardBitmap;

class PreviewTest : public MainWindowTest {
protected:
    Pixels PreviewPixels() const { return testsupport::ReadBox(form_->PicW); }

    void SelectImage(const std::wstring& name)
    {
        const int index = IndexInFile1(name);
        ASSERT_GE(index, 0) << "File1 does not list the image";
        form_->File1.SetSelected(index);
        EXPECT_TRUE(testsupport::AwaitShown(*form_));
    }
};

TEST_F(PreviewTest, SelectingAFileTilesItOverThePreviewAndCopiesTheTiling)
{
    AddImage(images_.Path(), L"Wand.bmp", 37, 23, 5);
    AddImage(images_.Path(), L"Other.bmp", 10, 10, 9);
    ShowFolder(images_.Path());
    ASSERT_TRUE(testsupport::PutClipboardText(L"before"));

    SelectImage(L"Wand.bmp");

    EXPECT_EQ(Commands::CurrentFolder, images_.Path());
    EXPECT_EQ(Commands::CurrentFile, L"Wand.bmp");
    EXPECT_EQ(form_->PicM.ScaleWidth(), 37);
    EXPECT_EQ(form_->PicM.ScaleHeight(), 23);
    const Pixels preview = PreviewPixels();
    EXPECT_TRUE(IsTiling(preview, 37, 23, 5));
    const Pixels clipboard = ReadClipboardBitmap();
    EXPECT_EQ(clipboard.width, preview.width);
    EXPECT_EQ(clipboard.height, preview.height);
    EXPECT_TRUE(clipboard.argb == preview.argb);
    EXPECT_TRUE(testsupport::Prompter().shown.empty());
}

TEST_F(PreviewTest, AnOpaqueImageIsHeldOnceForPicMAndTheTiling)
{
    AddImage(images_.Path(), L"Wand.bmp", 37, 23, 5);
    ShowFolder(images_.Path());
    SelectImage(L"Wand.bmp");
    DIBSECTION shown{};
    ASSERT_EQ(GetObjectW(form_->PicM.Image(), sizeof(shown), &shown), static_cast<int>(sizeof(shown)));
    EXPECT_EQ(form_->CurrentTile().pixels.bits, shown.dsBm.bmBits);
}

TEST_F(PreviewTest, ASelectionMadeWhileAnotherPictureDecodesIsTheOneShown)
{
    // A JPEG large enough that another program's resize, and the key it lets through, come while it decodes.
    const Pixels large = testsupport::Pattern(2400, 1600, 3);
    ASSERT_TRUE(testsupport::WriteWithWic(images_ / L"a_gross.jpg", GUID_ContainerFormatJpeg, large));
    AddImage(images_.Path(), L"b.bmp", 21, 17, 4);
    ShowFolder(images_.Path());
    const HWND list = form_->File1.Hwnd();
    const HWND window = form_->Hwnd();
    RECT client{};
    GetClientRect(window, &client);
    const forms::UniqueKernelHandle started(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread other([&] {
        WaitForSingleObject(started.get(), INFINITE);
        Sleep(30);
        PostMessageW(list, WM_KEYDOWN, VK_DOWN, 1);
        SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    });
    SetEvent(started.get());
    SelectImage(L"a_gross.jpg");
    forms::DoEvents();
    other.join();
    forms::DoEvents();

    // Whichever pending events let the key through, the picture shown is the one selected last.
    EXPECT_EQ(Commands::CurrentFile, L"b.bmp");
    EXPECT_EQ(form_->PicM.ScaleWidth(), 21);
    EXPECT_TRUE(IsTiling(PreviewPixels(), 21, 17, 4));
    EXPECT_TRUE(IsTiling(ReadClipboardBitmap(), 21, 17, 4));
}

TEST_F(PreviewTest, ATileLargerThanThePreviewIsCutOffAtItsEdges)
{
    const int width = form_->PicW.ScaleWidth() + 20;
    const int height = form_->PicW.ScaleHeight() + 7;
    AddImage(images_.Path(), L"big.bmp", width, height, 3);
    ShowFolder(images_.Path());
    SelectImage(L"big.bmp");
    EXPECT_TRUE(IsTiling(PreviewPixels(), width, height, 3));
}

TEST_F(PreviewTest, AFileThatIsNoPictureLeavesPicMEmptyWithoutAMessage)
{
    AddImage(images_.Path(), L"good.bmp", 12, 8, 1);
    ASSERT_TRUE(testsupport::WriteFileBytes(images_ / L"broken.bmp", "this is no bitmap"));
    ShowFolder(images_.Path());
    SelectImage(L"good.bmp");
    ASSERT_TRUE(form_->PicM.HasPicture());

    SelectImage(L"broken.bmp");

    EXPECT_EQ(Commands::CurrentFile, L"broken.bmp");
    EXPECT_FALSE(form_->PicM.HasPicture());
    EXPECT_TRUE(testsupport::Prompter().shown.empty());
    // The preview says so instead of tiling; the clipboard keeps the last picture's tiling.
    EXPECT_FALSE(IsTiling(PreviewPixels(), 12, 8, 1));
    EXPECT_TRUE(IsTiling(ReadClipboardBitmap(), 12, 8, 1));
}

TEST_F(PreviewTest, WithoutASelectionFile1ClickChangesNothing)
{
    ShowFolder(images_.Path());
    Commands::CurrentFolder = L"C:\\kept\\";
    Commands::CurrentFile = L"kept.bmp";
    ASSERT_TRUE(testsupport::PutClipboardText(L"kept"));
    const Pixels before = PreviewPixels();

    form_->File1_Click();
    EXPECT_TRUE(testsupport::AwaitShown(*form_));

    EXPECT_EQ(Commands::CurrentFolder, L"C:\\kept\\");
    EXPECT_EQ(Commands::CurrentFile, L"kept.bmp");
    EXPECT_FALSE(testsupport::ClipboardHasBitmap());
    EXPECT_TRUE(PreviewPixels().argb == before.argb);
}

TEST_F(PreviewTest, ClickOnThePreviewCopiesItAndSaysSoInBothLanguages)
{
    AddImage(images_.Path(), L"tile.bmp", 16, 16, 2);
    ShowFolder(images_.Path());
    SelectImage(L"tile.bmp");
    ASSERT_TRUE(testsupport::PutClipboardText(L"replaced"));
    bool bitmapWhileShown = false;
    testsupport::Prompter().whileShown = [&] { bitmapWhileShown = testsupport::ClipboardHasBitmap(); };

    form_->PicW_Click();

    ASSERT_EQ(testsupport::Prompter().shown.size(), 1u);
    const testsupport::ShownMessage& message = testsupport::Prompter().shown[0];
    EXPECT_EQ(message.text, L"die Grafik befindet sich jetzt in der Zwischenablage.   \r\n"
                            L"now the graphic is on the clipboard.   \r\n");
    EXPECT_EQ(message.title, L"Brenwick Quadrino");
    EXPECT_EQ(message.flags & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_TRUE(bitmapWhileShown);
    EXPECT_TRUE(IsTiling(ReadClipboardBitmap(), 16, 16, 2));
}

TEST_F(PreviewTest, ClickOnThePreviewWindowRunsTheSameHandler)
{
    SendMessageW(form_->PicW.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(form_->PicW.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    forms::DoEvents();
    ASSERT_EQ(testsupport::Prompter().shown.size(), 1u);
    EXPECT_NE(testsupport::Prompter().shown[0].text.find(L"now the graphic is on the clipboard."), std::wstring::npos);
}

TEST_F(PreviewTest, ClickOnTheSingleTileDoesNothing)
{
    Commands::CurrentFile = L"unchanged.bmp";
    ASSERT_TRUE(testsupport::PutClipboardText(L"unchanged"));
    form_->PicM_Click();
    SendMessageW(form_->PicM.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(form_->PicM.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    forms::DoEvents();
    EXPECT_TRUE(testsupport::Prompter().shown.empty());
    EXPECT_EQ(Commands::CurrentFile, L"unchanged.bmp");
    EXPECT_FALSE(testsupport::ClipboardHasBitmap());
}

TEST_F(PreviewTest, AResizeCopiesThePreviewAsLastDrawn)
{
    AddImage(images_.Path(), L"tile.bmp", 21, 13, 4);
    ShowFolder(images_.Path());
    SelectImage(L"tile.bmp");
    ASSERT_TRUE(testsupport::PutClipboardText(L"replaced"));

    ASSERT_TRUE(form_->SetOuterSize(form_->Width() + 40, form_->Height() + 30));

    const Pixels clipboard = ReadClipboardBitmap();
    EXPECT_EQ(clipboard.width, form_->PicW.ScaleWidth());
    EXPECT_EQ(clipboard.height, form_->PicW.ScaleHeight());
    EXPECT_TRUE(clipboard.argb == PreviewPixels().argb);
    EXPECT_EQ(form_->ResizeTicks, 1);
}

TEST_F(PreviewTest, FocusOnTheWindowShowsTheSelectedImageAgain)
{
    AddImage(images_.Path(), L"tile.bmp", 9, 9, 6);
    ShowFolder(images_.Path());
    SelectImage(L"tile.bmp");
    Commands::CurrentFile.clear();
    form_->Form_GotFocus();
    EXPECT_EQ(Commands::CurrentFile, L"tile.bmp");
}

// Runs ticks by hand and notes on which ones File1_Click ran (it sets CurrentFile).
std::vector<int> TicksThatRedrew(ui::Form1& form, int ticks)
{
    std::vector<int> redrawn;
    for (int tick = 1; tick <= ticks; ++tick) {
        Commands::CurrentFile.clear();
        form.Timer1_Timer();
        if (!Commands::CurrentFile.empty())
            redrawn.push_back(tick);
    }
    return redrawn;
}

TEST_F(PreviewTest, ABurstOfResizesRedrawsOnceOnTheNinthTickAfterTheLast)
{
    AddImage(images_.Path(), L"tile.bmp", 11, 7, 8);
    ShowFolder(images_.Path());
    SelectImage(L"tile.bmp");

    for (int step = 0; step < 5; ++step) {
        form_->SetOuterSize(form_->Width() + 7, form_->Height() + 3);
        // Fewer than nine ticks between resizes never redraw.
        EXPECT_TRUE(TicksThatRedrew(*form_, 8).empty());
    }
    form_->SetOuterSize(form_->Width() + 7, form_->Height() + 3);
    EXPECT_EQ(form_->ResizeTicks, 1);

    EXPECT_EQ(TicksThatRedrew(*form_, 30), std::vector<int>{9});
    EXPECT_EQ(form_->ResizeTicks, 12);
    // The redraw tiled the preview at its new size.
    AwaitShown();
    EXPECT_TRUE(IsTiling(PreviewPixels(), 11, 7, 8));
}

TEST_F(PreviewTest, WithoutAResizeTheCounterStartsAtZeroAndRedrawsOnTheTenthTick)
{
    AddImage(images_.Path(), L"tile.bmp", 5, 5, 1);
    ShowFolder(images_.Path());
    SelectImage(L"tile.bmp");
    form_->ResizeTicks = 0;
    EXPECT_EQ(TicksThatRedrew(*form_, 20), std::vector<int>{10});
}

TEST_F(PreviewTest, TheDelayedRedrawWithoutASelectionChangesNothing)
{
    ShowFolder(images_.Path());
    form_->Form_Resize();
    EXPECT_TRUE(TicksThatRedrew(*form_, 15).empty());
    EXPECT_EQ(form_->ResizeTicks, 12);
}

TEST(MainWindowTimer, TicksFromTheStartAndTheCounterStartsAtZero)
{
    testsupport::SavedEnvironment saved;
    ui::Form1 form;
    EXPECT_EQ(form.ResizeTicks, 0);
    ASSERT_TRUE(form.Create());
    EXPECT_TRUE(form.Timer1.Enabled());
}

}  // namespace

namespace {

TEST_F(PreviewTest, APngWithTransparencyIsListedAndShownOverTheBackground)
{
    // Left half opaque red, right half fully transparent blue, as straight alpha.
    imaging::Image32 tile(4, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            tile.At(x, y) = x < 2 ? 0xFFFF0000u : 0x000000FFu;
    const std::vector<std::uint8_t> png = imaging::EncodePngToMemory(tile.View(), 4, 2);
    ASSERT_FALSE(png.empty());
    ASSERT_TRUE(testsupport::WriteFileBytes(images_ / L"Glas.png", std::string(png.begin(), png.end())));
    ShowFolder(images_.Path());
    SelectImage(L"Glas.png");

    const COLORREF back = form_->PicM.BackColor();
    const std::uint32_t backRgb = (GetRValue(back) << 16) | (GetGValue(back) << 8) | GetBValue(back);
    const Pixels preview = PreviewPixels();
    EXPECT_EQ(preview.At(1, 1), 0xFF0000u);
    EXPECT_EQ(preview.At(3, 0), backRgb);
    EXPECT_EQ(preview.At(7, 3), backRgb);
    // What leaves the program keeps the picture's own alpha.
    const ui::Form1::TileSource source = form_->CurrentTile();
    ASSERT_EQ(source.pixels.width, 4);
    EXPECT_EQ(imaging::LoadPixel(source.pixels.Row(0) + 3 * 4) >> 24, 0u);
    EXPECT_EQ(imaging::LoadPixel(source.pixels.Row(1)), 0xFFFF0000u);
}

}  // namespace
