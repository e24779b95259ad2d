// Renaming through frmRename and deleting the selected image.

#include "dialog_fixture.h"

#include "common/commands.h"
#include "ui/dialogs/frm_copy.h"
#include "ui/dialogs/frm_rename.h"

namespace dialogtest {
namespace {

using testsupport::Prompter;
using testsupport::ReadFileBytes;

using RenameCommandTest = FileCommandsTest;

TEST_F(RenameCommandTest, OpensWithTheWholeNameSelectedAndRenamesToAFreeName)
{
    const std::wstring source = AddSource(L"Wand.bmp", 0x11);
    const std::string bytes = ReadFileBytes(source);
    SelectSource(L"Wand.bmp");

    form_->mnuRen_Click();

    ui::frmRename& dialog = ui::RenameDialog();
    ASSERT_TRUE(dialog.IsLoaded());
    EXPECT_TRUE(dialog.Visible());
    EXPECT_FALSE(form_->Enabled());
    EXPECT_EQ(dialog.Caption(), L"Datei umbenennen");
    EXPECT_EQ(dialog.Label1.Text(), L"Bitte neuen Namen eingeben:");
    EXPECT_EQ(dialog.Text1.Text(), L"Wand");
    EXPECT_EQ(dialog.Label2.Text(), L".bmp");
    EXPECT_EQ(dialog.Text1.SelStart(), 0);
    EXPECT_EQ(dialog.Text1.SelLength(), 4);
    EXPECT_TRUE(dialog.Text1.HasFocus());
    EXPECT_EQ(dialog.FullPath, source);
    EXPECT_EQ(dialog.SourceFolder, images_.Path());
    EXPECT_EQ(dialog.SourceFile, L"Wand.bmp");

    TypeChars(dialog.Text1.Hwnd(), L"Mauer\r");

    EXPECT_FALSE(dialog.IsLoaded());
    EXPECT_TRUE(form_->Enabled());
    EXPECT_TRUE(dialog.Accepted);
    EXPECT_EQ(dialog.NewName, L"Mauer.bmp");
    EXPECT_FALSE(Exists(source));
    EXPECT_EQ(ReadFileBytes(images_ / L"Mauer.bmp"), bytes);
    EXPECT_FALSE(ListShows(L"Wand.bmp"));
    EXPECT_EQ(form_->File1.FileName(), L"Mauer.bmp");
    EXPECT_EQ(Commands::CurrentFile, L"Mauer.bmp");
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_TRUE(form_->PicM.HasPicture());
    EXPECT_TRUE(Prompter().shown.empty());
}

TEST_F(RenameCommandTest, TakenNameIsReportedWithTheDialogHiddenThenSelectedAgain)
{
    const std::wstring source = AddSource(L"Wand.bmp", 0x11);
    const std::wstring other = AddSource(L"Alt.bmp", 0x12);
    const std::string sourceBytes = ReadFileBytes(source);
    const std::string otherBytes = ReadFileBytes(other);
    SelectSource(L"Wand.bmp");
    form_->mnuRen_Click();
    ui::frmRename& dialog = ui::RenameDialog();
    ASSERT_TRUE(dialog.IsLoaded());

    bool hiddenWhileShown = false;
    bool mainDisabledWhileShown = false;
    Prompter().whileShown = [&] {
        hiddenWhileShown = !dialog.Visible();
        mainDisabledWhileShown = !form_->Enabled();
    };
    TypeChars(dialog.Text1.Hwnd(), L"Alt\r");

    ASSERT_EQ(Prompter().shown.size(), 1u);
    EXPECT_EQ(Prompter().shown[0].text, L"Datei Alt.bmp existiert bereits.   ");
    EXPECT_EQ(Prompter().shown[0].title, L"Brenwick Quadrino");
    EXPECT_EQ(Prompter().shown[0].flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_TRUE(hiddenWhileShown);
    EXPECT_TRUE(mainDisabledWhileShown);
    ASSERT_TRUE(dialog.IsLoaded());
    EXPECT_TRUE(dialog.Visible());
    EXPECT_FALSE(form_->Enabled());
    EXPECT_EQ(dialog.Text1.Text(), L"Alt");
    EXPECT_EQ(dialog.Text1.SelStart(), 0);
    EXPECT_EQ(dialog.Text1.SelLength(), 3);
    EXPECT_EQ(ReadFileBytes(source), sourceBytes);
    EXPECT_EQ(ReadFileBytes(other), otherBytes);

    Click(dialog.Command1.Hwnd());
    EXPECT_FALSE(dialog.IsLoaded());
    EXPECT_TRUE(form_->Enabled());
}

TEST_F(RenameCommandTest, UnchangedNameIsReportedAsTaken)
{
    AddSource(L"Wand.bmp", 0x11);
    SelectSource(L"Wand.bmp");
    form_->mnuRen_Click();
    ui::frmRename& dialog = ui::RenameDialog();
    ASSERT_TRUE(dialog.IsLoaded());

    Click(dialog.Command2.Hwnd());

    ASSERT_EQ(Prompter().shown.size(), 1u);
    EXPECT_EQ(Prompter().shown[0].text, L"Datei Wand.bmp existiert bereits.   ");
    ASSERT_TRUE(dialog.IsLoaded());
    EXPECT_EQ(dialog.Text1.SelLength(), 4);
    EXPECT_TRUE(Exists(images_ / L"Wand.bmp"));
}

TEST_F(RenameCommandTest, CancelRenamesNothingAndReloadsThePreview)
{
    AddSource(L"Wand.bmp", 0x11);
    SelectSource(L"Wand.bmp");
    form_->mnuRen_Click();
    ui::frmRename& dialog = ui::RenameDialog();
    ASSERT_TRUE(dialog.IsLoaded());
    TypeChars(dialog.Text1.Hwnd(), L"Neu");
    form_->PicM.ClearPicture();

    Click(dialog.Command1.Hwnd());

    EXPECT_FALSE(dialog.IsLoaded());
    EXPECT_FALSE(dialog.Accepted);
    EXPECT_TRUE(form_->Enabled());
    EXPECT_TRUE(Exists(images_ / L"Wand.bmp"));
    EXPECT_FALSE(Exists(images_ / L"Neu.bmp"));
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_TRUE(form_->PicM.HasPicture()) << "cancelling runs File1_Click";
    EXPECT_EQ(Commands::CurrentFile, L"Wand.bmp");
}

TEST_F(RenameCommandTest, FailingRenameClosesAndKeepsTheFileSelected)
{
    const std::wstring source = AddSource(L"Wand.bmp", 0x11);
    SelectSource(L"Wand.bmp");
    HeldFile held(source, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(held.IsOpen());
    form_->mnuRen_Click();
    ui::frmRename& dialog = ui::RenameDialog();
    ASSERT_TRUE(dialog.IsLoaded());

    TypeChars(dialog.Text1.Hwnd(), L"Neu\r");

    EXPECT_FALSE(dialog.IsLoaded());
    EXPECT_TRUE(dialog.Accepted);
    EXPECT_TRUE(form_->Enabled());
    EXPECT_TRUE(Exists(source));
    EXPECT_FALSE(Exists(images_ / L"Neu.bmp"));
    EXPECT_EQ(form_->File1.FileName(), L"Wand.bmp");
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_TRUE(form_->PicM.HasPicture());
    EXPECT_TRUE(Prompter().shown.empty());
}

using DeleteCommandTest = FileCommandsTest;

TEST_F(DeleteCommandTest, AnsweredNoChangesNothing)
{
    const std::wstring source = AddSource(L"Wand.bmp", 0x11);
    SelectSource(L"Wand.bmp");
    Prompter().answers.push_back(IDNO);

    form_->mnuDel_Click();

    ASSERT_EQ(Prompter().shown.size(), 1u);
    EXPECT_EQ(Prompter().shown[0].text, L"Soll die Datei 'Wand.bmp' wirklich gelöscht werden ?");
    EXPECT_EQ(Prompter().shown[0].title, L"Brenwick Quadrino");
    EXPECT_EQ(Prompter().shown[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1));
    EXPECT_EQ(Prompter().shown[0].owner, form_->Hwnd());
    EXPECT_TRUE(Exists(source));
    EXPECT_EQ(form_->File1.FileName(), L"Wand.bmp");
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_TRUE(form_->PicM.HasPicture());
}

TEST_F(DeleteCommandTest, ReadOnlyFileIsDeletedAndLaterCommandsActOnTheGoneFile)
{
    const std::wstring source = AddSource(L"Wand.bmp", 0x11);
    AddSource(L"Rest.bmp", 0x12);
    ASSERT_TRUE(SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_READONLY));
    SelectSource(L"Wand.bmp");
    Prompter().answers.push_back(IDYES);

    form_->mnuDel_Click();

    EXPECT_FALSE(Exists(source));
    EXPECT_FALSE(ListShows(L"Wand.bmp"));
    EXPECT_TRUE(ListShows(L"Rest.bmp"));
    EXPECT_FALSE(form_->PicM.HasPicture());
    EXPECT_EQ(Commands::CurrentFile, L"Wand.bmp");

    // A second delete asks about the same file again and changes nothing.
    Prompter().answers.push_back(IDYES);
    form_->mnuDel_Click();
    ASSERT_EQ(Prompter().shown.size(), 2u);
    EXPECT_EQ(Prompter().shown[1].text, L"Soll die Datei 'Wand.bmp' wirklich gelöscht werden ?");
    EXPECT_TRUE(Exists(images_ / L"Rest.bmp"));

    // A copy fails silently.
    form_->mnuCopy_Click();
    EXPECT_FALSE(Exists(collection_ / L"Wand.bmp"));
    EXPECT_FALSE(ui::CopyDialog().IsLoaded());
    EXPECT_TRUE(form_->Enabled());
    EXPECT_EQ(Prompter().shown.size(), 2u);
}

TEST_F(DeleteCommandTest, FileInUseStaysWithItsAttributes)
{
    const std::wstring source = AddSource(L"Wand.bmp", 0x11);
    const std::string bytes = ReadFileBytes(source);
    SelectSource(L"Wand.bmp");
    ASSERT_TRUE(SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_READONLY));
    HeldFile held(source, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(held.IsOpen());
    Prompter().answers.push_back(IDYES);

    form_->mnuDel_Click();

    EXPECT_EQ(ReadFileBytes(source), bytes);
    EXPECT_EQ(GetFileAttributesW(source.c_str()) & FILE_ATTRIBUTE_READONLY,
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(ListShows(L"Wand.bmp"));
    EXPECT_FALSE(form_->PicM.HasPicture());
    EXPECT_EQ(Prompter().shown.size(), 1u) << "a failed delete reports nothing";
}

}  // namespace
}  // namespace dialogtest

namespace dialogtest {
namespace {

using MenuFlowTest = FileCommandsTest;

TEST_F(MenuFlowTest, PopupMenuAndDoubleClickReachTheCommands)
{
    const std::wstring source = AddSource(L"Wand.bmp", 0x11);
    SelectSource(L"Wand.bmp");

    // A right click over the list offers the menu; "Löschen" asks first and is answered No.
    testsupport::MenuPresenter().Reset();
    testsupport::MenuPresenter().choices.push_back(L"Löschen");
    testsupport::Prompter().answers.push_back(IDNO);
    form_->File1_MouseDown(2, 0, 5, 5);
    ASSERT_EQ(testsupport::Prompter().shown.size(), 1u);
    EXPECT_EQ(testsupport::Prompter().shown[0].text, L"Soll die Datei 'Wand.bmp' wirklich gelöscht werden ?");
    EXPECT_TRUE(Exists(source));

    // "Umbenennen" from the menu opens the rename dialog and disables the main window.
    testsupport::MenuPresenter().choices.push_back(L"Umbenennen");
    form_->File1_MouseDown(2, 0, 5, 5);
    ASSERT_TRUE(ui::RenameDialog().IsLoaded());
    EXPECT_FALSE(form_->Enabled());
    Click(ui::RenameDialog().Command1.Hwnd());
    EXPECT_TRUE(form_->Enabled());

    // A double click runs the rename command as well.
    form_->File1_DblClick();
    ASSERT_TRUE(ui::RenameDialog().IsLoaded());
    TypeChars(ui::RenameDialog().Text1.Hwnd(), L"Zweit\r");
    EXPECT_TRUE(Exists(images_ / L"Zweit.bmp"));
    EXPECT_EQ(form_->File1.FileName(), L"Zweit.bmp");
    testsupport::MenuPresenter().Reset();
}

}  // namespace
}  // namespace dialogtest
