// The copy and rename dialogs given hostile names: far too long, empty, device names, pasted control
// characters, and closed by other means than their buttons.

#include "common/commands.h"
#include "forms/events.h"
#include "hostile_support.h"
#include "support/main_window_test.h"
#include "ui/dialogs/frm_copy.h"
#include "ui/dialogs/frm_rename.h"

namespace {

using hostile::FileThere;
using testsupport::Prompter;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

class HostileDialogs : public testsupport::MainWindowTest {
protected:
    void SetUp() override
    {
        testsupport::MainWindowTest::SetUp();
        bytes_ = testsupport::Bmp24(testsupport::Pattern(6, 4, 40));
        ASSERT_TRUE(WriteFileBytes(images_ / L"Wand.bmp", bytes_));
        ShowFolder(images_.Path());
        ASSERT_TRUE(Select(L"Wand.bmp"));
    }
    // Renames through the dialog as the user would, with the text typed or pasted.
    void RenameTo(const std::wstring& text)
    {
        form_->mnuRen_Click();
        ASSERT_TRUE(ui::RenameDialog().IsLoaded());
        ui::RenameDialog().Text1.SetText(text);
        hostile::Bound bound(20, "a rename");
        ui::RenameDialog().Command2_Click();
        EXPECT_TRUE(testsupport::AwaitShown(*form_));
    }
    // Every image is still somewhere with its bytes: exactly one file holds them.
    int CopiesOfTheImage()
    {
        int found = 0;
        WIN32_FIND_DATAW data{};
        forms::UniqueFind find(FindFirstFileW((images_.Path() + L"*").c_str(), &data));
        if (!find)
            return 0;
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                ReadFileBytes(hostile::Extended(images_ / data.cFileName)) == bytes_)
                ++found;
        } while (FindNextFileW(find.get(), &data));
        return found;
    }
    std::string bytes_;
};

TEST_F(HostileDialogs, ANameFarTooLongIsRefusedByTheFileSystemAndTheFileStays)
{
    RenameTo(std::wstring(400, L'N'));
    EXPECT_FALSE(ui::RenameDialog().IsLoaded());
    EXPECT_TRUE(form_->Enabled());
    EXPECT_EQ(ReadFileBytes(images_ / L"Wand.bmp"), bytes_);
    EXPECT_EQ(CopiesOfTheImage(), 1);
    EXPECT_TRUE(Prompter().shown.empty());
}

TEST_F(HostileDialogs, AnEmptyNameIsRefusedAndLosesNothing)
{
    RenameTo(L"");
    EXPECT_TRUE(ui::RenameDialog().IsLoaded());
    EXPECT_EQ(ReadFileBytes(images_ / L"Wand.bmp"), bytes_);
    EXPECT_EQ(CopiesOfTheImage(), 1);
    ui::RenameDialog().Command1_Click();
    EXPECT_TRUE(form_->Enabled());
}

TEST_F(HostileDialogs, DeviceNamesAsNewNamesNeverSwallowTheFile)
{
    for (const wchar_t* name : {L"CON", L"nul", L"COM1", L"aux"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
        Prompter().shown.clear();
        RenameTo(name);
        if (ui::RenameDialog().IsLoaded())
            ui::RenameDialog().Command1_Click();
        EXPECT_TRUE(form_->Enabled());
        EXPECT_EQ(CopiesOfTheImage(), 1);
        ShowFolder(images_.Path());
        form_->File1.Refresh();
        for (int i = 0; i < form_->File1.ListCount(); ++i)
            if (ReadFileBytes(hostile::Extended(images_ / form_->File1.List(i))) == bytes_)
                form_->File1.SetSelected(i);
        EXPECT_TRUE(testsupport::AwaitShown(*form_));
    }
}

TEST_F(HostileDialogs, PastedControlCharactersAndSeparatorsAreDropped)
{
    form_->mnuRen_Click();
    ui::frmRename& dialog = ui::RenameDialog();
    ASSERT_TRUE(dialog.IsLoaded());
    dialog.Text1.SetText(L"");
    // Pasted through the text box's paste filter as Ctrl+V would.
    const std::wstring kept = ui::FilterNameText(L"Ne\tu\r\n\x01\\/:*\"<>.er");
    EXPECT_EQ(kept.find_first_of(L"\t\r\n\x01\\/:*\"<>."), std::wstring::npos);
    dialog.Text1.SetText(kept);
    dialog.Command2_Click();
    EXPECT_FALSE(dialog.IsLoaded());
    EXPECT_EQ(ReadFileBytes(images_ / (kept + L".bmp")), bytes_);
    EXPECT_EQ(CopiesOfTheImage(), 1);
}

TEST_F(HostileDialogs, CharactersTheFileSystemRefusesLeaveTheFileAsItWas)
{
    // The key filter lets "?" and "|" through; the file system does not take them.
    RenameTo(ui::FilterNameText(L"Wer?|Was"));
    EXPECT_FALSE(ui::RenameDialog().IsLoaded());
    EXPECT_TRUE(form_->Enabled());
    EXPECT_EQ(CopiesOfTheImage(), 1);
    EXPECT_TRUE(Prompter().shown.empty());
}

TEST_F(HostileDialogs, ClosingADialogByItsFrameTakesTheCancelPath)
{
    ASSERT_TRUE(WriteFileBytes(collection_ / L"Wand.bmp", "schon da"));
    form_->mnuCopy_Click();
    ui::frmCopy& copy = ui::CopyDialog();
    ASSERT_TRUE(copy.IsLoaded());
    EXPECT_FALSE(form_->Enabled());
    SendMessageW(copy.Hwnd(), WM_CLOSE, 0, 0);
    forms::DoEvents();
    EXPECT_FALSE(copy.IsLoaded());
    EXPECT_TRUE(form_->Enabled());

    form_->mnuRen_Click();
    ASSERT_TRUE(ui::RenameDialog().IsLoaded());
    SendMessageW(ui::RenameDialog().Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    forms::DoEvents();
    EXPECT_FALSE(ui::RenameDialog().IsLoaded());
    EXPECT_TRUE(form_->Enabled());
    EXPECT_EQ(ReadFileBytes(collection_ / L"Wand.bmp"), "schon da");
    EXPECT_EQ(ReadFileBytes(images_ / L"Wand.bmp"), bytes_);
}

TEST_F(HostileDialogs, TheMainWindowClosedWhileADialogIsOpenLeavesNothingBehind)
{
    form_->mnuRen_Click();
    ASSERT_TRUE(ui::RenameDialog().IsLoaded());
    // The main window goes (end of session, a task manager) while the dialog waits.
    form_.reset();
    ui::SetMainForm(nullptr);
    forms::DoEvents();
    ui::RenameDialog().Text1.SetText(L"Danach");
    ui::RenameDialog().Command2_Click();
    EXPECT_FALSE(ui::RenameDialog().IsLoaded());
    EXPECT_EQ(CopiesOfTheImage(), 1);
}

}  // namespace
