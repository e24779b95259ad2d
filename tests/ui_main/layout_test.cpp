// The layout rule: numbers of the pure rule, and a real window raised to its minimum size.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "forms/events.h"
#include "support/main_window_test.h"
#include "ui/main/layout.h"

namespace {

using testsupport::MainWindowTest;

TEST(LayoutRule, MinimumSizeAt96DpiGivesTheDesignedNumbers)
{
    const ui::MainLayout layout = ui::ComputeMainLayout({9525.0f, 6795.0f, 189, 21, 15.0f});
    EXPECT_NEAR(layout.picWWidth, 415.73f, 0.005f);
    EXPECT_FLOAT_EQ(layout.picWHeight, 409.0f);
    EXPECT_FLOAT_EQ(layout.frame1Top, 267.0f);
    EXPECT_FLOAT_EQ(layout.file1Height, 76.0f);
    EXPECT_FLOAT_EQ(layout.check1Top, 246.0f);
    EXPECT_EQ(ui::RoundPixels(layout.picWWidth), 416);
}

TEST(LayoutRule, LargerWindowAt96DpiKeepsTheMarginsToTheOuterEdges)
{
    // 1024 x 768 outer pixels.
    const ui::MainLayout layout = ui::ComputeMainLayout({1024.0f * 15, 768.0f * 15, 189, 21, 15.0f});
    EXPECT_NEAR(layout.picWWidth, (15360.0f - 189 - 3100) / 15, 1e-3f);
    EXPECT_FLOAT_EQ(layout.picWHeight, 724.0f);
    EXPECT_FLOAT_EQ(layout.frame1Top, 768.0f - 186);
    EXPECT_FLOAT_EQ(layout.file1Height, 768.0f - 356 - 21);
    // File1 (top 170) ends where Check1 begins, and Check1 sits on Frame1.
    EXPECT_FLOAT_EQ(170.0f + layout.file1Height, layout.check1Top);
    EXPECT_FLOAT_EQ(layout.check1Top + 21, layout.frame1Top);
}

TEST(LayoutRule, At144DpiThePixelOffsetsGrowWithTheDpi)
{
    // 10 twips per pixel; Dir1 283 and Check1 31 pixels wide and high at that DPI.
    const ui::MainLayout minimum = ui::ComputeMainLayout({9530.0f, 6800.0f, 283, 31, 10.0f});
    EXPECT_NEAR(minimum.picWWidth, 614.7f, 1e-3f);
    EXPECT_FLOAT_EQ(minimum.picWHeight, 614.0f);
    EXPECT_FLOAT_EQ(minimum.frame1Top, 401.0f);
    EXPECT_FLOAT_EQ(minimum.file1Height, 115.0f);
    EXPECT_FLOAT_EQ(minimum.check1Top, 370.0f);
    // File1's top at 144 DPI is MulDiv(2550, 144, 1440) = 255: it still meets Check1.
    EXPECT_FLOAT_EQ(255.0f + minimum.file1Height, minimum.check1Top);

    const ui::MainLayout larger = ui::ComputeMainLayout({1500.0f * 10, 1000.0f * 10, 283, 31, 10.0f});
    EXPECT_NEAR(larger.picWWidth, 1161.7f, 1e-3f);
    EXPECT_FLOAT_EQ(larger.picWHeight, 934.0f);
    EXPECT_FLOAT_EQ(larger.frame1Top, 721.0f);
    EXPECT_FLOAT_EQ(larger.file1Height, 435.0f);
}

TEST(LayoutRule, RaisesOnlyTheDimensionBelowTheMinimum)
{
    EXPECT_EQ(ui::RaisedOuterWidthPixels(635, 15.0f), 0);
    EXPECT_EQ(ui::RaisedOuterHeightPixels(453, 15.0f), 0);
    EXPECT_EQ(ui::RaisedOuterWidthPixels(634, 15.0f), 635);
    EXPECT_EQ(ui::RaisedOuterHeightPixels(452, 15.0f), 453);
    EXPECT_EQ(ui::RaisedOuterWidthPixels(0, 15.0f), 635);
    // 9525 twips are 952.5 pixels at 144 DPI: raised to 953 so the twips are not short.
    EXPECT_EQ(ui::RaisedOuterWidthPixels(952, 10.0f), 953);
    EXPECT_EQ(ui::RaisedOuterWidthPixels(953, 10.0f), 0);
    EXPECT_EQ(ui::RaisedOuterHeightPixels(679, 10.0f), 680);
}

TEST(LayoutRule, RoundsHalvesAwayFromZeroAndOtherFractionsToTheNearest)
{
    EXPECT_EQ(ui::RoundPixels(415.73f), 416);
    EXPECT_EQ(ui::RoundPixels(415.4f), 415);
    EXPECT_EQ(ui::RoundPixels(0.5f), 1);
    EXPECT_EQ(ui::RoundPixels(-0.4f), 0);
}

class MainWindowLayoutTest : public MainWindowTest {
protected:
    void ExpectLaidOut()
    {
        const float tpp = static_cast<float>(form_->TwipsPerPixel());
        const ui::MainLayout layout =
            ui::ComputeMainLayout({static_cast<float>(form_->Width()) * tpp, static_cast<float>(form_->Height()) * tpp,
                                   form_->Dir1.Width(), form_->Check1.Height(), tpp});
        EXPECT_EQ(form_->PicW.Width(), ui::RoundPixels(layout.picWWidth));
        EXPECT_EQ(form_->PicW.Height(), ui::RoundPixels(layout.picWHeight));
        EXPECT_EQ(form_->Frame1.Top(), ui::RoundPixels(layout.frame1Top));
        EXPECT_EQ(form_->File1.Height(), ui::RoundPixels(layout.file1Height));
        EXPECT_EQ(form_->Check1.Top(), form_->Frame1.Top() - form_->Check1.Height());
    }
};

TEST_F(MainWindowLayoutTest, DesignPlacesAndSizesAt96Dpi)
{
    if (form_->Dpi() != 96)
        GTEST_SKIP() << "the design numbers are checked at 96 DPI";
    EXPECT_EQ(form_->Caption(), L"Brenwick Quadrino");
    EXPECT_EQ(form_->ClientWidth(), 790);
    EXPECT_EQ(form_->ClientHeight(), 549);
    // Never moved by the layout rule.
    EXPECT_EQ(form_->Drive1.Left(), 8);
    EXPECT_EQ(form_->Drive1.Top(), 8);
    EXPECT_EQ(form_->Drive1.Width(), 189);
    EXPECT_EQ(form_->Dir1.Left(), 8);
    EXPECT_EQ(form_->Dir1.Top(), 34);
    EXPECT_EQ(form_->Dir1.Width(), 189);
    EXPECT_EQ(form_->Dir1.Height(), 132);
    EXPECT_EQ(form_->File1.Left(), 8);
    EXPECT_EQ(form_->File1.Top(), 170);
    EXPECT_EQ(form_->File1.Width(), 187);
    EXPECT_EQ(form_->Check1.Left(), 28);
    EXPECT_EQ(form_->Check1.Width(), 143);
    EXPECT_EQ(form_->Check1.Height(), 21);
    EXPECT_EQ(form_->Frame1.Left(), 8);
    EXPECT_EQ(form_->Frame1.Width(), 181);
    EXPECT_EQ(form_->Frame1.Height(), 149);
    EXPECT_EQ(form_->PicM.Left(), 8);
    EXPECT_EQ(form_->PicM.Top(), 16);
    EXPECT_EQ(form_->PicW.Left(), 204);
    EXPECT_EQ(form_->PicW.Top(), 8);
    EXPECT_EQ(form_->List1.Left(), 690);
    EXPECT_EQ(form_->List1.Top(), 114);
    EXPECT_FALSE(form_->List1.Visible());
    EXPECT_EQ(form_->Check1.Text(), L"always on top");
    EXPECT_EQ(form_->Frame1.Text(), L"Tile Preview:");
    // The first five types with PNG and TIFF's long extension first; what else is read follows.
    EXPECT_EQ(form_->File1.Pattern().rfind(L"*.bmp;*.gif;*.jpg;*.jpeg;*.tif;*.tiff;*.png;", 0), 0u);
    EXPECT_EQ(form_->Check1.Value(), 0);
    ExpectLaidOut();
}

TEST_F(MainWindowLayoutTest, MinimumSizeIsKeptAndBelowItRaisedInThatDimensionOnly)
{
    if (form_->Dpi() != 96)
        GTEST_SKIP() << "the minimum is checked in pixels at 96 DPI";
    ASSERT_TRUE(form_->SetOuterSize(635, 453));
    forms::DoEvents();
    EXPECT_EQ(form_->Width(), 635);
    EXPECT_EQ(form_->Height(), 453);
    EXPECT_EQ(form_->PicW.Width(), 416);
    EXPECT_EQ(form_->PicW.Height(), 409);
    EXPECT_EQ(form_->Frame1.Top(), 267);
    EXPECT_EQ(form_->File1.Height(), 76);
    EXPECT_EQ(form_->Check1.Top(), 246);

    form_->SetOuterSize(634, 700);
    forms::DoEvents();
    EXPECT_EQ(form_->Width(), 635);
    EXPECT_EQ(form_->Height(), 700);
    ExpectLaidOut();

    form_->SetOuterSize(900, 452);
    forms::DoEvents();
    EXPECT_EQ(form_->Width(), 900);
    EXPECT_EQ(form_->Height(), 453);
    ExpectLaidOut();

    form_->SetOuterSize(100, 50);
    forms::DoEvents();
    EXPECT_EQ(form_->Width(), 635);
    EXPECT_EQ(form_->Height(), 453);
    ExpectLaidOut();
}

TEST_F(MainWindowLayoutTest, LargerWindowIsLaidOutByTheRule)
{
    ASSERT_TRUE(form_->SetOuterSize(1100, 800));
    forms::DoEvents();
    ExpectLaidOut();
    // The bottoms of Frame1 and PicW keep their distance to the outer bottom edge.
    if (form_->Dpi() == 96) {
        // Client coordinates, measured against the outer height.
        EXPECT_EQ(form_->Frame1.Top() + form_->Frame1.Height(), form_->Height() - 37);
        EXPECT_EQ(form_->PicW.Top() + form_->PicW.Height(), form_->Height() - 36);
    }
}

TEST_F(MainWindowLayoutTest, MinimizingSkipsTheSizeStepsAndRestoringLaysOutAgain)
{
    ASSERT_TRUE(form_->SetOuterSize(900, 600));
    forms::DoEvents();
    const int picWWidth = form_->PicW.Width();
    ShowWindow(form_->Hwnd(), SW_MINIMIZE);
    forms::DoEvents();
    EXPECT_EQ(form_->PicW.Width(), picWWidth);
    EXPECT_EQ(form_->ResizeTicks, 1);
    ShowWindow(form_->Hwnd(), SW_RESTORE);
    forms::DoEvents();
    EXPECT_EQ(form_->Width(), 900);
    ExpectLaidOut();
}

TEST_F(MainWindowLayoutTest, ControlsAreTabbedInTheirDesignedOrder)
{
    // Tab order follows the z-order of the window's direct children.
    std::vector<HWND> order;
    for (HWND child = GetWindow(form_->Hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        order.push_back(child);
    const std::vector<HWND> expected{form_->PicW.Hwnd(),  form_->Frame1.Hwnd(), form_->Drive1.Hwnd(),
                                     form_->Dir1.Hwnd(),  form_->File1.Hwnd(),  form_->List1.Hwnd(),
                                     form_->Check1.Hwnd()};
    std::vector<HWND> seen;
    for (HWND hwnd : order)
        if (std::find(expected.begin(), expected.end(), hwnd) != expected.end())
            seen.push_back(hwnd);
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(GetParent(form_->PicM.Hwnd()), form_->Frame1.Hwnd());
}

TEST_F(MainWindowLayoutTest, PopupMenuHasItsFiveItemsInOrder)
{
    ASSERT_EQ(form_->mnuPop.ItemCount(), 5u);
    EXPECT_EQ(form_->mnuPop.Caption(0), L"in den Sammelordner kopieren");
    EXPECT_EQ(form_->mnuPop.Caption(1), L"in Sammelordner umbewegen");
    EXPECT_EQ(form_->mnuPop.Caption(2), L"Umbenennen");
    EXPECT_EQ(form_->mnuPop.Caption(3), L"-");
    EXPECT_EQ(form_->mnuPop.Caption(4), L"Löschen");
}

TEST_F(MainWindowLayoutTest, ListsUseBoldArialAndCaptionsTheDefaultFont)
{
    const auto faceOf = [](HWND hwnd, LOGFONTW& font) {
        const auto handle = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
        return handle && GetObjectW(handle, sizeof(font), &font) == sizeof(font);
    };
    const int expectedHeight = -MulDiv(975, form_->Dpi(), 7200);
    for (HWND list : {form_->Drive1.Hwnd(), form_->Dir1.Hwnd(), form_->File1.Hwnd()}) {
        LOGFONTW font{};
        ASSERT_TRUE(faceOf(list, font));
        EXPECT_STREQ(font.lfFaceName, L"Arial");
        EXPECT_GE(font.lfWeight, FW_BOLD);
        EXPECT_NEAR(font.lfHeight, expectedHeight, 1);
    }
    LOGFONTW caption{};
    ASSERT_TRUE(faceOf(form_->Check1.Hwnd(), caption));
    EXPECT_LT(caption.lfWeight, FW_BOLD);
}

TEST_F(MainWindowLayoutTest, CheckBoxSwitchesAlwaysOnTop)
{
    form_->Check1.SetValue(1);
    EXPECT_NE(GetWindowLongW(form_->Hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    form_->Check1.SetValue(0);
    EXPECT_EQ(GetWindowLongW(form_->Hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

}  // namespace
