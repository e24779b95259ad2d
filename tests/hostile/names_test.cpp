// Names and paths from other systems and old archives: other scripts, characters outside the basic
// plane, blanks, trailing dots and blanks, paths past 260 characters, network and device paths.

#include "common/commands.h"
#include "forms/events.h"
#include "forms/picture.h"
#include "hostile_support.h"
#include "support/main_window_test.h"
#include "ui/dialogs/frm_copy.h"
#include "ui/dialogs/frm_rename.h"

namespace {

using hostile::Bound;
using hostile::Extended;
using hostile::FileThere;
using testsupport::Prompter;
using testsupport::ReadFileBytes;

class HostileNames : public testsupport::MainWindowTest {
protected:
    // Shows, copies into the collection, renames and deletes one file; every step must work.
    void RoundTrip(const std::wstring& folder, const std::wstring& name, const std::wstring& renamed)
    {
        SCOPED_TRACE(testing::PrintToString(name));
        std::wstring base = folder;
        if (base.back() != L'\\')
            base += L'\\';
        const auto seed = static_cast<std::uint32_t>(name.size());
        const std::string bytes = testsupport::Bmp24(testsupport::Pattern(5, 4, seed));
        ASSERT_TRUE(hostile::WriteExtended(base + name, bytes));
        ShowFolder(folder);
        form_->File1.Refresh();
        ASSERT_TRUE(Select(name)) << "not listed";
        EXPECT_EQ(Commands::CurrentFile, name);
        EXPECT_TRUE(form_->PicM.HasPicture());

        form_->mnuCopy_Click();
        EXPECT_EQ(ReadFileBytes(Extended(collection_ / name)), bytes);

        form_->mnuRen_Click();
        ui::RenameDialog().Text1.SetText(Commands::GetBaseName(renamed));
        ui::RenameDialog().Command2_Click();
        EXPECT_TRUE(testsupport::AwaitShown(*form_));
        EXPECT_TRUE(form_->Enabled());
        EXPECT_FALSE(FileThere(base + name));
        EXPECT_EQ(ReadFileBytes(Extended(base + renamed)), bytes);
        EXPECT_EQ(Commands::CurrentFile, renamed);

        Prompter().answers.push_back(IDYES);
        form_->mnuDel_Click();
        EXPECT_FALSE(FileThere(base + renamed));
        EXPECT_EQ(IndexInFile1(renamed), -1);
    }
};

TEST_F(HostileNames, NamesInOtherScriptsAndBeyondTheBasicPlaneWorkThroughout)
{
    RoundTrip(images_.Path(), L"壁紙タイル.bmp", L"新しい名前.bmp");
    RoundTrip(images_.Path(), L"Πλακάκι δαπέδου.bmp", L"Ψηφιδωτό.bmp");
    RoundTrip(images_.Path(), L"Größe Übergröße.bmp", L"Äußerst schön.bmp");
    RoundTrip(images_.Path(), L"Kachel \U0001F600\U0001D11E.bmp", L"\U0001F9F1 Ziegel.bmp");
    RoundTrip(images_.Path(), L"  zwei  Blanks .bmp", L"ein Blank.bmp");
    EXPECT_EQ(Prompter().shown.size(), 5u);  // only the five delete questions
}

TEST_F(HostileNames, FoldersInOtherScriptsAreBrowsed)
{
    const std::wstring folder = images_ / L"Ordner ελληνικά 日本語 \U0001F600";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    RoundTrip(folder, L"Bild.bmp", L"Bild 2.bmp");
    EXPECT_EQ(form_->Dir1.Path(), folder);
}

TEST_F(HostileNames, NamesWithTrailingDotsOrBlanksAreNeitherListedNorTouched)
{
    const std::string bytes = testsupport::Bmp24(testsupport::Pattern(4, 4, 9));
    const std::wstring odd[] = {L"Punkt.bmp.", L"Blank.bmp ", L"Beides.bmp. .", L"Wand.bmp."};
    for (const std::wstring& name : odd)
        ASSERT_TRUE(hostile::WriteExtended(images_ / name, bytes));
    const std::string wand = testsupport::Bmp24(testsupport::Pattern(6, 6, 10));
    ASSERT_TRUE(hostile::WriteExtended(images_ / L"Wand.bmp", wand));
    ShowFolder(images_.Path());
    for (const std::wstring& name : odd)
        EXPECT_EQ(IndexInFile1(name), -1) << testing::PrintToString(name);

    // Wand.bmp and its twin with a trailing dot: every command acts on the one listed, never on the twin.
    ASSERT_TRUE(Select(L"Wand.bmp"));
    EXPECT_EQ(form_->PicM.ScaleWidth(), 6);
    form_->mnuCopy_Click();
    EXPECT_EQ(ReadFileBytes(Extended(collection_ / L"Wand.bmp")), wand);
    Prompter().answers.push_back(IDYES);
    form_->mnuDel_Click();
    EXPECT_FALSE(FileThere(images_ / L"Wand.bmp"));
    for (const std::wstring& name : odd)
        EXPECT_EQ(ReadFileBytes(Extended(images_ / name)), bytes) << testing::PrintToString(name);
}

TEST_F(HostileNames, FoldersWithTrailingDotsOrBlanksNeverLeadToTheWrongFile)
{
    // "Ordner." and "Ordner " beside "Ordner": each holds a file of the same name.
    const std::wstring plain = images_ / L"Ordner";
    ASSERT_TRUE(CreateDirectoryW(plain.c_str(), nullptr));
    const std::string plainBytes = testsupport::Bmp24(testsupport::Pattern(3, 3, 1));
    ASSERT_TRUE(hostile::WriteExtended(plain + L"\\Bild.bmp", plainBytes));
    for (const wchar_t* suffix : {L".", L" "}) {
        const std::wstring twin = plain + suffix;
        ASSERT_TRUE(CreateDirectoryW(Extended(twin).c_str(), nullptr));
        const std::string twinBytes = testsupport::Bmp24(testsupport::Pattern(7, 7, 2));
        ASSERT_TRUE(hostile::WriteExtended(twin + L"\\Bild.bmp", twinBytes));

        // The system reads the name without its trailing dot or blank: the lists open the twin.
        if (form_->Dir1.SetPath(twin)) {
            EXPECT_EQ(form_->File1.Path(), plain);
        }
        // Wherever the lists went, the name they show is the folder whose files they list.
        const std::wstring shown = form_->File1.Path();
        if (Select(L"Bild.bmp")) {
            const std::string expected = ReadFileBytes(Extended(shown + L"\\Bild.bmp"));
            EXPECT_EQ(form_->PicM.ScaleWidth(), expected == twinBytes ? 7 : 3);
            Prompter().answers.push_back(IDYES);
            form_->mnuDel_Click();
            // Exactly one file went: the one listed.
            EXPECT_NE(FileThere(plain + L"\\Bild.bmp"), FileThere(twin + L"\\Bild.bmp"));
            ASSERT_TRUE(hostile::WriteExtended(shown + L"\\Bild.bmp", expected));
        }
        EXPECT_EQ(ReadFileBytes(Extended(plain + L"\\Bild.bmp")), plainBytes);
        EXPECT_EQ(ReadFileBytes(Extended(twin + L"\\Bild.bmp")), twinBytes);
    }
}

TEST_F(HostileNames, PathsLongerThan260CharactersWorkOrAreRefusedCleanly)
{
    std::wstring deep = images_.Path();
    while (deep.size() < 300) {
        deep += std::wstring(50, L'T') + L"\\";
        ASSERT_TRUE(CreateDirectoryW(Extended(deep).c_str(), nullptr));
    }
    deep.pop_back();
    const std::string bytes = testsupport::Bmp24(testsupport::Pattern(5, 3, 7));
    ASSERT_TRUE(hostile::WriteExtended(deep + L"\\Tief.bmp", bytes));
    ASSERT_GT(deep.size() + 9, 260u);

    const std::wstring before = form_->Dir1.Path();
    Bound bound(30, "a path past 260 characters");
    if (form_->Dir1.SetPath(deep)) {
        EXPECT_EQ(form_->File1.Path(), deep);
        ASSERT_TRUE(Select(L"Tief.bmp"));
        EXPECT_TRUE(form_->PicM.HasPicture());
        form_->mnuCopy_Click();
        EXPECT_EQ(ReadFileBytes(Extended(collection_ / L"Tief.bmp")), bytes);
    } else {
        EXPECT_EQ(form_->Dir1.Path(), before);
    }
    // The long name of a long path, and a drop of it, stay whole.
    EXPECT_EQ(Commands::GetLongName(deep + L"\\Tief.bmp"), deep + L"\\Tief.bmp");
    EXPECT_EQ(ReadFileBytes(Extended(deep + L"\\Tief.bmp")), bytes);
    EXPECT_TRUE(Prompter().shown.empty());
}

TEST_F(HostileNames, NetworkAndDevicePathsAreRefusedWithinAMoment)
{
    const std::wstring odd[] = {
        L"\\\\server\\share\\Bild.bmp", L"\\\\?\\UNC\\server\\share\\Bild.bmp",
        L"\\\\.\\pipe\\kein Rohr",      L"\\\\localhost\\C$\\Bild.bmp",
        L"//server/share/Bild.bmp",
    };
    Bound bound(60, "network paths");
    for (const std::wstring& path : odd) {
        SCOPED_TRACE(testing::PrintToString(path));
        EXPECT_FALSE(forms::LoadPicture(path).has_value());
        EXPECT_FALSE(Commands::FileExists(path));
        EXPECT_FALSE(form_->Dir1.SetPath(Commands::GetParentPath(path)));
        EXPECT_FALSE(Commands::GetLongName(path).empty());
    }
    EXPECT_EQ(Commands::GetParentPath(L"\\\\server\\share\\Bild.bmp"), L"\\\\server\\share");
}

TEST_F(HostileNames, FilesNamedLikeDevicesDoNotHangTheProgram)
{
    // Archives from other systems can hold con.bmp or nul.gif; Windows reads such names as devices.
    const std::string bytes = testsupport::Bmp24(testsupport::Pattern(4, 4, 11));
    const std::wstring names[] = {L"nul.bmp", L"con.bmp", L"aux.gif", L"com1.jpg", L"lpt1.tif", L"prn.bmp"};
    for (const std::wstring& name : names)
        ASSERT_TRUE(hostile::WriteExtended(images_ / name, bytes));
    ShowFolder(images_.Path());
    Bound bound(30, "files named like devices");
    for (const std::wstring& name : names) {
        SCOPED_TRACE(testing::PrintToString(name));
        ASSERT_TRUE(Select(name)) << "listed like any file";
        EXPECT_EQ(Commands::CurrentFile, name);
        // The loader opens the device, which holds no picture.
        EXPECT_FALSE(form_->PicM.HasPicture());
        form_->mnuCopy_Click();
        // A device is no file: the collection's name is free, the copy reads the device and makes nothing.
        EXPECT_FALSE(ui::CopyDialog().IsLoaded());
        if (ui::CopyDialog().IsLoaded())
            ui::CopyDialog().Command1_Click();
        EXPECT_TRUE(form_->Enabled());
        EXPECT_FALSE(FileThere(collection_ / name));
        // The delete reaches the device, not the file: it fails without a trace.
        Prompter().answers.push_back(IDYES);
        form_->mnuDel_Click();
        EXPECT_GE(IndexInFile1(name), 0);
        EXPECT_EQ(ReadFileBytes(Extended(images_ / name)), bytes);
    }
}

}  // namespace
