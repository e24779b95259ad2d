#include <gtest/gtest.h>

#include <algorithm>

#include "common/commands.h"
#include "forms/events.h"
#include "support/main_window_test.h"
#include "support/pixels.h"
#include "ui/overview/overview.h"

using testsupport::Pixels;
using testsupport::PumpUntil;

namespace {

// Red climbs by `step` from the left edge: a jump back across the edge, a distinct seam.
Pixels Ramp(int width, int height, int step)
{
    Pixels pixels{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.argb.push_back(0xFF000000u | static_cast<std::uint32_t>(x * step % 256) << 16 |
                                  static_cast<std::uint32_t>(y) << 8);
    return pixels;
}

// Red rises and falls along x, green along y: every step, across the edges too, is the same.
Pixels Seamless(int side)
{
    Pixels pixels{side, side, {}};
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            pixels.argb.push_back(0xFF000000u | (8u * std::min(x, side - x)) << 16 | (8u * std::min(y, side - y)) << 8);
    return pixels;
}

class OverviewTest : public testsupport::MainWindowTest {
protected:
    void Write(const std::wstring& name, const Pixels& pixels)
    {
        ASSERT_TRUE(testsupport::WriteFileBytes(images_ / name, testsupport::Bmp24(pixels)));
    }

    // Strg+T where the focus is, through the program's message loop.
    void CtrlT()
    {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        PostMessageW(GetFocus() ? GetFocus() : form_->Hwnd(), WM_KEYDOWN, 'T', 1);
        forms::DoEvents();
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    }

    ui::Overview& Shown()
    {
        ui::Overview* overview = form_->OverviewWindow();
        EXPECT_NE(overview, nullptr);
        return *overview;
    }

    bool AllKnown()
    {
        return PumpUntil([this] { return Shown().KnownCount() == Shown().Count(); });
    }
};

}  // namespace

TEST_F(OverviewTest, StrgTOpensTheFolderRankedBySeamAndEnterShowsTheChosenPicture)
{
    for (int i = 1; i <= 11; ++i)
        Write(L"a" + std::to_wstring(100 + i) + L".bmp", Ramp(24 + i, 20, 3 + i));
    Write(L"m_nahtlos.bmp", Seamless(32));
    ShowFolder(images_.Path());
    ASSERT_TRUE(Select(L"a103.bmp"));
    form_->File1.SetFocus();

    CtrlT();
    ASSERT_NE(form_->OverviewWindow(), nullptr);
    ui::Overview& overview = Shown();
    ASSERT_TRUE(overview.IsOpen());
    EXPECT_EQ(overview.Caption(), L"Übersicht – " + form_->File1.Path());
    EXPECT_EQ(GetWindow(overview.Hwnd(), GW_OWNER), form_->Hwnd());
    ASSERT_EQ(overview.Count(), 12);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(overview.NameAt(i), form_->File1.List(i));
    EXPECT_EQ(overview.lvwTiles.Selected(), 2);
    EXPECT_EQ(overview.Side(), MulDiv(128, overview.Dpi(), 96));

    ASSERT_TRUE(AllKnown());
    EXPECT_EQ(overview.TextAt(11), L"m_nahtlos.bmp\nNaht 1,00");
    EXPECT_EQ(overview.TextAt(0).substr(0, 14), L"a101.bmp\nNaht ");
    EXPECT_EQ(overview.FactsAt(0)->thumbnail.width, overview.Side());

    // Alt+N: the label's key takes the focus to the sort box.
    overview.lvwTiles.SetFocus();
    MSG alt{overview.lvwTiles.Hwnd(), WM_SYSCHAR, 'n', LPARAM{1} << 29, 0, {}};
    EXPECT_TRUE(IsDialogMessageW(overview.Hwnd(), &alt));
    EXPECT_TRUE(overview.cboSort.HasFocus());
    overview.cboSort.SetListIndex(1);
    EXPECT_EQ(overview.Sort(), ui::SortKey::Seam);
    EXPECT_EQ(overview.NameAt(0), L"m_nahtlos.bmp");
    for (int i = 1; i < 12; ++i)
        EXPECT_LE(overview.FactsAt(i - 1)->seam, overview.FactsAt(i)->seam);
    EXPECT_EQ(overview.NameAt(overview.lvwTiles.Selected()), L"a103.bmp");  // the selection moved along

    // Home, then Enter in the grid: the main window selects, shows and copies that picture.
    overview.lvwTiles.SetFocus();
    SendMessageW(overview.lvwTiles.Hwnd(), WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(overview.lvwTiles.Selected(), 0);
    SendMessageW(overview.lvwTiles.Hwnd(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(form_->File1.FileName(), L"m_nahtlos.bmp");
    EXPECT_EQ(Commands::CurrentFile, L"m_nahtlos.bmp");
    AwaitShown();
    EXPECT_EQ(form_->PicM.ScaleWidth(), 32);
}

TEST_F(OverviewTest, UnreadableFilesTheFollowedFolderAndTheCacheOnReopening)
{
    Write(L"gut.bmp", Ramp(30, 10, 5));
    ASSERT_TRUE(testsupport::WriteFileBytes(images_ / L"kaputt.bmp", "kein Bild"));
    ShowFolder(images_.Path());
    form_->mnuOverview_Click();
    ASSERT_NE(form_->OverviewWindow(), nullptr);
    ui::Overview& overview = Shown();
    ASSERT_TRUE(AllKnown());
    EXPECT_EQ(overview.TextAt(1), L"kaputt.bmp\nnicht lesbar");
    overview.cboSort.SetListIndex(2);
    EXPECT_EQ(overview.NameAt(0), L"gut.bmp");  // an unreadable file has no size: last

    // The main window moves to another folder: the overview follows.
    const testsupport::TempFolder other;
    AddImage(other.Path(), L"x.bmp", 5, 5, 1);
    AddImage(other.Path(), L"y.bmp", 6, 6, 2);
    AddImage(other.Path(), L"z.bmp", 7, 7, 3);
    ShowFolder(other.Path());
    EXPECT_EQ(overview.Caption(), L"Übersicht – " + form_->File1.Path());
    EXPECT_EQ(overview.Count(), 3);
    ASSERT_TRUE(AllKnown());

    // Closed, it keeps its place and size; reopened on a folder it has seen, everything is there at once.
    overview.SetBounds({40, 50, 600, 400});
    SendMessageW(overview.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(overview.IsOpen());
    EXPECT_EQ(overview.Count(), 0);
    form_->mnuOverview_Click();
    EXPECT_TRUE(overview.IsOpen());
    EXPECT_EQ(overview.GetBounds().left, 40);
    EXPECT_EQ(overview.GetBounds().width, 600);
    EXPECT_EQ(overview.KnownCount(), 3);

    // A file that changed on disk is made again.
    ASSERT_TRUE(testsupport::WriteFileBytes(other / L"y.bmp", testsupport::Bmp24(testsupport::Pattern(9, 4, 7))));
    const HANDLE file = CreateFileW((other / L"y.bmp").c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    FILETIME later{};
    GetSystemTimeAsFileTime(&later);
    later.dwHighDateTime += 1;
    SetFileTime(file, nullptr, nullptr, &later);
    CloseHandle(file);
    form_->mnuOverview_Click();
    EXPECT_EQ(overview.KnownCount(), 2);
    ASSERT_TRUE(AllKnown());
    EXPECT_EQ(overview.FactsAt(1)->width, 9);
}
