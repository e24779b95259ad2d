#include <gtest/gtest.h>

#include <vector>

#include "common/commands.h"
#include "support/test_env.h"

namespace {

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The start-up routines create Tiles\ beside this test program and move the current folder.
class EnvironmentTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::vector<wchar_t> buffer(GetCurrentDirectoryW(0, nullptr) + 1);
        GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        savedFolder_ = buffer.data();
    }
    void TearDown() override { SetCurrentDirectoryW(savedFolder_.c_str()); }

private:
    std::wstring savedFolder_;
};

}  // namespace

TEST_F(EnvironmentTest, InitEnvironmentFindsTheProgramFolder)
{
    Commands::AppPath.clear();
    Commands::InitEnvironment();
    ASSERT_FALSE(Commands::AppPath.empty());
    EXPECT_EQ(Commands::AppPath.back(), L'\\');
    EXPECT_NE(Commands::AppPath.substr(Commands::AppPath.size() - 2), L"\\\\");
    EXPECT_NE(GetFileAttributesW((Commands::AppPath + L"test_common.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Commands::CrLf.size(), 2u);
    EXPECT_EQ(Commands::CrLf, std::wstring({wchar_t(13), wchar_t(10)}));
}

TEST_F(EnvironmentTest, InitProgramFilesCreatesTheCollectionFolder)
{
    Commands::InitEnvironment();
    const std::wstring tiles = Commands::AppPath + L"Tiles\\";
    if (IsFolder(tiles))
        testsupport::RemoveTree(tiles);
    ASSERT_FALSE(IsFolder(tiles));

    Commands::InitProgramFiles();
    EXPECT_EQ(Commands::AppTitle, L"Brenwick Quadrino");
    EXPECT_EQ(Commands::AppTitle.size(), 17u);
    EXPECT_EQ(Commands::TilesFolder, tiles);
    EXPECT_TRUE(IsFolder(tiles));

    // A second start finds it and leaves what it holds alone.
    ASSERT_TRUE(testsupport::WriteFileBytes(tiles + L"Wand.bmp", "BM"));
    Commands::InitProgramFiles();
    EXPECT_EQ(Commands::TilesFolder, tiles);
    EXPECT_EQ(testsupport::ReadFileBytes(tiles + L"Wand.bmp"), "BM");
    testsupport::RemoveTree(tiles);
}

TEST_F(EnvironmentTest, ACollectionFolderThatCannotBeMadeBesideTheProgramGoesToTheUsersFolder)
{
    Commands::InitEnvironment();
    const std::wstring besideProgram = Commands::AppPath + L"Tiles";
    testsupport::RemoveTree(besideProgram + L"\\");
    DeleteFileW(besideProgram.c_str());
    // A plain file of that name: no folder can be made there.
    ASSERT_TRUE(testsupport::WriteFileBytes(besideProgram, "kein Ordner"));

    Commands::InitProgramFiles();
    const std::wstring tiles = Commands::TilesFolder;
    DeleteFileW(besideProgram.c_str());

    wchar_t local[MAX_PATH] = {};
    ASSERT_TRUE(GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH) > 0);
    const std::wstring expected = std::wstring(local) + L"\\Brenwick Quadrino\\Tiles\\";
    EXPECT_EQ(lstrcmpiW(tiles.c_str(), expected.c_str()), 0) << tiles;
    EXPECT_TRUE(IsFolder(tiles));
    // It can really be written, so a copy into it is not lost.
    EXPECT_TRUE(testsupport::WriteFileBytes(tiles + L"probe.bmp", "BM"));
    DeleteFileW((tiles + L"probe.bmp").c_str());
}
