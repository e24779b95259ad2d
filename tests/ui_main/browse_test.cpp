// Browsing: the chained lists, files dropped onto Dir1, File1 and PicW, and the mouse gestures on File1.

#include <gtest/gtest.h>

#include "common/commands.h"
#include "forms/events.h"
#include "support/main_window_test.h"
#include "support/read_back.h"
#include "support/drop_data.h"
#include "ui/dialogs/frm_rename.h"

namespace {

using testsupport::MainWindowTest;
using testsupport::WithoutBackslash;

class BrowseTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        AddImage(images_.Path(), L"wand.bmp", 13, 9, 3);
        AddImage(images_.Path(), L"boden.bmp", 8, 8, 4);
        ASSERT_TRUE(testsupport::WriteFileBytes(images_ / L"notes.txt", "png"));
        ASSERT_TRUE(CreateDirectoryW((images_ / L"Unterordner").c_str(), nullptr));
        AddImage(other_.Path(), L"erste.bmp", 6, 6, 5);
        AddImage(other_.Path(), L"wand.bmp", 7, 7, 6);
        ShowFolder(other_.Path());
    }

    testsupport::TempFolder other_;
};

TEST_F(BrowseTest, FolderListPassesItsPathToTheFileList)
{
    ASSERT_TRUE(form_->Dir1.SetPath(WithoutBackslash(images_.Path())));
    EXPECT_EQ(form_->File1.Path(), WithoutBackslash(images_.Path()));
    EXPECT_EQ(form_->File1.ListCount(), 2);  // the .txt and the folder are not listed
    EXPECT_EQ(form_->File1.ListIndex(), -1);
}

TEST_F(BrowseTest, DriveListPassesItsDriveToTheFolderList)
{
    // Z: is the host's root and C: the prefix's drive; whichever is selected now, both change it once.
    for (const wchar_t* drive : {L"C:", L"Z:", L"C:"}) {
        ASSERT_TRUE(form_->Drive1.SetDrive(drive));
        EXPECT_EQ(towupper(form_->Drive1.Drive()[0]), drive[0]);
        EXPECT_EQ(towupper(form_->Dir1.Path()[0]), drive[0]);
        EXPECT_EQ(form_->File1.Path(), form_->Dir1.Path());
    }
    EXPECT_TRUE(testsupport::Prompter().shown.empty());
}

TEST_F(BrowseTest, DropOfSeveralFilesOntoFile1OpensTheFirst)
{
    const auto data = testsupport::MakeFileDropData({images_ / L"wand.bmp", other_ / L"erste.bmp"});
    form_->File1_OLEDragDrop(data.Get());
    EXPECT_TRUE(testsupport::AwaitShown(*form_));

    EXPECT_EQ(form_->Dir1.Path(), WithoutBackslash(images_.Path()));
    EXPECT_EQ(form_->File1.Path(), WithoutBackslash(images_.Path()));
    EXPECT_EQ(form_->File1.FileName(), L"wand.bmp");
    EXPECT_EQ(Commands::CurrentFolder, images_.Path());
    EXPECT_EQ(Commands::CurrentFile, L"wand.bmp");
    ASSERT_EQ(form_->List1.ListCount(), 2);
    EXPECT_EQ(form_->List1.List(0), images_ / L"wand.bmp");
    EXPECT_EQ(form_->List1.List(1), other_ / L"erste.bmp");
}

TEST_F(BrowseTest, DropOfAFileOntoDir1MovesTheListsWithoutSelecting)
{
    const auto data = testsupport::MakeFileDropData({images_ / L"wand.bmp"});
    form_->Dir1_OLEDragDrop(data.Get());
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_EQ(form_->Dir1.Path(), WithoutBackslash(images_.Path()));
    EXPECT_EQ(form_->File1.Path(), WithoutBackslash(images_.Path()));
    EXPECT_EQ(form_->File1.ListIndex(), -1);
    EXPECT_TRUE(Commands::CurrentFile.empty());
}

TEST_F(BrowseTest, DroppedFolderOpensTheFolderThatHoldsIt)
{
    const auto data = testsupport::MakeFileDropData({images_ / L"Unterordner"});
    form_->Dir1_OLEDragDrop(data.Get());
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_EQ(form_->Dir1.Path(), WithoutBackslash(images_.Path()));

    ShowFolder(other_.Path());
    form_->File1_OLEDragDrop(data.Get());
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_EQ(form_->File1.Path(), WithoutBackslash(images_.Path()));
    EXPECT_EQ(form_->File1.ListIndex(), -1);
    EXPECT_TRUE(Commands::CurrentFile.empty());
}

TEST_F(BrowseTest, DroppedFileOfAnotherTypeMovesTheListsAndKeepsThePreview)
{
    form_->File1.SetSelected(IndexInFile1(L"erste.bmp"));
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    ASSERT_EQ(Commands::CurrentFile, L"erste.bmp");
    const testsupport::Pixels before = testsupport::ReadBox(form_->PicW);

    const auto data = testsupport::MakeFileDropData({images_ / L"notes.txt"});
    form_->File1_OLEDragDrop(data.Get());
    EXPECT_TRUE(testsupport::AwaitShown(*form_));

    EXPECT_EQ(form_->File1.Path(), WithoutBackslash(images_.Path()));
    EXPECT_EQ(form_->File1.ListIndex(), -1);
    EXPECT_EQ(Commands::CurrentFile, L"erste.bmp");
    EXPECT_TRUE(testsupport::ReadBox(form_->PicW).argb == before.argb);
}

TEST_F(BrowseTest, DroppedNameInAnotherLetterCaseIsFoundAndShown)
{
    const auto data = testsupport::MakeFileDropData({images_ / L"WAND.BMP"});
    form_->File1_OLEDragDrop(data.Get());
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_EQ(form_->File1.FileName(), L"wand.bmp");
    EXPECT_EQ(Commands::CurrentFile, L"wand.bmp");
    EXPECT_TRUE(testsupport::IsTiling(testsupport::ReadBox(form_->PicW), 13, 9, 3));
}

TEST_F(BrowseTest, DropFromAFolderThatCannotBeShownSelectsNothing)
{
    // other_ lists a wand.bmp too; it is not the file that was dropped.
    const auto data = testsupport::MakeFileDropData({images_ / L"gibt es nicht\\wand.bmp"});
    form_->File1_OLEDragDrop(data.Get());
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_EQ(form_->Dir1.Path(), WithoutBackslash(other_.Path()));
    EXPECT_EQ(form_->File1.Path(), WithoutBackslash(other_.Path()));
    EXPECT_EQ(form_->File1.ListIndex(), -1);
    EXPECT_TRUE(Commands::CurrentFile.empty());

    form_->PicW_OLEDragDrop(data.Get());
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_EQ(form_->File1.ListIndex(), -1);
    EXPECT_TRUE(Commands::CurrentFile.empty());
    EXPECT_TRUE(testsupport::Prompter().shown.empty());
}

TEST_F(BrowseTest, DropWithoutAFileListLeavesTheListsWhereTheyAre)
{
    form_->List1.AddItem(images_ / L"wand.bmp");
    const auto data = testsupport::MakeTextDropData(images_ / L"wand.bmp");
    form_->File1_OLEDragDrop(data.Get());
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_EQ(form_->List1.ListCount(), 0);
    EXPECT_EQ(form_->Dir1.Path(), WithoutBackslash(other_.Path()));
    EXPECT_EQ(form_->File1.ListIndex(), -1);
    form_->Dir1_OLEDragDrop(data.Get());
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    form_->PicW_OLEDragDrop(data.Get());
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_EQ(form_->Dir1.Path(), WithoutBackslash(other_.Path()));
}

TEST_F(BrowseTest, DropOntoThePreviewOpensTheFileAndLeavesTheDriveList)
{
    const std::wstring drive = form_->Drive1.Drive();
    const auto data = testsupport::MakeFileDropData({images_ / L"Wand.bmp", other_ / L"erste.bmp"});
    form_->PicW_OLEDragDrop(data.Get());
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_EQ(form_->File1.Path(), WithoutBackslash(images_.Path()));
    EXPECT_EQ(form_->File1.FileName(), L"wand.bmp");
    EXPECT_EQ(Commands::CurrentFolder + Commands::CurrentFile, images_ / L"wand.bmp");
    EXPECT_EQ(form_->Drive1.Drive(), drive);
}

TEST_F(BrowseTest, DroppedFileFromADriveRootOpensTheRoot)
{
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 2u);
    const std::wstring root = std::wstring(windows, 2) + L"\\";
    const std::wstring file = root + L"quadrino_root_" + std::to_wstring(GetCurrentProcessId()) + L".bmp";
    ASSERT_TRUE(testsupport::WriteFileBytes(file, testsupport::Bmp24(testsupport::Pattern(4, 4, 2))));
    const auto data = testsupport::MakeFileDropData({file});
    form_->File1_OLEDragDrop(data.Get());
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    const std::wstring shown = form_->File1.Path();
    const std::wstring selected = form_->File1.FileName();
    DeleteFileW(file.c_str());
    EXPECT_EQ(shown, root);
    EXPECT_EQ(Commands::CurrentFolder, root);
    EXPECT_EQ(selected, Commands::GetFileName(file));
}

TEST_F(BrowseTest, RightClickOpensTheMenuOnlyWithASelection)
{
    form_->File1_MouseDown(2, 0, 10, 10);
    EXPECT_TRUE(testsupport::MenuPresenter().shownMenus.empty());

    form_->File1.SetSelected(IndexInFile1(L"erste.bmp"));
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    form_->File1_MouseDown(1, 0, 10, 10);
    form_->File1_MouseDown(4, 0, 10, 10);
    EXPECT_TRUE(testsupport::MenuPresenter().shownMenus.empty());

    // Through the window, as the mouse would; nothing is chosen.
    SendMessageW(form_->File1.Hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 150));
    SendMessageW(form_->File1.Hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(5, 150));
    forms::DoEvents();
    ASSERT_EQ(testsupport::MenuPresenter().shownMenus.size(), 1u);
    const std::vector<std::wstring> expected{L"in den Sammelordner kopieren", L"in Sammelordner umbewegen",
                                             L"Umbenennen", L"-", L"Löschen"};
    EXPECT_EQ(testsupport::MenuPresenter().shownMenus[0], expected);
    EXPECT_EQ(form_->File1.FileName(), L"erste.bmp");
    EXPECT_TRUE(form_->Enabled());
}

TEST_F(BrowseTest, DoubleClickStartsTheRenameCommand)
{
    form_->File1.SetSelected(IndexInFile1(L"erste.bmp"));
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    form_->File1_DblClick();
    EXPECT_FALSE(form_->Enabled());
    EXPECT_EQ(ui::RenameDialog().FullPath, other_ / L"erste.bmp");
    ui::RenameDialog().Command1_Click();
    forms::DoEvents();
    EXPECT_TRUE(form_->Enabled());
}

TEST_F(BrowseTest, SelectListEntryFindsANewFileInAnotherLetterCase)
{
    AddImage(other_.Path(), L"Neu.bmp", 5, 5, 7);  // created after the list was read
    Commands::SelectListEntry(form_->File1, L"NEU.BMP");
    EXPECT_EQ(form_->File1.FileName(), L"Neu.bmp");
    EXPECT_EQ(Commands::CurrentFile, L"Neu.bmp");

    Commands::CurrentFile.clear();
    Commands::SelectListEntry(form_->File1, L"");
    EXPECT_EQ(form_->File1.ListIndex(), -1);
    EXPECT_TRUE(Commands::CurrentFile.empty());
}

TEST_F(BrowseTest, ADriveThatCannotBeReadIsReportedAndTheListsStay)
{
    // A drive letter for a folder that is then removed: the drive is listed but cannot be read.
    testsupport::TempFolder target;
    wchar_t letter = 0;
    for (wchar_t candidate = L'Q'; candidate <= L'Y' && !letter; ++candidate) {
        const std::wstring name{candidate, L':'};
        if (GetDriveTypeW((name + L"\\").c_str()) == DRIVE_NO_ROOT_DIR &&
            DefineDosDeviceW(0, name.c_str(), WithoutBackslash(target.Path()).c_str()))
            letter = candidate;
    }
    if (!letter)
        GTEST_SKIP() << "no drive letter could be defined";
    const std::wstring drive{letter, L':'};
    form_->Drive1.Refresh();
    RemoveDirectoryW(WithoutBackslash(target.Path()).c_str());
    const bool selected = form_->Drive1.SetDrive(drive);
    const std::wstring dirPath = form_->Dir1.Path();
    const std::wstring drivePath = form_->Drive1.Drive();
    DefineDosDeviceW(DDD_REMOVE_DEFINITION, drive.c_str(), nullptr);
    CreateDirectoryW(WithoutBackslash(target.Path()).c_str(), nullptr);
    if (!selected)
        GTEST_SKIP() << "the drive list does not offer the defined drive";

    ASSERT_EQ(testsupport::Prompter().shown.size(), 1u);
    EXPECT_EQ(testsupport::Prompter().shown[0].title, L"Brenwick Quadrino");
    EXPECT_NE(testsupport::Prompter().shown[0].text.find(drive), std::wstring::npos);
    EXPECT_EQ(dirPath, WithoutBackslash(other_.Path()));
    EXPECT_EQ(towupper(drivePath[0]), towupper(other_.Path()[0]));
}

}  // namespace
