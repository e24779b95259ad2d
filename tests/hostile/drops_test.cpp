// Drops that are huge, empty, malformed, of folders or from several folders, onto Dir1, File1 and PicW.

#include <shlobj.h>

#include <cstring>

#include "common/commands.h"
#include "forms/drag_drop.h"
#include "forms/events.h"
#include "hostile_support.h"
#include "support/drop_data.h"
#include "support/main_window_test.h"
#include "support/read_back.h"

namespace {

using hostile::Bound;
using testsupport::DropFilesBytes;
using testsupport::MakeRawFileListData;
using testsupport::Prompter;
using testsupport::WriteFileBytes;

class HostileDrops : public testsupport::MainWindowTest {
protected:
    void SetUp() override
    {
        testsupport::MainWindowTest::SetUp();
        AddImage(images_.Path(), L"Erst.bmp", 6, 5, 1);
        ShowFolder(images_.Path());
        ASSERT_TRUE(Select(L"Erst.bmp"));
        shownFolder_ = form_->Dir1.Path();
    }
    // The three drop handlers, each given the same data.
    void DropEverywhere(IDataObject* data)
    {
        Bound bound(30, "a drop");
        form_->Dir1_OLEDragDrop(data);
        EXPECT_TRUE(testsupport::AwaitShown(*form_));
        form_->File1_OLEDragDrop(data);
        EXPECT_TRUE(testsupport::AwaitShown(*form_));
        form_->PicW_OLEDragDrop(data);
        EXPECT_TRUE(testsupport::AwaitShown(*form_));
    }
    std::wstring shownFolder_;
};

TEST_F(HostileDrops, TenThousandFilesAtOnceOpenTheFirstOnly)
{
    testsupport::TempFolder many;
    std::vector<std::wstring> paths;
    {
        Bound bound(200, "making ten thousand files");
        const std::string first = testsupport::Bmp24(testsupport::Pattern(4, 3, 2));
        for (int i = 0; i < 10000; ++i) {
            wchar_t name[32];
            swprintf(name, 32, L"Bild%05d.bmp", i);
            paths.push_back(many / name);
            forms::UniqueFile file(CreateFileW(paths.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
            ASSERT_TRUE(file);
            if (i == 0) {
                DWORD written = 0;
                ASSERT_TRUE(WriteFile(file.get(), first.data(), static_cast<DWORD>(first.size()), &written, nullptr));
            }
        }
    }
    const auto data = testsupport::MakeFileDropData(paths);
    {
        Bound bound(120, "a drop of ten thousand files");
        form_->File1_OLEDragDrop(data.Get());
        EXPECT_TRUE(testsupport::AwaitShown(*form_));
    }
    EXPECT_EQ(form_->List1.ListCount(), 10000);
    EXPECT_EQ(form_->File1.ListCount(), 10000);
    EXPECT_EQ(form_->File1.FileName(), L"Bild00000.bmp");
    EXPECT_EQ(Commands::CurrentFile, L"Bild00000.bmp");
    EXPECT_TRUE(form_->PicM.HasPicture());
    EXPECT_TRUE(Prompter().shown.empty());
}

TEST_F(HostileDrops, ADropWithoutAFileListLeavesEverythingWhereItWas)
{
    const auto text = testsupport::MakeTextDropData(L"C:\\Bilder\\Wand.bmp");
    const auto refusing = MakeRawFileListData(DropFilesBytes({images_ / L"Erst.bmp"}), true);
    for (IDataObject* data : {text.Get(), refusing.Get(), static_cast<IDataObject*>(nullptr)}) {
        DropEverywhere(data);
        EXPECT_EQ(form_->List1.ListCount(), 0);
        EXPECT_EQ(form_->Dir1.Path(), shownFolder_);
        EXPECT_EQ(form_->File1.FileName(), L"Erst.bmp");
    }
    EXPECT_TRUE(Prompter().shown.empty());
}

TEST_F(HostileDrops, MalformedFileListsAreReadSafelyOrNotAtAll)
{
    DROPFILES header{};
    header.fWide = TRUE;
    const auto withHeader = [&](DWORD offset, const std::string& tail) {
        DROPFILES h = header;
        h.pFiles = offset;
        return std::string(reinterpret_cast<const char*>(&h), sizeof(h)) + tail;
    };
    const std::wstring path = images_ / L"Erst.bmp";
    const std::string wide(reinterpret_cast<const char*>(path.c_str()), path.size() * sizeof(wchar_t));
    DROPFILES ansiHeader = header;
    ansiHeader.fWide = FALSE;
    ansiHeader.pFiles = sizeof(DROPFILES);
    const std::vector<std::string> hostileLists = {
        "",                                                    // nothing at all
        std::string(5, '\0'),                                  // shorter than the header
        withHeader(sizeof(DROPFILES), ""),                     // header only, no terminator
        withHeader(0x7FFFFFF0u, wide + std::string(4, '\0')),  // list far beyond the memory
        withHeader(0xFFFFFFFFu, ""),                           // offset at the very end of the address range
        withHeader(sizeof(DROPFILES) + 2000, wide),            // offset past the end
        withHeader(sizeof(DROPFILES), wide),                   // a path without any terminator
        withHeader(sizeof(DROPFILES), std::string(4, '\0')),   // an empty list
        withHeader(3, wide + std::string(4, '\0')),            // offset inside the header
        std::string(reinterpret_cast<const char*>(&ansiHeader), sizeof(ansiHeader)) + "C:\\x.bmp" +
            std::string(2, '\0'),           // an ANSI list
        DropFilesBytes({path, L"", path}),  // an empty entry ends the list
    };
    // Only the ANSI list and the list ended early hold a readable path.
    const std::vector<std::vector<std::wstring>> expected = {{},    {}, {}, {}, {}, {}, {}, {}, {}, {L"C:\\x.bmp"},
                                                             {path}};
    for (std::size_t i = 0; i < hostileLists.size(); ++i) {
        SCOPED_TRACE(i);
        const auto data = MakeRawFileListData(hostileLists[i]);
        std::vector<std::wstring> paths;
        {
            Bound bound(10, "reading a malformed file list");
            paths = forms::DroppedFiles(data.Get());
        }
        EXPECT_EQ(paths, expected[i]);
        DropEverywhere(data.Get());
    }
    EXPECT_TRUE(Prompter().shown.empty());
    EXPECT_TRUE(hostile::FileThere(path));
}

TEST_F(HostileDrops, AFolderDroppedOpensTheFolderThatHoldsItAndSelectsNothing)
{
    testsupport::TempFolder other;
    std::wstring otherFolder = other.Path();
    otherFolder.pop_back();
    const std::wstring sub = other / L"Unterordner";
    ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
    AddImage(sub, L"Innen.bmp", 3, 3, 4);
    const auto data = testsupport::MakeFileDropData({sub});
    const testsupport::Pixels before = testsupport::ReadBox(form_->PicW);
    for (const auto drop :
         {&ui::Form1::Dir1_OLEDragDrop, &ui::Form1::File1_OLEDragDrop, &ui::Form1::PicW_OLEDragDrop}) {
        ShowFolder(images_.Path());
        ((*form_).*drop)(data.Get());
        EXPECT_TRUE(testsupport::AwaitShown(*form_));
        EXPECT_EQ(form_->Dir1.Path(), otherFolder);
        EXPECT_EQ(form_->File1.Path(), otherFolder);
        EXPECT_EQ(form_->File1.FileName(), L"");
        EXPECT_EQ(Commands::CurrentFile, L"Erst.bmp");
    }
    EXPECT_EQ(testsupport::ReadBox(form_->PicW).argb, before.argb);
    EXPECT_TRUE(Prompter().shown.empty());
}

TEST_F(HostileDrops, FilesFromSeveralFoldersOpenTheFirstOnesFolder)
{
    testsupport::TempFolder other;
    AddImage(other.Path(), L"Zweit.bmp", 4, 4, 5);
    AddImage(other.Path(), L"Erst.bmp", 4, 4, 6);
    const auto data = testsupport::MakeFileDropData({other / L"Zweit.bmp", images_ / L"Erst.bmp", other / L"Erst.bmp"});
    form_->File1_OLEDragDrop(data.Get());
    EXPECT_TRUE(testsupport::AwaitShown(*form_));
    EXPECT_EQ(form_->List1.ListCount(), 3);
    EXPECT_EQ(Commands::CurrentFolder, other.Path());
    EXPECT_EQ(Commands::CurrentFile, L"Zweit.bmp");
    EXPECT_EQ(form_->PicM.ScaleWidth(), 4);
}

TEST_F(HostileDrops, PathsThatCannotBeShownLeaveTheListsWhereTheyWere)
{
    std::wstring longName(300, L'x');
    const std::vector<std::wstring> odd = {
        L"\\\\server\\share\\Bild.bmp",
        L"\\\\?\\UNC\\server\\share\\Bild.bmp",
        L"\\\\.\\pipe\\kein Rohr.bmp",
        L"Q:\\gibt es nicht\\Bild.bmp",
        L"relativ\\Bild.bmp",
        L"Bild.bmp",
        L"C:\\" + longName + L"\\Bild.bmp",
        L"C:\\<>|\"*?\\Bild.bmp",
    };
    for (const std::wstring& path : odd) {
        SCOPED_TRACE(testing::PrintToString(path));
        const auto data = testsupport::MakeFileDropData({path});
        DropEverywhere(data.Get());
        EXPECT_EQ(form_->Dir1.Path(), shownFolder_);
        EXPECT_EQ(form_->File1.Path(), shownFolder_);
    }
    EXPECT_TRUE(Prompter().shown.empty());
}

}  // namespace
