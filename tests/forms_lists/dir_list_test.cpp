#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "forms/dir_list.h"
#include "forms/fonts.h"
#include "forms/form.h"
#include "support/test_env.h"

namespace {

using testsupport::LongPath;
using testsupport::WithoutBackslash;

// How many backslash-separated names follow the root of a full path ("C:\a\b" has 2).
int Depth(const std::wstring& path)
{
    int depth = 0;
    for (size_t i = 3; i < path.size(); ++i)
        if (path[i] == L'\\')
            ++depth;
    return path.size() > 3 ? depth + 1 : 0;
}

bool MakeFolder(const std::wstring& path, DWORD attributes = 0)
{
    if (!CreateDirectoryW(path.c_str(), nullptr))
        return false;
    return attributes == 0 || SetFileAttributesW(path.c_str(), attributes);
}

class DirListTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(form.Load({L"Ordnerliste", WS_OVERLAPPEDWINDOW, 0, 6000, 6000, nullptr}));
        ASSERT_TRUE(list.Create(form.Hwnd(), {8, 34, 189, 132}));
        list.onChange = [this] { changes.push_back(list.Path()); };
        ASSERT_TRUE(MakeFolder(folder / L"Base"));
        ASSERT_TRUE(MakeFolder(folder / L"Base\\Mid"));
        for (const wchar_t* name : {L"beta", L"Alpha", L"gamma"})
            ASSERT_TRUE(MakeFolder(folder / (std::wstring(L"Base\\Mid\\") + name)));
        ASSERT_TRUE(MakeFolder(folder / L"Base\\Mid\\hidden", FILE_ATTRIBUTE_HIDDEN));
        ASSERT_TRUE(MakeFolder(folder / L"Base\\Mid\\system", FILE_ATTRIBUTE_SYSTEM));
        ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"Base\\Mid\\file.bmp", "x"));
        mid = LongPath(folder / L"Base\\Mid");
        ASSERT_FALSE(mid.empty());
    }

    void SendCommand(WORD code)
    {
        const auto id = static_cast<WORD>(GetDlgCtrlID(list.Hwnd()));
        SendMessageW(form.Hwnd(), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(list.Hwnd()));
    }

    forms::Form form;
    forms::DirList list;
    testsupport::TempFolder folder;
    std::wstring mid;
    std::vector<std::wstring> changes;
};

TEST_F(DirListTest, ShowsLevelsOfPathThenVisibleSubfolders)
{
    ASSERT_TRUE(list.SetPath(folder / L"Base\\Mid"));
    EXPECT_EQ(list.Path(), mid);

    const int depth = Depth(mid);
    ASSERT_EQ(list.ListCount(), depth + 1 + 3);
    EXPECT_EQ(list.Label(0), std::wstring(1, static_cast<wchar_t>(towlower(mid[0]))) + L":\\");
    EXPECT_EQ(list.List(0), mid.substr(0, 3));
    for (int i = 0; i <= depth; ++i)
        EXPECT_EQ(list.Level(i), i);
    EXPECT_EQ(list.Label(depth - 1), L"Base");
    EXPECT_EQ(list.Label(depth), L"Mid");
    EXPECT_EQ(list.List(depth), mid);

    // Subfolders one level deeper, sorted without regard to case; hidden, system and files left out.
    const std::vector<std::wstring> names = {L"Alpha", L"beta", L"gamma"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list.Label(depth + 1 + i), names[static_cast<size_t>(i)]);
        EXPECT_EQ(list.Level(depth + 1 + i), depth + 1);
        EXPECT_EQ(list.List(depth + 1 + i), mid + L"\\" + names[static_cast<size_t>(i)]);
    }
    // The current folder is highlighted, and the list box holds the same texts.
    EXPECT_EQ(list.ListIndex(), depth);
    EXPECT_EQ(SendMessageW(list.Hwnd(), LB_GETCOUNT, 0, 0), list.ListCount());
    wchar_t text[MAX_PATH] = {};
    SendMessageW(list.Hwnd(), LB_GETTEXT, static_cast<WPARAM>(depth), reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"Mid");

    // Painting goes through the owner drawing without trouble.
    form.Show();
    EXPECT_TRUE(RedrawWindow(list.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW));
}

TEST_F(DirListTest, ChangeIsRaisedOnlyWhenTheFolderChanges)
{
    ASSERT_TRUE(list.SetPath(folder / L"Base\\Mid"));
    EXPECT_EQ(changes, std::vector<std::wstring>{mid});

    // The same folder, written otherwise, is no change.
    std::wstring upper = folder / L"BASE\\MID\\";
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    ASSERT_TRUE(list.SetPath(upper));
    ASSERT_TRUE(list.SetPath(mid));
    EXPECT_EQ(changes.size(), 1u);
    EXPECT_EQ(list.Path(), mid);

    ASSERT_TRUE(list.SetPath(mid + L"\\gamma\\..\\Alpha"));
    EXPECT_EQ(list.Path(), mid + L"\\Alpha");
    EXPECT_EQ(changes.size(), 2u);
}

TEST_F(DirListTest, ShortNameShowsLongNames)
{
    ASSERT_TRUE(MakeFolder(folder / L"A rather long folder name"));
    wchar_t shortName[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW((folder / L"A rather long folder name").c_str(), shortName, MAX_PATH), 0u);
    ASSERT_TRUE(list.SetPath(shortName));
    EXPECT_EQ(list.Path(), LongPath(folder / L"A rather long folder name"));
    EXPECT_EQ(list.Label(list.ListIndex()), L"A rather long folder name");
}

TEST_F(DirListTest, BareDriveOpensTheRoot)
{
    for (const wchar_t* drive : {L"C:", L"c: [System]", L"c:\\"}) {
        ASSERT_TRUE(list.SetPath(folder / L"Base")) << drive;
        changes.clear();
        ASSERT_TRUE(list.SetPath(drive)) << drive;
        EXPECT_EQ(list.Path(), L"C:\\") << drive;
        EXPECT_EQ(list.ListIndex(), 0) << drive;
        EXPECT_EQ(list.Label(0), L"c:\\") << drive;
        EXPECT_EQ(list.Level(0), 0) << drive;
        EXPECT_EQ(changes, std::vector<std::wstring>{L"C:\\"}) << drive;
    }
    // The root's subfolders are at level 1 with full paths of their own.
    ASSERT_GT(list.ListCount(), 1);
    EXPECT_EQ(list.Level(1), 1);
    EXPECT_EQ(list.List(1), L"C:\\" + list.Label(1));
}

TEST_F(DirListTest, UnreadableFolderReturnsFalseAndChangesNothing)
{
    ASSERT_TRUE(list.SetPath(mid));
    changes.clear();
    const int count = list.ListCount();

    // A drive letter the system does not have.
    std::wstring missingDrive;
    const DWORD drives = GetLogicalDrives();
    for (int letter = 25; letter >= 3; --letter)
        if (!(drives & (1u << letter))) {
            missingDrive = std::wstring(1, static_cast<wchar_t>(L'A' + letter)) + L":";
            break;
        }
    ASSERT_FALSE(missingDrive.empty());

    for (const std::wstring& bad : {folder / L"Base\\nothing", mid + L"\\file.bmp", std::wstring(), missingDrive,
                                    std::wstring(L"Base"), std::wstring(L"\\\\?\\")}) {
        EXPECT_FALSE(list.SetPath(bad)) << bad;
        EXPECT_EQ(list.Path(), mid);
        EXPECT_EQ(list.ListCount(), count);
        EXPECT_EQ(list.ListIndex(), Depth(mid));
    }
    EXPECT_TRUE(changes.empty());
}

TEST_F(DirListTest, DoubleClickOrEnterOpensAnEntryAndSingleClickOnlyMovesTheHighlight)
{
    ASSERT_TRUE(list.SetPath(mid));
    form.Show();
    changes.clear();
    const int depth = Depth(mid);

    // A click on a subfolder only highlights it.
    RECT gamma{};
    SendMessageW(list.Hwnd(), LB_GETITEMRECT, static_cast<WPARAM>(depth + 3), reinterpret_cast<LPARAM>(&gamma));
    const LPARAM at = MAKELPARAM((gamma.left + gamma.right) / 2, (gamma.top + gamma.bottom) / 2);
    SendMessageW(list.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list.Hwnd(), WM_LBUTTONUP, 0, at);
    EXPECT_EQ(list.ListIndex(), depth + 3);
    EXPECT_EQ(list.Path(), mid);
    EXPECT_TRUE(changes.empty());

    // Double-clicking it opens it.
    SendMessageW(list.Hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageW(list.Hwnd(), WM_LBUTTONUP, 0, at);
    EXPECT_EQ(list.Path(), mid + L"\\gamma");
    EXPECT_EQ(changes, std::vector<std::wstring>{mid + L"\\gamma"});
    EXPECT_EQ(list.ListIndex(), depth + 1);
    EXPECT_EQ(list.ListCount(), depth + 2);

    // The parent's notification on a level above goes up.
    SendMessageW(list.Hwnd(), LB_SETCURSEL, static_cast<WPARAM>(depth - 1), 0);
    SendCommand(LBN_DBLCLK);
    EXPECT_EQ(list.Path(), LongPath(folder / L"Base"));
    EXPECT_EQ(changes.size(), 2u);

    // Enter on the highlighted entry opens it; Enter on the current folder changes nothing.
    SendMessageW(list.Hwnd(), LB_SETCURSEL, static_cast<WPARAM>(depth), 0);
    SendMessageW(list.Hwnd(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(list.Path(), mid);
    SendMessageW(list.Hwnd(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(changes.size(), 3u);

    // Arrow keys move the highlight only.
    SendMessageW(list.Hwnd(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(list.ListIndex(), depth + 1);
    EXPECT_EQ(list.Path(), mid);
    EXPECT_EQ(changes.size(), 3u);
}

TEST_F(DirListTest, RowsFollowTheFontHeight)
{
    ASSERT_TRUE(list.SetPath(mid));
    const auto small = forms::CreatePointFont(L"Arial", 8, false, 96);
    const auto large = forms::CreatePointFont(L"Arial", 24, true, 96);
    list.SetFont(small.get());
    const LRESULT smallHeight = SendMessageW(list.Hwnd(), LB_GETITEMHEIGHT, 0, 0);
    list.SetFont(large.get());
    const LRESULT largeHeight = SendMessageW(list.Hwnd(), LB_GETITEMHEIGHT, 0, 0);
    EXPECT_GT(largeHeight, smallHeight + 10);
    list.SetFont(nullptr);
}

}  // namespace

namespace {

TEST_F(DirListTest, DeepFoldersScrollSidewaysToTheCurrentNameAndTipTheCutOnes)
{
    std::wstring deep = folder / L"Base";
    for (int level = 0; level < 14; ++level) {
        deep += L"\\Ebene" + std::to_wstring(level);
        ASSERT_TRUE(MakeFolder(deep));
    }
    ASSERT_TRUE(list.SetPath(deep));
    const int current = list.ListIndex();
    ASSERT_EQ(list.Label(current), L"Ebene13");

    RECT client{};
    GetClientRect(list.Hwnd(), &client);
    EXPECT_GT(SendMessageW(list.Hwnd(), LB_GETHORIZONTALEXTENT, 0, 0), client.right);
    EXPECT_GT(GetScrollPos(list.Hwnd(), SB_HORZ), 0);
    // The current name is in full view; the root, scrolled away at the left, is told by its tip.
    EXPECT_EQ(list.TipText(current), L"");
    EXPECT_EQ(list.TipText(0), list.Label(0));

    // Back to a shallow folder, nothing is scrolled away.
    ASSERT_TRUE(list.SetPath(folder / L"Base"));
    EXPECT_EQ(GetScrollPos(list.Hwnd(), SB_HORZ), 0);
    EXPECT_EQ(list.TipText(0), L"");
}

}  // namespace
