#include <gtest/gtest.h>

#include "common/commands.h"
#include "forms/handles.h"
#include "support/test_env.h"

using testsupport::TempFolder;
using testsupport::WriteFileBytes;

namespace {

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

DWORD Attributes(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str());
}

// Opens a file the way another program would that allows no one else in.
forms::UniqueFile HoldExclusively(const std::wstring& path)
{
    return forms::UniqueFile(
        CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

TEST(FileExists, ReadableFilesOfEveryKind)
{
    TempFolder temp;
    const std::wstring plain = temp / L"Wand.bmp";
    const std::wstring readOnly = temp / L"Nur lesen.bmp";
    const std::wstring hidden = temp / L"Versteckt.bmp";
    const std::wstring umlaut = temp / L"Äpfel grün.gif";
    for (const auto& path : {plain, readOnly, hidden, umlaut})
        ASSERT_TRUE(WriteFileBytes(path, "BM"));
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

    EXPECT_TRUE(Commands::FileExists(plain));
    EXPECT_TRUE(Commands::FileExists(readOnly));
    EXPECT_TRUE(Commands::FileExists(hidden));
    EXPECT_TRUE(Commands::FileExists(umlaut));

    // Nothing was changed and nothing stays open: an exclusive open succeeds afterwards.
    EXPECT_EQ(Attributes(readOnly) & FILE_ATTRIBUTE_READONLY, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(testsupport::ReadFileBytes(plain), "BM");
    EXPECT_TRUE(HoldExclusively(plain));
    EXPECT_TRUE(HoldExclusively(readOnly));
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FileExists, FalseForWhatCannotBeOpenedAsAFile)
{
    TempFolder temp;
    ASSERT_TRUE(CreateDirectoryW((temp / L"Ordner").c_str(), nullptr));
    EXPECT_FALSE(Commands::FileExists(temp / L"Ordner"));
    EXPECT_FALSE(Commands::FileExists(temp / L"Ordner\\"));
    EXPECT_FALSE(Commands::FileExists(temp.Path()));
    EXPECT_FALSE(Commands::FileExists(L""));
    EXPECT_FALSE(Commands::FileExists(temp / L"Fehlt.bmp"));
    EXPECT_FALSE(Commands::FileExists(temp / L"Fehlt\\Wand.bmp"));
    EXPECT_FALSE(Exists(temp / L"Fehlt.bmp"));  // nothing was created
}

TEST(FileExists, FalseForAFileHeldOpenWithoutSharing)
{
    TempFolder temp;
    const std::wstring path = temp / L"Gesperrt.bmp";
    ASSERT_TRUE(WriteFileBytes(path, "BM"));
    {
        const forms::UniqueFile held = HoldExclusively(path);
        ASSERT_TRUE(held);
        EXPECT_FALSE(Commands::FileExists(path));
    }
    EXPECT_TRUE(Commands::FileExists(path));
}

TEST(DeleteFile, RemovesPlainReadOnlyHiddenAndSystemFiles)
{
    TempFolder temp;
    const std::wstring plain = temp / L"Wand.bmp";
    const std::wstring readOnly = temp / L"Nur lesen.bmp";
    const std::wstring hidden = temp / L"Versteckt.bmp";
    for (const auto& path : {plain, readOnly, hidden})
        ASSERT_TRUE(WriteFileBytes(path, "BM"));
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);

    Commands::DeleteFile(plain);
    Commands::DeleteFile(readOnly);
    Commands::DeleteFile(hidden);
    EXPECT_FALSE(Exists(plain));
    EXPECT_FALSE(Exists(readOnly));
    EXPECT_FALSE(Exists(hidden));
}

TEST(DeleteFile, MissingFileOrEmptyPathChangesNothing)
{
    TempFolder temp;
    const std::wstring other = temp / L"Bleibt.bmp";
    ASSERT_TRUE(WriteFileBytes(other, "BM"));
    Commands::DeleteFile(temp / L"Fehlt.bmp");
    Commands::DeleteFile(L"");
    EXPECT_FALSE(Exists(temp / L"Fehlt.bmp"));
    EXPECT_EQ(testsupport::ReadFileBytes(other), "BM");
}

TEST(DeleteFile, FileInUseStaysWithItsAttributes)
{
    TempFolder temp;
    const std::wstring path = temp / L"Benutzt.bmp";
    ASSERT_TRUE(WriteFileBytes(path, "BM"));
    const DWORD original = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), original));
    {
        const forms::UniqueFile held = HoldExclusively(path);
        ASSERT_TRUE(held);
        Commands::DeleteFile(path);
        EXPECT_TRUE(Exists(path));
        EXPECT_EQ(Attributes(path) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), original);
    }
    Commands::DeleteFile(path);
    EXPECT_FALSE(Exists(path));
}

TEST(DeleteFile, LeavesFoldersAlone)
{
    TempFolder temp;
    const std::wstring folder = temp / L"Ordner";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_READONLY));
    Commands::DeleteFile(folder);
    EXPECT_TRUE(Exists(folder));
    EXPECT_TRUE(Attributes(folder) & FILE_ATTRIBUTE_DIRECTORY);
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
}
