#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "forms/file_list.h"
#include "forms/paths.h"
#include "forms/form.h"
#include "support/test_env.h"

namespace {

const std::wstring kImagePattern = L"*.bmp;*.gif;*.jpg;*.jpeg;*.tif";

using testsupport::LongPath;
using testsupport::WithoutBackslash;

bool Touch(const std::wstring& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL)
{
    forms::UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr));
    return static_cast<bool>(file);
}

// Gives a test the batch fill that reading a folder ends in.
class FileListProbe : public forms::FileList {
public:
    using forms::FileList::Fill;
};

class FileListTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(form.Load({L"Dateiliste", WS_OVERLAPPEDWINDOW, 0, 6000, 6000, nullptr}));
        ASSERT_TRUE(list.Create(form.Hwnd(), {8, 8, 187, 198}));
        list.SetPattern(kImagePattern);
        list.onClick = [this] { clicks.push_back(list.FileName()); };
        list.onDblClick = [this] { ++doubleClicks; };
        list.onMouseDown = [this](int button, int shift, int x, int y) { mouseDowns.push_back({button, shift, x, y}); };
    }

    std::vector<std::wstring> Entries() const
    {
        std::vector<std::wstring> entries;
        for (int i = 0; i < list.ListCount(); ++i)
            entries.push_back(list.List(i));
        return entries;
    }

    POINT ItemCentre(int index) const
    {
        RECT rect{};
        SendMessageW(list.Hwnd(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }

    struct MouseDown {
        int button, shift, x, y;
    };

    forms::Form form;
    forms::FileList list;
    testsupport::TempFolder folder;
    std::vector<std::wstring> clicks;
    int doubleClicks = 0;
    std::vector<MouseDown> mouseDowns;
};

TEST_F(FileListTest, ListsMatchingFilesSortedWithoutHiddenSystemFilesOrFolders)
{
    for (const wchar_t* name : {L"a.BMP", L"b.jpg", L"c.JPEG", L"d.tif", L"e.png", L"f.tiff", L"g.jpgx", L"Zebra.gif",
                                L"apple.bmp", L"noext"})
        ASSERT_TRUE(Touch(folder / name));
    ASSERT_TRUE(Touch(folder / L"hidden.bmp", FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(Touch(folder / L"system.gif", FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(Touch(folder / L"readonly.jpg", FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(Touch(folder / L"archived.tif", FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_TRUE(CreateDirectoryW((folder / L"folder.bmp").c_str(), nullptr));

    ASSERT_TRUE(list.SetPath(folder.Path()));

    const std::vector<std::wstring> expected = {L"a.BMP",  L"apple.bmp", L"archived.tif", L"b.jpg",
                                                L"c.JPEG", L"d.tif",     L"readonly.jpg", L"Zebra.gif"};
    EXPECT_EQ(Entries(), expected);
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.FileName(), L"");
    EXPECT_TRUE(clicks.empty());
}

TEST_F(FileListTest, PatternMatchesWholeNamesWithoutRegardToCase)
{
    EXPECT_TRUE(forms::MatchesPattern(L"X.JPG", kImagePattern));
    EXPECT_TRUE(forms::MatchesPattern(L"x.jpeg", kImagePattern));
    EXPECT_FALSE(forms::MatchesPattern(L"x.jpeg", L"*.jpg"));
    EXPECT_FALSE(forms::MatchesPattern(L"x.tiff", L"*.tif"));
    EXPECT_FALSE(forms::MatchesPattern(L"x.jpgx", kImagePattern));
    EXPECT_FALSE(forms::MatchesPattern(L"bmp", kImagePattern));
    EXPECT_TRUE(forms::MatchesPattern(L"a.b.gif", kImagePattern));
    EXPECT_TRUE(forms::MatchesPattern(L"noext", L"*.*"));
    EXPECT_TRUE(forms::MatchesPattern(L"ab1.txt", L"ab?.TXT"));
    EXPECT_FALSE(forms::MatchesPattern(L"ab12.txt", L"ab?.txt"));
    EXPECT_TRUE(forms::MatchesPattern(L"Wand.bmp", L"*.gif ; *.bmp"));
    EXPECT_FALSE(forms::MatchesPattern(L"Wand.bmp", L""));
    EXPECT_TRUE(forms::MatchesPattern(L"ÄRGER.BMP", L"ärger.bmp"));
}

TEST_F(FileListTest, PathIsNormalisedAndBareDriveMeansRoot)
{
    ASSERT_TRUE(CreateDirectoryW((folder / L"Bilder").c_str(), nullptr));
    ASSERT_TRUE(Touch(folder / L"Bilder\\Wand.bmp"));
    const std::wstring expected = LongPath(folder / L"Bilder");
    ASSERT_FALSE(expected.empty());

    // Trailing backslash and letter case of the input do not matter; the file system's case wins.
    std::wstring upper = folder / L"BILDER\\";
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    ASSERT_TRUE(list.SetPath(upper));
    EXPECT_EQ(list.Path(), expected);
    EXPECT_EQ(Entries(), std::vector<std::wstring>{L"Wand.bmp"});

    ASSERT_TRUE(list.SetPath(L"c:"));
    EXPECT_EQ(list.Path(), L"C:\\");
    ASSERT_TRUE(list.SetPath(L"C:\\"));
    EXPECT_EQ(list.Path(), L"C:\\");
}

TEST_F(FileListTest, UnreadableFolderLeavesListAsItWas)
{
    ASSERT_TRUE(Touch(folder / L"one.gif"));
    ASSERT_TRUE(list.SetPath(folder.Path()));
    const std::wstring shown = list.Path();
    list.SetSelected(0);
    clicks.clear();

    EXPECT_FALSE(list.SetPath(folder / L"missing"));
    EXPECT_FALSE(list.SetPath(folder / L"one.gif"));  // a file, not a folder
    EXPECT_FALSE(list.SetPath(L""));
    EXPECT_FALSE(list.SetPath(folder / L"*"));

    EXPECT_EQ(list.Path(), shown);
    EXPECT_EQ(Entries(), std::vector<std::wstring>{L"one.gif"});
    EXPECT_EQ(list.FileName(), L"one.gif");
    EXPECT_TRUE(clicks.empty());
}

TEST_F(FileListTest, SetSelectedRaisesClickOnceAndRefreshDropsSelection)
{
    for (const wchar_t* name : {L"a.bmp", L"b.bmp", L"c.bmp"})
        ASSERT_TRUE(Touch(folder / name));
    ASSERT_TRUE(list.SetPath(folder.Path()));

    list.SetSelected(1);
    EXPECT_EQ(clicks, std::vector<std::wstring>{L"b.bmp"});
    EXPECT_EQ(list.ListIndex(), 1);
    EXPECT_EQ(list.FileName(), L"b.bmp");

    // Out of range selects nothing and raises nothing.
    list.SetSelected(3);
    list.SetSelected(-1);
    EXPECT_EQ(clicks.size(), 1u);
    EXPECT_EQ(list.FileName(), L"b.bmp");

    ASSERT_TRUE(Touch(folder / L"B2.bmp"));
    list.Refresh();
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"a.bmp", L"b.bmp", L"B2.bmp", L"c.bmp"}));
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.FileName(), L"");
    EXPECT_EQ(clicks.size(), 1u);
}

TEST_F(FileListTest, PatternChangeRereadsFolder)
{
    ASSERT_TRUE(Touch(folder / L"a.bmp"));
    ASSERT_TRUE(Touch(folder / L"b.png"));
    ASSERT_TRUE(list.SetPath(folder.Path()));
    EXPECT_EQ(Entries(), std::vector<std::wstring>{L"a.bmp"});
    list.SetPattern(L"*.png");
    EXPECT_EQ(Entries(), std::vector<std::wstring>{L"b.png"});
}

TEST_F(FileListTest, MouseButtonsReportButtonShiftAndPosition)
{
    for (const wchar_t* name : {L"a.bmp", L"b.bmp", L"c.bmp"})
        ASSERT_TRUE(Touch(folder / name));
    ASSERT_TRUE(list.SetPath(folder.Path()));
    form.Show();
    list.SetSelected(1);
    clicks.clear();

    // The right button over another entry reports and leaves the selection where it was.
    const POINT first = ItemCentre(0);
    SendMessageW(list.Hwnd(), WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT | MK_CONTROL, MAKELPARAM(first.x, first.y));
    SendMessageW(list.Hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(first.x, first.y));
    ASSERT_EQ(mouseDowns.size(), 1u);
    EXPECT_EQ(mouseDowns[0].button, 2);
    EXPECT_EQ(mouseDowns[0].shift, 3);
    EXPECT_EQ(mouseDowns[0].x, first.x);
    EXPECT_EQ(mouseDowns[0].y, first.y);
    EXPECT_EQ(list.FileName(), L"b.bmp");
    EXPECT_TRUE(clicks.empty());

    const POINT third = ItemCentre(2);
    SendMessageW(list.Hwnd(), WM_MBUTTONDOWN, MK_MBUTTON | MK_SHIFT, MAKELPARAM(third.x, third.y));
    ASSERT_EQ(mouseDowns.size(), 2u);
    EXPECT_EQ(mouseDowns[1].button, 4);
    EXPECT_EQ(mouseDowns[1].shift, 1);

    // The left button reports first and then selects as usual, which raises the click.
    SendMessageW(list.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(first.x, first.y));
    SendMessageW(list.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(first.x, first.y));
    ASSERT_EQ(mouseDowns.size(), 3u);
    EXPECT_EQ(mouseDowns[2].button, 1);
    EXPECT_EQ(mouseDowns[2].shift, 0);
    EXPECT_EQ(list.FileName(), L"a.bmp");
    EXPECT_EQ(clicks, std::vector<std::wstring>{L"a.bmp"});
}

TEST_F(FileListTest, DoubleClickNotificationRaisesDblClick)
{
    ASSERT_TRUE(Touch(folder / L"a.bmp"));
    ASSERT_TRUE(list.SetPath(folder.Path()));
    const auto id = static_cast<WORD>(GetDlgCtrlID(list.Hwnd()));
    SendMessageW(form.Hwnd(), WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK), reinterpret_cast<LPARAM>(list.Hwnd()));
    EXPECT_EQ(doubleClicks, 1);
    // A selection change reflected the same way is the click.
    SendMessageW(list.Hwnd(), LB_SETCURSEL, 0, 0);
    SendMessageW(form.Hwnd(), WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list.Hwnd()));
    EXPECT_EQ(clicks, std::vector<std::wstring>{L"a.bmp"});
}

TEST(FileListEntries, FortyThousandEntriesListAndTheLastSelects)
{
    forms::Form form;
    ASSERT_TRUE(form.Load({L"Dateiliste", WS_OVERLAPPEDWINDOW, 0, 6000, 6000, nullptr}));
    FileListProbe list;
    ASSERT_TRUE(list.Create(form.Hwnd(), {8, 8, 187, 198}));
    std::vector<std::wstring> clicks;
    list.onClick = [&] { clicks.push_back(list.FileName()); };

    constexpr int kEntries = 40000;
    std::vector<std::wstring> names;
    for (int i = 0; i < kEntries; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"f%05d.bmp", i);
        names.push_back(name);
    }
    list.Fill(names);
    ASSERT_EQ(list.ListCount(), kEntries);
    EXPECT_EQ(list.List(32767), L"f32767.bmp");
    EXPECT_EQ(list.List(32768), L"f32768.bmp");
    EXPECT_EQ(list.List(kEntries - 1), L"f39999.bmp");
    EXPECT_EQ(list.ListIndex(), -1);

    list.SetSelected(kEntries - 1);
    EXPECT_EQ(list.ListIndex(), kEntries - 1);
    EXPECT_EQ(list.FileName(), L"f39999.bmp");
    EXPECT_EQ(clicks, std::vector<std::wstring>{L"f39999.bmp"});

    // Filling again replaces everything and drops the selection.
    list.Fill({L"x.bmp"});
    EXPECT_EQ(list.ListCount(), 1);
    EXPECT_EQ(list.FileName(), L"");
}

// The same with real files. Disabled by default: Wine searches the whole folder for every new
// name, so creating 40,000 files takes minutes there. Run with --gtest_also_run_disabled_tests.
TEST_F(FileListTest, DISABLED_FortyThousandFilesListAndTheLastSelects)
{
    constexpr int kFiles = 40000;
    for (int i = 0; i < kFiles; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"f%05d.bmp", i);
        ASSERT_TRUE(Touch(folder / name)) << i;
    }
    ASSERT_TRUE(Touch(folder / L"other.png"));
    ASSERT_TRUE(list.SetPath(folder.Path()));
    ASSERT_EQ(list.ListCount(), kFiles);
    EXPECT_EQ(list.List(0), L"f00000.bmp");
    EXPECT_EQ(list.List(32768), L"f32768.bmp");

    list.SetSelected(kFiles - 1);
    EXPECT_EQ(list.ListIndex(), kFiles - 1);
    EXPECT_EQ(list.FileName(), L"f39999.bmp");
    EXPECT_EQ(clicks, std::vector<std::wstring>{L"f39999.bmp"});
}

}  // namespace
