#include <gtest/gtest.h>

#include <windows.h>

#include <bitset>
#include <string>

#include "forms/drive_list.h"
#include "forms/form.h"

namespace {

class DriveListTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(form.Load({L"Laufwerke", WS_OVERLAPPEDWINDOW, 0, 6000, 6000, nullptr}));
        ASSERT_TRUE(list.Create(form.Hwnd(), {8, 8, 189, 24}));
        list.onChange = [this] { changes.push_back(list.Drive()); };
    }

    // The entry of a drive letter, or -1.
    int IndexOf(wchar_t letter) const
    {
        for (int i = 0; i < list.ListCount(); ++i)
            if (list.List(i).substr(0, 2) == std::wstring{letter, L':'})
                return i;
        return -1;
    }

    forms::Form form;
    forms::DriveList list;
    std::vector<std::wstring> changes;
};

TEST_F(DriveListTest, ListsEveryDriveAsLowerCaseLetterWithLabel)
{
    EXPECT_EQ(list.ListCount(), static_cast<int>(std::bitset<32>(GetLogicalDrives()).count()));
    ASSERT_GE(IndexOf(L'c'), 0);
    ASSERT_GE(IndexOf(L'z'), 0);
    for (int i = 0; i < list.ListCount(); ++i) {
        const std::wstring text = list.List(i);
        ASSERT_GE(text.size(), 2u) << i;
        EXPECT_TRUE(text[0] >= L'a' && text[0] <= L'z') << text;
        wchar_t root[] = {static_cast<wchar_t>(towupper(text[0])), L':', L'\\', 0};
        wchar_t label[MAX_PATH + 1] = {};
        const bool hasLabel =
            GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) && label[0] != 0;
        EXPECT_EQ(text, std::wstring(text, 0, 2) + (hasLabel ? L" [" + std::wstring(label) + L"]" : L""));
    }
    // The list starts on the process's current drive without raising a change.
    wchar_t current[MAX_PATH] = {};
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, current), 1u);
    EXPECT_EQ(towupper(list.Drive()[0]), towupper(current[0]));
    EXPECT_TRUE(changes.empty());
}

TEST_F(DriveListTest, SetDriveSelectsByLetterAndRaisesChangeOnlyOnAChange)
{
    ASSERT_TRUE(list.SetDrive(L"c:"));
    changes.clear();

    ASSERT_TRUE(list.SetDrive(L"Z:\\whatever"));
    EXPECT_EQ(list.Drive(), list.List(IndexOf(L'z')));
    EXPECT_EQ(changes, std::vector<std::wstring>{list.Drive()});

    ASSERT_TRUE(list.SetDrive(L"z: [anything]"));
    EXPECT_EQ(changes.size(), 1u);

    ASSERT_TRUE(list.SetDrive(list.List(IndexOf(L'c'))));
    EXPECT_EQ(list.Drive().substr(0, 2), L"c:");
    EXPECT_EQ(changes.size(), 2u);

    // No drive: false, and the selection stays.
    std::wstring missing;
    const DWORD drives = GetLogicalDrives();
    for (int letter = 25; letter >= 0 && missing.empty(); --letter)
        if (!(drives & (1u << letter)))
            missing = std::wstring(1, static_cast<wchar_t>(L'A' + letter)) + L":";
    for (const std::wstring& bad : {missing, std::wstring(), std::wstring(L"c"), std::wstring(L"\\\\server")})
        EXPECT_FALSE(list.SetDrive(bad)) << bad;
    EXPECT_EQ(list.Drive().substr(0, 2), L"c:");
    EXPECT_EQ(changes.size(), 2u);
}

TEST_F(DriveListTest, UserChoiceRaisesChange)
{
    ASSERT_TRUE(list.SetDrive(L"C:"));
    changes.clear();
    const auto id = static_cast<WORD>(GetDlgCtrlID(list.Hwnd()));
    SendMessageW(list.Hwnd(), CB_SETCURSEL, static_cast<WPARAM>(IndexOf(L'z')), 0);
    SendMessageW(form.Hwnd(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list.Hwnd()));
    EXPECT_EQ(changes, std::vector<std::wstring>{list.List(IndexOf(L'z'))});
    // The same entry reported again is no change.
    SendMessageW(form.Hwnd(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list.Hwnd()));
    EXPECT_EQ(changes.size(), 1u);

    list.Refresh();
    EXPECT_EQ(list.Drive().substr(0, 2), L"z:");
    EXPECT_EQ(changes.size(), 1u);
}

}  // namespace
