#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "common/commands.h"
#include "forms/file_list.h"
#include "forms/form.h"
#include "forms/selectable_list.h"
#include "support/test_env.h"

namespace {

// A list that records how it is used, for cases a case-insensitive file system cannot produce.
class RecordingList : public forms::SelectableList {
public:
    explicit RecordingList(std::vector<std::wstring> entries) : entries_(std::move(entries)) {}
    void Refresh() override { calls.push_back(L"Refresh"); }
    int ListCount() const override
    {
        calls.push_back(L"ListCount");
        return static_cast<int>(entries_.size());
    }
    std::wstring List(int index) const override { return entries_.at(static_cast<size_t>(index)); }
    void SetSelected(int index) override
    {
        calls.push_back(L"Selected " + std::to_wstring(index));
        selected = index;
    }

    mutable std::vector<std::wstring> calls;
    int selected = -1;

private:
    std::vector<std::wstring> entries_;
};

TEST(SelectListEntry, EveryMatchIsSelectedInTurnAfterOneRefresh)
{
    RecordingList list({L"wand.bmp", L"Wand.BMP", L"other.gif", L"WAND.bmp", L"wand.bmpx"});
    const std::wstring name = L"wAnD.bMp";
    Commands::SelectListEntry(list, name);
    EXPECT_EQ(list.calls,
              (std::vector<std::wstring>{L"Refresh", L"ListCount", L"Selected 0", L"Selected 1", L"Selected 3"}));
    EXPECT_EQ(list.selected, 3);  // the last match stays
    EXPECT_EQ(name, L"wAnD.bMp");
}

TEST(SelectListEntry, UpperCaseFollowsTheSystemRulesBeyondAscii)
{
    RecordingList list({L"Übergang.gif", L"uebergang.gif"});
    Commands::SelectListEntry(list, L"üBERGANG.GIF");
    EXPECT_EQ(list.selected, 0);
}

TEST(SelectListEntry, NoMatchSelectsNothing)
{
    RecordingList list({L"a.bmp", L"b.bmp"});
    Commands::SelectListEntry(list, L"");
    Commands::SelectListEntry(list, L"c.bmp");
    EXPECT_EQ(list.calls, (std::vector<std::wstring>{L"Refresh", L"ListCount", L"Refresh", L"ListCount"}));
    EXPECT_EQ(list.selected, -1);
}

class SelectListEntryOnFileList : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(form.Load({L"Auswahl", WS_OVERLAPPEDWINDOW, 0, 6000, 6000, nullptr}));
        ASSERT_TRUE(files.Create(form.Hwnd(), {8, 170, 187, 198}));
        files.SetPattern(L"*.bmp;*.gif;*.jpg;*.jpeg;*.tif");
        files.onClick = [this] { clicks.push_back(files.FileName()); };
        for (const wchar_t* name : {L"Alpha.bmp", L"Wand.bmp", L"Zaun.gif"})
            ASSERT_TRUE(testsupport::WriteFileBytes(folder / name, "x"));
        ASSERT_TRUE(files.SetPath(folder.Path()));
    }

    forms::Form form;
    forms::FileList files;
    testsupport::TempFolder folder;
    std::vector<std::wstring> clicks;
};

TEST_F(SelectListEntryOnFileList, LetterCaseDifferenceSelectsTheEntry)
{
    Commands::SelectListEntry(files, L"WAND.BMP");
    EXPECT_EQ(files.FileName(), L"Wand.bmp");
    EXPECT_EQ(clicks, std::vector<std::wstring>{L"Wand.bmp"});
}

TEST_F(SelectListEntryOnFileList, EmptyOrUnknownNameLeavesNothingSelected)
{
    files.SetSelected(0);
    clicks.clear();
    // The re-read drops the old selection, and nothing matches.
    Commands::SelectListEntry(files, L"");
    EXPECT_EQ(files.ListIndex(), -1);
    Commands::SelectListEntry(files, L"Wand");
    EXPECT_EQ(files.ListIndex(), -1);
    EXPECT_TRUE(clicks.empty());
}

TEST_F(SelectListEntryOnFileList, FileCreatedAfterTheLastReadIsFound)
{
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"Neu.jpg", "x"));
    ASSERT_EQ(files.ListCount(), 3);
    Commands::SelectListEntry(files, L"neu.jpg");
    EXPECT_EQ(files.ListCount(), 4);
    EXPECT_EQ(files.FileName(), L"Neu.jpg");
    EXPECT_EQ(clicks, std::vector<std::wstring>{L"Neu.jpg"});
}

}  // namespace
