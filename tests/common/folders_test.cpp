#include <gtest/gtest.h>

#include <vector>

#include "common/commands.h"
#include "support/test_env.h"

using testsupport::TempFolder;
using testsupport::WriteFileBytes;

namespace {

std::wstring CurrentDirectory()
{
    std::vector<wchar_t> buffer(GetCurrentDirectoryW(0, nullptr) + 1);
    GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    std::wstring folder = buffer.data();
    Commands::AddBackslash(folder);
    return folder;
}

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// MakeFolderPath moves the process's current folder; every test gets it back.
class FolderTest : public testing::Test {
protected:
    void SetUp() override { saved_ = CurrentDirectory(); }
    void TearDown() override { SetCurrentDirectoryW(saved_.c_str()); }
    TempFolder temp_;

private:
    std::wstring saved_;
};

}  // namespace

TEST_F(FolderTest, FolderExistsWithAndWithoutBackslash)
{
    ASSERT_TRUE(CreateDirectoryW((temp_ / L"Prog").c_str(), nullptr));
    EXPECT_TRUE(Commands::FolderExists(temp_ / L"Prog"));
    EXPECT_TRUE(Commands::FolderExists(temp_ / L"Prog\\"));
    EXPECT_TRUE(Commands::FolderExists(temp_.Path()));
}

TEST_F(FolderTest, FolderExistsIsFalseForFilesAndMissingFolders)
{
    ASSERT_TRUE(WriteFileBytes(temp_ / L"Wand.bmp", "BM"));
    EXPECT_FALSE(Commands::FolderExists(temp_ / L"Wand.bmp"));
    EXPECT_FALSE(Commands::FolderExists(temp_ / L"Wand.bmp\\"));
    EXPECT_FALSE(Commands::FolderExists(temp_ / L"Fehlt"));
    EXPECT_FALSE(Commands::FolderExists(temp_ / L"Fehlt\\Tiles\\"));
}

TEST_F(FolderTest, FolderExistsTakesItsArgumentByValue)
{
    std::wstring path = temp_.Path();
    path.pop_back();
    const std::wstring before = path;
    EXPECT_TRUE(Commands::FolderExists(path));
    EXPECT_EQ(path, before);
}

TEST_F(FolderTest, MakeFolderPathCreatesAndEntersEveryMissingLevel)
{
    ASSERT_TRUE(CreateDirectoryW((temp_ / L"Prog").c_str(), nullptr));
    std::wstring path = temp_ / L"Prog\\Neu\\Tiles";
    EXPECT_TRUE(Commands::MakeFolderPath(path));
    EXPECT_EQ(path, temp_ / L"Prog\\Neu\\Tiles\\");  // the caller's string is completed
    EXPECT_TRUE(IsFolder(temp_ / L"Prog\\Neu"));
    EXPECT_TRUE(IsFolder(temp_ / L"Prog\\Neu\\Tiles"));
    EXPECT_TRUE(SamePath(CurrentDirectory(), path));
}

TEST_F(FolderTest, MakeFolderPathFindsExistingLevels)
{
    const std::wstring deepest = temp_ / L"A\\B\\";
    ASSERT_TRUE(CreateDirectoryW((temp_ / L"A").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(deepest.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(deepest + L"Wand.bmp", "BM"));
    std::wstring path = deepest;
    EXPECT_TRUE(Commands::MakeFolderPath(path));
    EXPECT_EQ(path, deepest);
    EXPECT_EQ(testsupport::ReadFileBytes(deepest + L"Wand.bmp"), "BM");
    EXPECT_TRUE(SamePath(CurrentDirectory(), deepest));
}

TEST_F(FolderTest, MakeFolderPathOnADriveRootOnlyChangesFolder)
{
    std::wstring root = temp_.Path().substr(0, 2);  // "X:"
    EXPECT_TRUE(Commands::MakeFolderPath(root));
    EXPECT_EQ(root, temp_.Path().substr(0, 3));
    EXPECT_TRUE(SamePath(CurrentDirectory(), root));
}

TEST_F(FolderTest, MakeFolderPathStopsAtAPlainFileInTheWay)
{
    ASSERT_TRUE(WriteFileBytes(temp_ / L"Datei", "x"));
    std::wstring path = temp_ / L"Datei\\Unter\\";
    EXPECT_FALSE(Commands::MakeFolderPath(path));
    EXPECT_FALSE(IsFolder(temp_ / L"Datei"));
    EXPECT_EQ(testsupport::ReadFileBytes(temp_ / L"Datei"), "x");
    // It stopped in the last level it could enter.
    EXPECT_TRUE(SamePath(CurrentDirectory(), temp_.Path()));
}

TEST_F(FolderTest, MakeFolderPathStopsAtAnInvalidName)
{
    std::wstring path = temp_ / L"Gut\\Schl<echt\\Tiles\\";
    EXPECT_FALSE(Commands::MakeFolderPath(path));
    EXPECT_TRUE(IsFolder(temp_ / L"Gut"));
    EXPECT_FALSE(IsFolder(temp_ / L"Gut\\Schl<echt\\Tiles"));
}

TEST_F(FolderTest, MakeFolderPathRefusesANetworkPath)
{
    const std::wstring before = CurrentDirectory();
    std::wstring path = L"\\\\srv\\share\\x";
    EXPECT_FALSE(Commands::MakeFolderPath(path));
    EXPECT_EQ(path, L"\\\\srv\\share\\x\\");
    EXPECT_EQ(CurrentDirectory(), before);
    // Nothing named after the levels appeared in the current folder either.
    EXPECT_FALSE(IsFolder(before + L"srv"));
    EXPECT_FALSE(IsFolder(before + L"share"));
}

TEST_F(FolderTest, MakeFolderPathRefusesADoubledBackslash)
{
    std::wstring path = temp_ / L"\\Tiles\\";
    EXPECT_FALSE(Commands::MakeFolderPath(path));
}
