// The seam workbench in PicW: what the screen shows changes, what leaves the program does not.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "forms/events.h"
#include "imaging/borders.h"
#include "imaging/repeat.h"
#include "imaging/repeat_view.h"
#include "imaging/seam.h"
#include "imaging/view.h"
#include "support/main_window_test.h"
#include "support/read_back.h"
#include "ui/main/tile_clipboard.h"

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
    AwaitShown();
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
    ASSERT_EQ(items.size(), 12u);
    EXPECT_EQ(items[0], L"Um halbe Kachel versetzen\tStrg+H");
    EXPECT_EQ(items[1], L"Kachelgrenzen zeigen\tStrg+G");
    EXPECT_EQ(items[2].substr(0, 12), L"Vergrößerung");
    EXPECT_EQ(items[3], L"Rapport");
    EXPECT_EQ(items[5], L"Kachelung speichern unter …\tStrg+S");
    EXPECT_EQ(items[6], L"Rapport speichern unter …");
    EXPECT_EQ(items[7], L"Als Desktophintergrund (gekachelt)");
    EXPECT_EQ(items[8], L"Nahtlos machen …\tStrg+N");
    EXPECT_EQ(items[9], L"Übersicht des Ordners …\tStrg+T");
    EXPECT_EQ(items[11].substr(0, 20), L"37 × 23 Pixel · Naht");
    EXPECT_EQ(testsupport::MenuPresenter().checked,
              (std::vector<std::wstring>{L"100 %\tStrg+0", L"Block\tStrg+1", L"Versatz 1/2"}));
    EXPECT_EQ(testsupport::MenuPresenter().disabled, std::vector<std::wstring>{items[11]});
    EXPECT_TRUE(form_->TileBorders());

    // Borders: a dotted line along the tile edges on the screen only.
    const Pixels shown = Shown();
    EXPECT_EQ(shown.At(0, 5) | shown.At(0, 6), 0xFFFFFFu);
    EXPECT_EQ(shown.At(kWidth, 5) | shown.At(kWidth, 6), 0xFFFFFFu);
    EXPECT_EQ(shown.At(kWidth, 5) & shown.At(kWidth, 6), 0u);
    EXPECT_TRUE(IsTiling(ReadDc(form_->PicW.Hdc(), shown.width, shown.height), kWidth, kHeight, 7));
    EXPECT_EQ(form_->SeamText(), items[11]);
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
    AwaitShown();
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

namespace {

// The tile laid in the repeat over width x height pixels, as imaging lays it (checked there against
// the repeats' definition).
imaging::Image32 Laid(const Pixels& tile, imaging::Repeat repeat, int width, int height)
{
    imaging::Image32 source(tile.width, tile.height);
    source.pixels = tile.argb;
    imaging::Image32 laid(width, height);
    imaging::RepeatRegion(source.View(), repeat, 0, 0, laid.View());
    return laid;
}

::testing::AssertionResult SameColours(const Pixels& shown, const imaging::Image32& expected)
{
    if (shown.width != expected.width || shown.height != expected.height)
        return ::testing::AssertionFailure() << "size " << shown.width << "x" << shown.height;
    for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x)
            if ((shown.At(x, y) & 0xFFFFFFu) != (expected.At(x, y) & 0xFFFFFFu))
                return ::testing::AssertionFailure() << "pixel " << x << "," << y;
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST_F(ViewTest, TheRepeatKeysLayThePreviewAndTheClipboardAndHoldForTheNextPicture)
{
    const int width = form_->PicW.ScaleWidth();
    const int height = form_->PicW.ScaleHeight();
    const Pixels tile = testsupport::Pattern(kWidth, kHeight, 7);
    const std::pair<WPARAM, imaging::RepeatKind> keys[] = {{'2', imaging::RepeatKind::HalfDrop},
                                                           {'3', imaging::RepeatKind::HalfBrick},
                                                           {'4', imaging::RepeatKind::Mirror},
                                                           {'1', imaging::RepeatKind::Block}};
    for (const auto& [key, kind] : keys) {
        CtrlKey(key);
        ASSERT_EQ(form_->ChosenRepeat().kind, kind) << char(key);
        const imaging::Image32 expected = Laid(tile, {kind, 2}, width, height);
        EXPECT_TRUE(SameColours(ReadDc(form_->PicW.Hdc(), width, height), expected)) << char(key);
        EXPECT_TRUE(SameColours(testsupport::ReadClipboardBitmap(), expected)) << char(key);
        EXPECT_TRUE(SameColours(Shown(), expected)) << char(key);
    }
    EXPECT_EQ(form_->SeamText().find(L"Halbversatz"), std::wstring::npos);

    // The offset is a menu choice; the clipboard's formats with alpha follow the repeat too.
    CtrlKey('2');
    testsupport::MenuPresenter().choices.push_back(L"Versatz 1/3");
    form_->PicW_ContextMenu(POINT{-1, -1});
    const imaging::Repeat third{imaging::RepeatKind::HalfDrop, 3};
    EXPECT_EQ(form_->ChosenRepeat().n, 3);
    const std::vector<forms::PromisedFormat> formats = ui::TilingWithAlpha(form_->CurrentTile(), 29, 31, third);
    ASSERT_EQ(formats.size(), 2u);
    const std::vector<std::uint8_t> dib = formats[1].render();
    ASSERT_EQ(dib.size(), sizeof(BITMAPV5HEADER) + 29 * 31 * 4);
    const imaging::Image32 expected = Laid(tile, third, 29, 31);
    for (int y = 0; y < 31; ++y)
        for (int x = 0; x < 29; ++x)
            ASSERT_EQ(imaging::LoadPixel(dib.data() + sizeof(BITMAPV5HEADER) + (std::size_t(30 - y) * 29 + x) * 4) &
                          0xFFFFFFu,
                      expected.At(x, y) & 0xFFFFFFu)
                << x << "," << y;
    EXPECT_EQ(form_->SeamText().substr(0, 33), L"37 × 23 Pixel · Halbversatz 1/3 ·");

    // The next picture keeps the repeat.
    AddImage(images_.Path(), L"Zweit.bmp", 6, 8, 2);
    form_->File1.Refresh();
    form_->File1.SetSelected(IndexInFile1(L"Zweit.bmp"));
    AwaitShown();
    EXPECT_EQ(form_->ChosenRepeat().kind, imaging::RepeatKind::HalfDrop);
    EXPECT_TRUE(SameColours(testsupport::ReadClipboardBitmap(),
                            Laid(testsupport::Pattern(6, 8, 2), third, width, height)));
    EXPECT_EQ(form_->SeamText().substr(0, 31), L"6 × 8 Pixel · Halbversatz 1/3 ·");
}

TEST_F(ViewTest, EveryRepeatShowsItsViewAidsAsDrawnForItsOrigin)
{
    const ui::Form1::TileSource tile = form_->CurrentTile();
    const int width = form_->PicW.ScaleWidth();
    const int height = form_->PicW.ScaleHeight();
    form_->mnuBorders_Click();
    for (const imaging::RepeatKind kind :
         {imaging::RepeatKind::HalfDrop, imaging::RepeatKind::HalfBrick, imaging::RepeatKind::Mirror}) {
        form_->mnuRepeat_Click(kind);
        form_->mnuRepeatOffset_Click(kind == imaging::RepeatKind::HalfBrick ? 4 : 3);
        for (const int zoom : {25, 100, 200}) {
            form_->SetZoom(zoom, POINT{3, 2});
            form_->PicW_DragStart();
            form_->PicW_Drag(-7, 5);
            const POINT origin = form_->ViewOrigin();
            const imaging::ViewParams params{origin.x, origin.y, zoom};
            imaging::Image32 expected(width, height);
            imaging::RenderRepeatView(tile.pixels, form_->ChosenRepeat(), expected.View(), params, tile.background);
            imaging::DrawRepeatBorders(expected.View(), params, kWidth, kHeight, form_->ChosenRepeat());
            EXPECT_TRUE(SameColours(Shown(), expected)) << static_cast<int>(kind) << " at " << zoom << " %";
        }
    }
}

TEST_F(ViewTest, ARepeatUnitTooLargeToWriteDisablesItsOutputsAndSaysWhy)
{
    // 200 x 199 in half-drop 1/2: d = 100 shares no factor with 199, so the unit is 39800 pixels wide.
    AddImage(images_.Path(), L"Gross.bmp", 200, 199, 3);
    form_->File1.Refresh();
    form_->File1.SetSelected(IndexInFile1(L"Gross.bmp"));
    AwaitShown();
    testsupport::MenuPresenter().choices.push_back(L"Halbversatz senkrecht\tStrg+2");
    form_->PicW_ContextMenu(POINT{-1, -1});
    EXPECT_EQ(form_->ChosenRepeat().kind, imaging::RepeatKind::HalfDrop);
    form_->PicW_ContextMenu(POINT{-1, -1});
    const std::vector<std::wstring>& disabled = testsupport::MenuPresenter().disabled;
    EXPECT_NE(std::find(disabled.begin(), disabled.end(), L"Rapport speichern unter …"), disabled.end());
    EXPECT_NE(std::find(disabled.begin(), disabled.end(), L"Als Desktophintergrund (gekachelt)"), disabled.end());
    EXPECT_NE(form_->SeamText().find(L"Rapport 39800 × 199 Pixel, zu groß"), std::wstring::npos);
    // Mirrored, the unit is 400 x 398: it may be written again.
    form_->mnuRepeat_Click(imaging::RepeatKind::Mirror);
    form_->PicW_ContextMenu(POINT{-1, -1});
    EXPECT_EQ(testsupport::MenuPresenter().disabled.size(), 1u);
    EXPECT_EQ(form_->SeamText(), L"200 × 199 Pixel · Gespiegelt · Naht gespiegelt");
}
