// The seam workbench in PicW: what the screen shows changes, what leaves the program does not.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "forms/events.h"
#include "imaging/borders.h"
#include "imaging/seam.h"
#include "imaging/view.h"
#include "support/main_window_test.h"
#include "support/read_back.h"

namespace {

using testsupport::IsTiling;
using testsupport::MainWindowTest;
using testsupport::Pixels;
using testsupport::ReadDc;

class ViewTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        AddImage(images_.Path(), L"Wand.bmp", kWidth, kHeight, 7);
        ShowFolder(images_.Path());
        form_->File1.SetSelected(IndexInFile1(L"Wand.bmp"));
        EXPECT_TRUE(testsupport::AwaitShown(*form_));
        ASSERT_EQ(form_->PicM.ScaleWidth(), kWidth);
    }

    // What PicW paints on the screen, drawn into a memory DC of the preview's size; outside `area`
    // the DC keeps what it had.
    Pixels Shown(std::optional<RECT> area = std::nullopt) const
    {
        const int width = form_->PicW.ScaleWidth();
        const int height = form_->PicW.ScaleHeight();
        forms::UniqueHdc dc(CreateCompatibleDC(nullptr));
        forms::UniqueHbitmap bitmap = forms::CreateDib32(width, height, nullptr);
        forms::SelectGuard select(dc.get(), bitmap.get());
        const RECT all = area.value_or(RECT{0, 0, width, height});
        if (!form_->PicW.onPaint || !form_->PicW.onPaint(dc.get(), all))
            BitBlt(dc.get(), 0, 0, width, height, form_->PicW.Hdc(), 0, 0, SRCCOPY);
        return ReadDc(dc.get(), width, height);
    }

    // Presses a key with Ctrl held where the focus is, through the program's message loop.
    void CtrlKey(WPARAM key)
    {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
        forms::DoEvents();
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    }

    void Mouse(UINT message, int x, int y, WPARAM keys = 0)
    {
        SendMessageW(form_->PicW.Hwnd(), message, keys, MAKELPARAM(x, y));
    }

    static constexpr int kWidth = 37;
    static constexpr int kHeight = 23;
};

TEST_F(ViewTest, HalfOffsetShiftsTheScreenByHalfATileAndLeavesTheTilingAlone)
{
    const Pixels before = Shown();
    ASSERT_TRUE(IsTiling(before, kWidth, kHeight, 7));
    form_->File1.SetFocus();
    const int selected = form_->File1.ListIndex();
    CtrlKey('H');

    ASSERT_TRUE(form_->HalfOffset());
    EXPECT_EQ(form_->File1.ListIndex(), selected);  // the list's own keys are not disturbed
    const Pixels after = Shown();
    // Odd sizes: half a tile rounds down, so the tile's corner pixel now lies at (18, 11).
    for (int y = 0; y < 40; y += 3)
        for (int x = 0; x < 60; x += 5)
            ASSERT_EQ(after.At(x + kWidth / 2, y + kHeight / 2), before.At(x, y)) << x << "," << y;
    EXPECT_TRUE(IsTiling(ReadDc(form_->PicW.Hdc(), after.width, after.height), kWidth, kHeight, 7));

    CtrlKey('H');
    EXPECT_FALSE(form_->HalfOffset());
    EXPECT_EQ(form_->ViewOrigin().x, 0);
    EXPECT_TRUE(Shown().argb == before.argb);
}

TEST_F(ViewTest, DraggingPansWithThePointerAndIsNeverAClick)
{
    const Pixels before = Shown();
    Mouse(WM_LBUTTONDOWN, 40, 30, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 41, 30, MK_LBUTTON);  // within the drag distance: still a click
    EXPECT_EQ(form_->ViewOrigin().x, 0);
    Mouse(WM_MOUSEMOVE, 40 + 50, 30 - 9, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 40 + 50, 30 - 9);
    EXPECT_TRUE(testsupport::Prompter().shown.empty());
    EXPECT_EQ(form_->ViewOrigin().x, 50 % kWidth);
    EXPECT_EQ(form_->ViewOrigin().y, kHeight - 9);
    EXPECT_EQ(Shown().At(100, 50), before.At(50, 59));

    // A press and release in place stays PicW's click.
    Mouse(WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 10, 10);
    EXPECT_EQ(testsupport::Prompter().shown.size(), 1u);
}

TEST_F(ViewTest, ZoomKeepsThePointUnderThePointerAndWrapsAtNegativeOrigins)
{
    const Pixels before = Shown();
    Mouse(WM_MOUSEWHEEL, 0, 0);  // without Ctrl the wheel does not zoom
    SendMessageW(form_->PicW.Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WHEEL_DELTA), MAKELPARAM(0, 0));
    EXPECT_EQ(form_->ZoomPercent(), 100);  // (0, 0) in screen coordinates is not over the preview

    form_->SetZoom(200, POINT{51, 31});
    EXPECT_EQ(form_->ZoomPercent(), 200);
    const Pixels zoomed = Shown();
    EXPECT_EQ(zoomed.At(51, 31), before.At(51, 31));
    // Each picture pixel is a sharp 2 x 2 square: (51..52, 31..32) is the pixel that was at (51, 31).
    EXPECT_EQ(zoomed.At(52, 32), before.At(51, 31));
    EXPECT_EQ(zoomed.At(53, 31), before.At(52, 31));
    EXPECT_GE(form_->ViewOrigin().x, 0);  // -51 wrapped by the enlarged tile
    EXPECT_LT(form_->ViewOrigin().x, 2 * kWidth);

    form_->StepZoom(-2, POINT{0, 0});
    EXPECT_EQ(form_->ZoomPercent(), 50);
    CtrlKey('0');
    EXPECT_EQ(form_->ZoomPercent(), 100);
    // Another picture keeps the zoom.
    form_->SetZoom(400, POINT{0, 0});
    AddImage(images_.Path(), L"Zweit.bmp", 5, 5, 2);
    form_->File1.Refresh();
    form_->File1.SetSelected(IndexInFile1(L"Zweit.bmp"));
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_EQ(form_->ZoomPercent(), 400);
    EXPECT_TRUE(IsTiling(ReadDc(form_->PicW.Hdc(), 50, 50), 5, 5, 2));
}

TEST_F(ViewTest, ThePopupMenuOffersTheAidsInOrderWithTheSeamLine)
{
    testsupport::MenuPresenter().choices.push_back(L"Kachelgrenzen zeigen\tStrg+G");
    form_->PicW_ContextMenu(POINT{-1, -1});
    ASSERT_EQ(testsupport::MenuPresenter().shownMenus.size(), 1u);
    const std::vector<std::wstring>& items = testsupport::MenuPresenter().shownMenus[0];
    ASSERT_EQ(items.size(), 8u);
    EXPECT_EQ(items[0], L"Um halbe Kachel versetzen\tStrg+H");
    EXPECT_EQ(items[1], L"Kachelgrenzen zeigen\tStrg+G");
    EXPECT_EQ(items[2].substr(0, 12), L"Vergrößerung");
    EXPECT_EQ(items[4], L"Kachelung speichern unter …\tStrg+S");
    EXPECT_EQ(items[5], L"Als Desktophintergrund (gekachelt)");
    EXPECT_EQ(items[7].substr(0, 20), L"37 × 23 Pixel · Naht");
    EXPECT_EQ(testsupport::MenuPresenter().checked, std::vector<std::wstring>{L"100 %\tStrg+0"});
    EXPECT_EQ(testsupport::MenuPresenter().disabled, std::vector<std::wstring>{items[7]});
    EXPECT_TRUE(form_->TileBorders());

    // Borders: a dotted line along the tile edges on the screen only.
    const Pixels shown = Shown();
    EXPECT_EQ(shown.At(0, 5) | shown.At(0, 6), 0xFFFFFFu);
    EXPECT_EQ(shown.At(kWidth, 5) | shown.At(kWidth, 6), 0xFFFFFFu);
    EXPECT_EQ(shown.At(kWidth, 5) & shown.At(kWidth, 6), 0u);
    EXPECT_TRUE(IsTiling(ReadDc(form_->PicW.Hdc(), shown.width, shown.height), kWidth, kHeight, 7));
    EXPECT_EQ(form_->SeamText(), items[7]);
}

TEST_F(ViewTest, EveryZoomPanAndBorderShowsTheViewAsDrawnForItsOrigin)
{
    // The screen may be painted from a block drawn for another origin: wrapped, and the dots keeping their parity.
    const ui::Form1::TileSource tile = form_->CurrentTile();
    const int width = form_->PicW.ScaleWidth();
    const int height = form_->PicW.ScaleHeight();
    for (const bool borders : {false, true}) {
        if (form_->TileBorders() != borders)
            form_->mnuBorders_Click();
        for (const int zoom : {25, 50, 200, 800}) {
            form_->SetZoom(zoom, POINT{3, 2});
            form_->PicW_DragStart();
            for (const POINT pan : {POINT{0, 0}, POINT{1, 0}, POINT{-3, 2}, POINT{41, -29}}) {
                form_->PicW_Drag(pan.x, pan.y);
                const POINT origin = form_->ViewOrigin();
                const imaging::ViewParams params{origin.x, origin.y, zoom};
                imaging::Image32 expected(width, height);
                imaging::RenderView(tile.pixels, expected.View(), params, tile.background);
                if (borders)
                    imaging::DrawTileBorders(expected.View(), params, kWidth, kHeight);
                const Pixels shown = Shown();
                for (int y = 0; y < height; ++y)
                    for (int x = 0; x < width; ++x)
                        ASSERT_EQ(shown.At(x, y), expected.At(x, y) & 0xFFFFFFu)
                            << "zoom " << zoom << " borders " << borders << " origin " << origin.x << "," << origin.y
                            << " at " << x << "," << y;
                // A part uncovered on its own, at odd edges, shows the same pixels there.
                const RECT part{5, 67, std::min(width, 150), std::min(height, 141)};
                const Pixels partly = Shown(part);
                for (int y = part.top; y < part.bottom; ++y)
                    for (int x = part.left; x < part.right; ++x)
                        ASSERT_EQ(partly.At(x, y), expected.At(x, y) & 0xFFFFFFu)
                            << "zoom " << zoom << " borders " << borders << " part at " << x << "," << y;
            }
        }
    }
}

TEST_F(ViewTest, ALargeTileShowsWrappedAtEveryPanAndWithItsBorders)
{
    // Wider and higher than the preview, so a pan shows the tile's far edges beside its near ones.
    AddImage(images_.Path(), L"Gross.bmp", 1100, 1030, 9);
    form_->File1.Refresh();
    form_->File1.SetSelected(IndexInFile1(L"Gross.bmp"));
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    ASSERT_EQ(form_->PicM.ScaleWidth(), 1100);
    const ui::Form1::TileSource tile = form_->CurrentTile();
    const int width = form_->PicW.ScaleWidth();
    const int height = form_->PicW.ScaleHeight();
    form_->PicW_DragStart();
    for (const bool borders : {false, true}) {
        if (form_->TileBorders() != borders)
            form_->mnuBorders_Click();
        for (const POINT pan : {POINT{-700, -600}, POINT{350, 1020}}) {
            form_->PicW_Drag(pan.x, pan.y);
            const POINT origin = form_->ViewOrigin();
            const imaging::ViewParams params{origin.x, origin.y, 100};
            imaging::Image32 expected(width, height);
            imaging::RenderView(tile.pixels, expected.View(), params, tile.background);
            if (borders)
                imaging::DrawTileBorders(expected.View(), params, 1100, 1030);
            const Pixels shown = Shown();
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    ASSERT_EQ(shown.At(x, y), expected.At(x, y) & 0xFFFFFFu)
                        << "borders " << borders << " origin " << origin.x << "," << origin.y << " at " << x << ","
                        << y;
        }
    }
}

}  // namespace
