// Copying and moving the selected image into the collection folder, directly and through frmCopy.

#include "dialog_fixture.h"

#include "common/commands.h"
#include "ui/dialogs/frm_copy.h"

namespace dialogtest {
namespace {

using testsupport::Prompter;
using testsupport::ReadFileBytes;

constexpr UINT kQuestion = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1;

using CopyCommandTest = FileCommandsTest;

TEST_F(CopyCommandTest, FreeNameIsCopiedWithoutAnyReaction)
{
    const std::wstring source = AddSource(L"Wand.bmp", 0x11);
    SelectSource(L"Wand.bmp");
    form_->PicM.ClearPicture();

    form_->mnuCopy_Click();

    EXPECT_EQ(ReadFileBytes(collection_ / L"Wand.bmp"), ReadFileBytes(source));
    EXPECT_TRUE(Exists(source));
    EXPECT_TRUE(Prompter().shown.empty());
    EXPECT_FALSE(ui::CopyDialog().IsLoaded());
    EXPECT_TRUE(form_->Enabled());
    EXPECT_FALSE(form_->PicM.HasPicture()) << "the preview is not reloaded after a direct copy";
}

TEST_F(CopyCommandTest, TakenNameOpensDialogAndCopiesUnderTypedName)
{
    const std::wstring source = AddSource(L"Wand.bmp", 0x11);
    const std::wstring taken = AddTile(L"Wand.bmp", 0x22);
    const std::string takenBytes = ReadFileBytes(taken);
    SelectSource(L"Wand.bmp");

    form_->mnuCopy_Click();

    ui::frmCopy& dialog = ui::CopyDialog();
    ASSERT_TRUE(dialog.IsLoaded());
    EXPECT_TRUE(dialog.Visible());
    EXPECT_FALSE(form_->Enabled());
    EXPECT_EQ(dialog.Caption(), L"Datei Kopieren");
    EXPECT_EQ(dialog.Text1.Text(), L"Wand");
    EXPECT_EQ(dialog.Label2.Text(), L".bmp");
    EXPECT_EQ(dialog.Text1.SelStart(), 4);
    EXPECT_EQ(dialog.Text1.SelLength(), 0);
    EXPECT_EQ(dialog.FullPath, source);
    EXPECT_EQ(dialog.SourceFolder, images_.Path());
    EXPECT_EQ(dialog.SourceFile, L"Wand.bmp");
    EXPECT_EQ(dialog.TargetFolder, collection_.Path());
    EXPECT_FALSE(dialog.MoveMode);
    EXPECT_TRUE(Prompter().shown.empty());

    form_->PicM.ClearPicture();
    TypeChars(dialog.Text1.Hwnd(), L"\b\b\b\bNeu");
    TypeChar(dialog.Text1.Hwnd(), L'\r');

    EXPECT_FALSE(dialog.IsLoaded());
    EXPECT_TRUE(form_->Enabled());
    EXPECT_TRUE(dialog.Accepted);
    EXPECT_EQ(ReadFileBytes(collection_ / L"Neu.bmp"), ReadFileBytes(source));
    EXPECT_EQ(ReadFileBytes(taken), takenBytes);
    EXPECT_TRUE(Exists(source));
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_TRUE(form_->PicM.HasPicture()) << "closing after a copy runs File1_Click";
    EXPECT_EQ(Commands::CurrentFile, L"Wand.bmp");
}

TEST_F(CopyCommandTest, StillTakenNameIsRefusedWithTheWholeNameSelected)
{
    const std::wstring source = AddSource(L"Wand.bmp", 0x11);
    AddTile(L"Wand.bmp", 0x22);
    const std::wstring other = AddTile(L"Alt.bmp", 0x33);
    const std::string otherBytes = ReadFileBytes(other);
    SelectSource(L"Wand.bmp");
    form_->mnuCopy_Click();
    ui::frmCopy& dialog = ui::CopyDialog();
    ASSERT_TRUE(dialog.IsLoaded());

    // The proposed name is the taken one.
    Click(dialog.Command2.Hwnd());
    ASSERT_TRUE(dialog.IsLoaded());
    EXPECT_EQ(dialog.Text1.SelStart(), 0);
    EXPECT_EQ(dialog.Text1.SelLength(), 4);
    EXPECT_TRUE(dialog.Text1.HasFocus());

    // Typing replaces the selection; a name differing only in letter case is taken as well.
    TypeChars(dialog.Text1.Hwnd(), L"ALT\r");
    ASSERT_TRUE(dialog.IsLoaded());
    EXPECT_EQ(dialog.Text1.Text(), L"ALT");
    EXPECT_EQ(dialog.Text1.SelStart(), 0);
    EXPECT_EQ(dialog.Text1.SelLength(), 3);
    EXPECT_FALSE(form_->Enabled());
    EXPECT_EQ(ReadFileBytes(other), otherBytes);
    EXPECT_TRUE(Prompter().shown.empty()) << "a taken name is told by the dialog's text alone";

    Click(dialog.Command1.Hwnd());
    EXPECT_FALSE(dialog.IsLoaded());
    EXPECT_TRUE(form_->Enabled());
}

TEST_F(CopyCommandTest, EmptyNameIsRefusedAndTheDialogStays)
{
    const std::wstring source = OpenNameConflict(false);
    ui::frmCopy& dialog = ui::CopyDialog();
    ASSERT_TRUE(dialog.IsLoaded());

    TypeChars(dialog.Text1.Hwnd(), L"\b\b\b\b\r");

    EXPECT_TRUE(dialog.IsLoaded());
    EXPECT_FALSE(Exists(collection_ / L".bmp"));
}

TEST_F(CopyCommandTest, CancelCopiesNothingAndReloadsThePreview)
{
    OpenNameConflict(false);
    ui::frmCopy& dialog = ui::CopyDialog();
    ASSERT_TRUE(dialog.IsLoaded());
    TypeChars(dialog.Text1.Hwnd(), L"Neu");
    form_->PicM.ClearPicture();

    Click(dialog.Command1.Hwnd());

    EXPECT_FALSE(dialog.IsLoaded());
    EXPECT_TRUE(form_->Enabled());
    EXPECT_FALSE(dialog.Accepted);
    EXPECT_FALSE(Exists(collection_ / L"WandNeu.bmp"));
    EXPECT_TRUE(Exists(images_ / L"Wand.bmp"));
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_TRUE(form_->PicM.HasPicture()) << "cancelling runs File1_Click";
}

TEST_F(CopyCommandTest, NeverOverwritesADestinationThatCannotBeRead)
{
    const std::wstring source = AddSource(L"Wand.bmp", 0x11);
    const std::wstring destination = AddTile(L"Wand.bmp", 0x22);
    const std::string destinationBytes = ReadFileBytes(destination);
    // Such a file could be overwritten by a copy that allows it...
    const std::wstring probe = AddTile(L"Probe.bmp", 0x44);
    {
        HeldFile heldProbe(probe, GENERIC_WRITE, FILE_SHARE_WRITE);
        ASSERT_TRUE(heldProbe.IsOpen());
        ASSERT_FALSE(Commands::FileExists(probe));
        ASSERT_TRUE(CopyFileW(source.c_str(), probe.c_str(), FALSE));
    }
    SelectSource(L"Wand.bmp");
    {
        // ...so while another program writes the destination and refuses readers, it looks free.
        HeldFile held(destination, GENERIC_WRITE, FILE_SHARE_WRITE);
        ASSERT_TRUE(held.IsOpen());
        ASSERT_FALSE(Commands::FileExists(destination));

        form_->mnuCopy_Click();

        EXPECT_FALSE(ui::CopyDialog().IsLoaded());
        EXPECT_TRUE(form_->Enabled());
    }
    EXPECT_EQ(ReadFileBytes(destination), destinationBytes);
    EXPECT_TRUE(Prompter().shown.empty());
}

TEST_F(CopyCommandTest, DialogNeverOverwritesAChosenNameThatCannotBeRead)
{
    AddSource(L"Wand.bmp", 0x11);
    AddTile(L"Wand.bmp", 0x22);
    const std::wstring other = AddTile(L"Alt.bmp", 0x33);
    const std::string otherBytes = ReadFileBytes(other);
    SelectSource(L"Wand.bmp");
    form_->mnuCopy_Click();
    ui::frmCopy& dialog = ui::CopyDialog();
    ASSERT_TRUE(dialog.IsLoaded());
    {
        HeldFile held(other, GENERIC_WRITE, FILE_SHARE_WRITE);
        ASSERT_TRUE(held.IsOpen());
        dialog.Text1.SetSelection(0, 4);
        TypeChars(dialog.Text1.Hwnd(), L"Alt\r");
        EXPECT_FALSE(dialog.IsLoaded()) << "the name looked free, so the dialog closed";
    }
    EXPECT_EQ(ReadFileBytes(other), otherBytes);
}

using MoveCommandTest = FileCommandsTest;

TEST_F(MoveCommandTest, FreeNameAnsweredYesMovesAndEmptiesTheSingleView)
{
    const std::wstring source = AddSource(L"Wand.bmp", 0x11);
    const std::string bytes = ReadFileBytes(source);
    AddSource(L"Rest.bmp", 0x12);
    SelectSource(L"Wand.bmp");
    Prompter().answers.push_back(IDYES);

    form_->mnuMove_Click();

    ASSERT_EQ(Prompter().shown.size(), 1u);
    EXPECT_EQ(Prompter().shown[0].text, L"Wand.bmp wirklich umbewegen ?");
    EXPECT_EQ(Prompter().shown[0].title, L"Brenwick Quadrino");
    EXPECT_EQ(Prompter().shown[0].flags, kQuestion);
    EXPECT_EQ(Prompter().shown[0].owner, form_->Hwnd());
    EXPECT_FALSE(Exists(source));
    EXPECT_EQ(ReadFileBytes(collection_ / L"Wand.bmp"), bytes);
    EXPECT_FALSE(ListShows(L"Wand.bmp"));
    EXPECT_TRUE(ListShows(L"Rest.bmp"));
    EXPECT_FALSE(form_->PicM.HasPicture());
    EXPECT_TRUE(form_->Enabled());
    EXPECT_EQ(Commands::CurrentFile, L"Wand.bmp") << "the current file still names the moved file";
    EXPECT_EQ(Commands::CurrentFolder, images_.Path());

    // The name is now taken in the collection folder: a copy opens the dialog, whose copy then fails.
    form_->mnuCopy_Click();
    ui::frmCopy& dialog = ui::CopyDialog();
    ASSERT_TRUE(dialog.IsLoaded());
    EXPECT_EQ(dialog.Caption(), L"Datei Kopieren");
    EXPECT_FALSE(form_->Enabled());
    TypeChars(dialog.Text1.Hwnd(), L"2\r");
    EXPECT_FALSE(dialog.IsLoaded());
    EXPECT_TRUE(form_->Enabled());
    EXPECT_FALSE(Exists(collection_ / L"Wand2.bmp"));
    EXPECT_EQ(Prompter().shown.size(), 1u);
}

TEST_F(MoveCommandTest, AnsweredNoChangesNothing)
{
    const std::wstring source = AddSource(L"Wand.bmp", 0x11);
    SelectSource(L"Wand.bmp");
    Prompter().answers.push_back(IDNO);

    form_->mnuMove_Click();

    ASSERT_EQ(Prompter().shown.size(), 1u);
    EXPECT_TRUE(Exists(source));
    EXPECT_FALSE(Exists(collection_ / L"Wand.bmp"));
    EXPECT_TRUE(ListShows(L"Wand.bmp"));
    EXPECT_EQ(form_->File1.FileName(), L"Wand.bmp");
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_TRUE(form_->PicM.HasPicture());
}

TEST_F(MoveCommandTest, MissingCollectionFolderFailsSilentlyButStillRefreshes)
{
    const std::wstring source = AddSource(L"Wand.bmp", 0x11);
    SelectSource(L"Wand.bmp");
    Commands::TilesFolder = collection_ / L"Fehlt\\";
    Prompter().answers.push_back(IDYES);

    form_->mnuMove_Click();

    EXPECT_EQ(Prompter().shown.size(), 1u);
    EXPECT_TRUE(Exists(source));
    EXPECT_TRUE(ListShows(L"Wand.bmp"));
    EXPECT_EQ(form_->File1.FileName(), L"") << "the list was re-read";
    EXPECT_FALSE(form_->PicM.HasPicture());
}

TEST_F(MoveCommandTest, TakenNameMovesThroughTheDialogWithoutAQuestion)
{
    const std::wstring source = AddSource(L"Wand.bmp", 0x11);
    const std::string bytes = ReadFileBytes(source);
    const std::wstring taken = AddTile(L"Wand.bmp", 0x22);
    const std::string takenBytes = ReadFileBytes(taken);
    SelectSource(L"Wand.bmp");

    form_->mnuMove_Click();

    ui::frmCopy& dialog = ui::CopyDialog();
    ASSERT_TRUE(dialog.IsLoaded());
    EXPECT_TRUE(Prompter().shown.empty());
    EXPECT_EQ(dialog.Caption(), L"Datei umbewegen");
    EXPECT_TRUE(dialog.MoveMode);
    EXPECT_FALSE(form_->Enabled());

    TypeChars(dialog.Text1.Hwnd(), L"\b\b\b\bMauer");
    Click(dialog.Command2.Hwnd());

    EXPECT_FALSE(dialog.IsLoaded());
    EXPECT_TRUE(dialog.Accepted);
    EXPECT_TRUE(form_->Enabled());
    EXPECT_FALSE(Exists(source));
    EXPECT_EQ(ReadFileBytes(collection_ / L"Mauer.bmp"), bytes);
    EXPECT_EQ(ReadFileBytes(taken), takenBytes);
    EXPECT_FALSE(ListShows(L"Wand.bmp"));
    EXPECT_FALSE(form_->PicM.HasPicture());

    // The next opening of the same dialog for a copy starts from the design caption again.
    AddSource(L"Kachel.bmp", 0x13);
    AddTile(L"Kachel.bmp", 0x23);
    SelectSource(L"Kachel.bmp");
    form_->mnuCopy_Click();
    ASSERT_TRUE(ui::CopyDialog().IsLoaded());
    EXPECT_EQ(&ui::CopyDialog(), &dialog);
    EXPECT_EQ(dialog.Caption(), L"Datei Kopieren");
    EXPECT_FALSE(dialog.MoveMode);
    EXPECT_EQ(dialog.Text1.Text(), L"Kachel");
}

TEST_F(MoveCommandTest, CancelMovesNothingAndReloadsThePreview)
{
    const std::wstring source = OpenNameConflict(true);
    ui::frmCopy& dialog = ui::CopyDialog();
    ASSERT_TRUE(dialog.IsLoaded());
    TypeChars(dialog.Text1.Hwnd(), L"X");
    form_->PicM.ClearPicture();

    Click(dialog.Command1.Hwnd());

    EXPECT_FALSE(dialog.IsLoaded());
    EXPECT_TRUE(form_->Enabled());
    EXPECT_TRUE(Exists(source));
    EXPECT_FALSE(Exists(collection_ / L"WandX.bmp"));
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_TRUE(form_->PicM.HasPicture());
}

}  // namespace
}  // namespace dialogtest
