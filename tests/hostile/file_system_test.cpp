// The file system changing under the program: files deleted, renamed or held open by another
// program, the shown folder and the collection folder removed, a collection folder that is a
// plain file or read-only, drives that do not exist. Nothing may crash, and no file may be lost.

#include "common/commands.h"
#include "forms/events.h"
#include "forms/picture.h"
#include "hostile_support.h"
#include "support/main_window_test.h"
#include "ui/dialogs/frm_copy.h"
#include "ui/dialogs/frm_rename.h"

namespace {

using hostile::Bound;
using hostile::FileThere;
using testsupport::Prompter;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

// Run as a separate process by HeldByOtherProcess: holds the file it is told of open without sharing.
TEST(Holder, DISABLED_HoldsAFileWithoutSharing)
{
    wchar_t path[32768] = {};
    wchar_t ready[256] = {};
    wchar_t release[256] = {};
    if (!GetEnvironmentVariableW(L"QUADRINO_HOLD_FILE", path, 32768) ||
        !GetEnvironmentVariableW(L"QUADRINO_HOLD_READY", ready, 256) ||
        !GetEnvironmentVariableW(L"QUADRINO_HOLD_RELEASE", release, 256))
        GTEST_SKIP() << "only run as the holder of another test";
    forms::UniqueFile file(
        CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    forms::UniqueKernelHandle readyEvent(OpenEventW(EVENT_MODIFY_STATE, FALSE, ready));
    forms::UniqueKernelHandle releaseEvent(OpenEventW(SYNCHRONIZE, FALSE, release));
    ASSERT_TRUE(readyEvent);
    ASSERT_TRUE(releaseEvent);
    SetEvent(readyEvent.get());
    EXPECT_EQ(WaitForSingleObject(releaseEvent.get(), 90000), WAIT_OBJECT_0);
}

class HostileFileSystem : public testsupport::MainWindowTest {
protected:
    void SetUp() override
    {
        testsupport::MainWindowTest::SetUp();
        bytes_ = testsupport::Bmp24(testsupport::Pattern(9, 6, 21));
        ASSERT_TRUE(WriteFileBytes(images_ / L"Wand.bmp", bytes_));
        ASSERT_TRUE(WriteFileBytes(images_ / L"Boden.bmp", testsupport::Bmp24(testsupport::Pattern(5, 5, 22))));
        ShowFolder(images_.Path());
        ASSERT_TRUE(Select(L"Wand.bmp"));
        ASSERT_TRUE(form_->PicM.HasPicture());
    }
    // Answers the next question with Yes.
    void AnswerYes() { Prompter().answers.push_back(IDYES); }
    // The names in a folder, sorted; "*" for all.
    static std::vector<std::wstring> Names(const std::wstring& folder)
    {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW data{};
        forms::UniqueFind find(FindFirstFileW((folder + L"*").c_str(), &data));
        if (!find)
            return names;
        do {
            if (std::wstring(data.cFileName) != L"." && std::wstring(data.cFileName) != L"..")
                names.push_back(data.cFileName);
        } while (FindNextFileW(find.get(), &data));
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string bytes_;
};

TEST_F(HostileFileSystem, AFileDeletedOrRenamedBeforeAClickLeavesPicMEmptyWithoutAMessage)
{
    ASSERT_TRUE(DeleteFileW((images_ / L"Wand.bmp").c_str()));
    form_->File1_Click();  // the list still shows it; a click, the timer or the focus reload it
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_EQ(Commands::CurrentFile, L"Wand.bmp");
    EXPECT_FALSE(form_->PicM.HasPicture());
    EXPECT_TRUE(Prompter().shown.empty());

    ASSERT_TRUE(Select(L"Boden.bmp"));
    ASSERT_TRUE(MoveFileW((images_ / L"Boden.bmp").c_str(), (images_ / L"Anders.bmp").c_str()));
    form_->File1_Click();
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_FALSE(form_->PicM.HasPicture());
    EXPECT_TRUE(Prompter().shown.empty());
    EXPECT_TRUE(FileThere(images_ / L"Anders.bmp"));
}

TEST_F(HostileFileSystem, ACopyOrMoveOfAFileThatWentAwayChangesNothing)
{
    ASSERT_TRUE(MoveFileW((images_ / L"Wand.bmp").c_str(), (images_ / L"Weg.bmp").c_str()));
    form_->mnuCopy_Click();
    EXPECT_TRUE(Names(collection_.Path()).empty());
    EXPECT_TRUE(Prompter().shown.empty());

    AnswerYes();
    form_->mnuMove_Click();
    ASSERT_EQ(Prompter().shown.size(), 1u);  // the question, and nothing after it
    EXPECT_TRUE(Names(collection_.Path()).empty());
    EXPECT_EQ(ReadFileBytes(images_ / L"Weg.bmp"), bytes_);
    EXPECT_EQ(IndexInFile1(L"Wand.bmp"), -1);  // the list was re-read
    EXPECT_FALSE(form_->PicM.HasPicture());
}

TEST_F(HostileFileSystem, ADeleteOfAFileRenamedMeanwhileDeletesNothingElse)
{
    ASSERT_TRUE(MoveFileW((images_ / L"Wand.bmp").c_str(), (images_ / L"Neu.bmp").c_str()));
    AnswerYes();
    form_->mnuDel_Click();
    EXPECT_EQ(ReadFileBytes(images_ / L"Neu.bmp"), bytes_);
    EXPECT_TRUE(FileThere(images_ / L"Boden.bmp"));
    EXPECT_GE(IndexInFile1(L"Neu.bmp"), 0);
}

TEST_F(HostileFileSystem, ARenameOfAFileThatWentAwayClosesTheDialogAndLosesNothing)
{
    ASSERT_TRUE(MoveFileW((images_ / L"Wand.bmp").c_str(), (images_ / L"Fort.bmp").c_str()));
    form_->mnuRen_Click();
    ui::frmRename& dialog = ui::RenameDialog();
    ASSERT_TRUE(dialog.IsLoaded());
    EXPECT_FALSE(form_->Enabled());
    dialog.Text1.SetText(L"Neuer Name");
    dialog.Command2_Click();
    EXPECT_FALSE(dialog.IsLoaded());
    EXPECT_TRUE(form_->Enabled());
    EXPECT_EQ(ReadFileBytes(images_ / L"Fort.bmp"), bytes_);
    EXPECT_FALSE(FileThere(images_ / L"Neuer Name.bmp"));
    EXPECT_TRUE(Prompter().shown.empty());
}

TEST_F(HostileFileSystem, TheShownFolderRemovedEmptiesTheListAndTheFolderRuleSaysSo)
{
    testsupport::RemoveTree(images_.Path());
    ASSERT_EQ(GetFileAttributesW(images_.Path().c_str()), INVALID_FILE_ATTRIBUTES);

    form_->File1_Click();
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_FALSE(form_->PicM.HasPicture());
    EXPECT_TRUE(Prompter().shown.empty());

    AnswerYes();
    form_->mnuDel_Click();
    EXPECT_EQ(form_->File1.ListCount(), 0);  // re-read: a vanished folder lists nothing

    // The folder list cannot go there any more and stays where it is.
    const std::wstring shown = form_->Dir1.Path();
    EXPECT_FALSE(form_->Dir1.SetPath(shown + L"\\..\\" + Commands::GetFileName(shown)));
    EXPECT_EQ(form_->Dir1.Path(), shown);

    // The folder rule meeting the vanished folder tells the user in German.
    Prompter().shown.clear();
    form_->Dir1_Change();
    ASSERT_EQ(Prompter().shown.size(), 1u);
    EXPECT_NE(Prompter().shown[0].text.find(L"nicht mehr vorhanden"), std::wstring::npos);
}

TEST_F(HostileFileSystem, ACollectionFolderRemovedTakesNoCopyAndLosesNothingOnAMove)
{
    testsupport::RemoveTree(collection_.Path());
    form_->mnuCopy_Click();
    EXPECT_TRUE(Prompter().shown.empty());
    EXPECT_EQ(GetFileAttributesW(collection_.Path().c_str()), INVALID_FILE_ATTRIBUTES);

    AnswerYes();
    form_->mnuMove_Click();
    EXPECT_EQ(Prompter().shown.size(), 1u);
    EXPECT_EQ(ReadFileBytes(images_ / L"Wand.bmp"), bytes_);
    EXPECT_GE(IndexInFile1(L"Wand.bmp"), 0);  // re-read, still there
    EXPECT_FALSE(form_->PicM.HasPicture());
}

TEST_F(HostileFileSystem, ACollectionFolderReplacedByAPlainFileIsLeftAlone)
{
    std::wstring plain = collection_.Path();
    plain.pop_back();
    testsupport::RemoveTree(collection_.Path());
    ASSERT_TRUE(WriteFileBytes(plain, "kein Ordner"));

    form_->mnuCopy_Click();
    AnswerYes();
    form_->mnuMove_Click();
    EXPECT_EQ(ReadFileBytes(plain), "kein Ordner");
    EXPECT_EQ(ReadFileBytes(images_ / L"Wand.bmp"), bytes_);
    EXPECT_EQ(Prompter().shown.size(), 1u);
    // The start-up step that makes the collection folder does not touch the file either.
    std::wstring tiles = collection_.Path();
    EXPECT_FALSE(Commands::FolderExists(tiles));
    Commands::MakeFolderPath(tiles);
    EXPECT_EQ(ReadFileBytes(plain), "kein Ordner");
    DeleteFileW(plain.c_str());
}

TEST_F(HostileFileSystem, AReadOnlyCollectionFolderNeverLosesTheSource)
{
    std::wstring folder = collection_.Path();
    folder.pop_back();
    ASSERT_TRUE(SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_READONLY));
    form_->mnuCopy_Click();
    AnswerYes();
    ASSERT_TRUE(Select(L"Boden.bmp"));
    form_->mnuMove_Click();
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    // Whatever the file system allowed: each image is in exactly one place or in both after a copy.
    EXPECT_EQ(ReadFileBytes(images_ / L"Wand.bmp"), bytes_);
    const bool moved = FileThere(collection_ / L"Boden.bmp");
    EXPECT_NE(moved, FileThere(images_ / L"Boden.bmp"));
    EXPECT_EQ(Prompter().shown.size(), 1u);
}

TEST_F(HostileFileSystem, AFileHeldOpenByAnotherProcessIsNeitherShownNorLost)
{
    hostile::HeldByOtherProcess holder(images_ / L"Wand.bmp");
    ASSERT_TRUE(holder.Opened());
    {
        Bound bound(20, "working on a file held open");
        form_->File1_Click();
        EXPECT_TRUE(testsupport::AwaitShown(*form_));
        EXPECT_FALSE(form_->PicM.HasPicture());
        form_->mnuCopy_Click();
        AnswerYes();
        form_->mnuMove_Click();
        AnswerYes();
        form_->mnuDel_Click();
        form_->mnuRen_Click();
        ui::RenameDialog().Text1.SetText(L"Umbenannt");
        ui::RenameDialog().Command2_Click();
        EXPECT_TRUE(testsupport::AwaitShown(*form_));
    }
    EXPECT_TRUE(form_->Enabled());
    EXPECT_EQ(Prompter().shown.size(), 2u);  // the two questions only
    EXPECT_FALSE(FileThere(collection_ / L"Wand.bmp"));
    EXPECT_FALSE(FileThere(images_ / L"Umbenannt.bmp"));
    EXPECT_TRUE(FileThere(images_ / L"Wand.bmp"));
}

TEST_F(HostileFileSystem, ACollectionFileHeldOpenByAnotherProcessIsNeverReplaced)
{
    const std::string held = testsupport::Bmp24(testsupport::Pattern(3, 3, 30));
    ASSERT_TRUE(WriteFileBytes(collection_ / L"Wand.bmp", held));
    {
        hostile::HeldByOtherProcess holder(collection_ / L"Wand.bmp");
        ASSERT_TRUE(holder.Opened());
        Bound bound(20, "copying onto a file held open");
        form_->mnuCopy_Click();
        if (ui::CopyDialog().IsLoaded())
            ui::CopyDialog().Command1_Click();
        AnswerYes();
        form_->mnuMove_Click();
        if (ui::CopyDialog().IsLoaded())
            ui::CopyDialog().Command1_Click();
    }
    EXPECT_TRUE(form_->Enabled());
    EXPECT_EQ(ReadFileBytes(collection_ / L"Wand.bmp"), held);
    EXPECT_EQ(ReadFileBytes(images_ / L"Wand.bmp"), bytes_);
}

TEST_F(HostileFileSystem, ADriveThatDoesNotExistIsRefusedAtOnce)
{
    // The last letter that no drive uses.
    const DWORD drives = GetLogicalDrives();
    wchar_t letter = 0;
    for (wchar_t c = L'Y'; c >= L'D' && !letter; --c)
        if (!(drives & (1u << (c - L'A'))))
            letter = c;
    ASSERT_NE(letter, 0);
    const std::wstring drive = std::wstring(1, letter) + L":";
    const std::wstring shown = form_->Dir1.Path();
    Bound bound(20, "a drive that does not exist");
    EXPECT_FALSE(form_->Drive1.SetDrive(drive));
    EXPECT_FALSE(form_->Dir1.SetPath(drive + L"\\Bilder"));
    EXPECT_FALSE(form_->File1.SetPath(drive + L"\\"));
    EXPECT_EQ(form_->Dir1.Path(), shown);
    EXPECT_FALSE(Commands::FileExists(drive + L"\\Bild.bmp"));
    EXPECT_FALSE(Commands::FolderExists(drive + L"\\"));
    std::wstring tiles = drive + L"\\Tiles\\";
    EXPECT_FALSE(Commands::MakeFolderPath(tiles));
    EXPECT_FALSE(forms::LoadPicture(drive + L"\\Bild.bmp").has_value());

    // A collection folder on that drive: the copy and the move fail without a trace.
    Commands::TilesFolder = drive + L"\\Tiles\\";
    form_->mnuCopy_Click();
    AnswerYes();
    form_->mnuMove_Click();
    EXPECT_EQ(ReadFileBytes(images_ / L"Wand.bmp"), bytes_);
    EXPECT_EQ(Prompter().shown.size(), 1u);
}

}  // namespace
