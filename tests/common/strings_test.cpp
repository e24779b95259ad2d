#include <gtest/gtest.h>

#include "common/commands.h"

using namespace Commands;

TEST(AddBackslash, CompletesPathsThatLackIt)
{
    std::wstring empty;
    AddBackslash(empty);
    EXPECT_EQ(empty, L"\\");

    std::wstring drive = L"C:";
    AddBackslash(drive);
    EXPECT_EQ(drive, L"C:\\");

    std::wstring root = L"C:\\";
    AddBackslash(root);
    EXPECT_EQ(root, L"C:\\");

    std::wstring folder = L"C:\\Bilder";
    AddBackslash(folder);
    EXPECT_EQ(folder, L"C:\\Bilder\\");

    // Only a backslash counts as a separator.
    std::wstring slash = L"C:/Bilder/";
    AddBackslash(slash);
    EXPECT_EQ(slash, L"C:/Bilder/\\");
}

TEST(GetParentPath, CutsTheLastComponent)
{
    EXPECT_EQ(GetParentPath(L"C:\\Bilder\\Wand.bmp"), L"C:\\Bilder");
    EXPECT_EQ(GetParentPath(L"C:\\Bilder\\"), L"C:");
    EXPECT_EQ(GetParentPath(L"C:\\"), L"C:");
    EXPECT_EQ(GetParentPath(L"C:\\A\\B\\C"), L"C:\\A\\B");
}

TEST(GetParentPath, BareNamesAndEmptyInput)
{
    EXPECT_EQ(GetParentPath(L"Wand.bmp"), L"Wand.bmp");
    EXPECT_EQ(GetParentPath(L"\\Wand.bmp"), L"Wand.bmp");
    EXPECT_EQ(GetParentPath(L""), L"");
    EXPECT_EQ(GetParentPath(L"\\"), L"");
}

TEST(GetParentPath, NetworkPathKeepsBothLeadingBackslashes)
{
    EXPECT_EQ(GetParentPath(L"\\\\srv\\share\\Wand.bmp"), L"\\\\srv\\share");
    EXPECT_EQ(GetParentPath(L"\\\\srv\\share\\Bilder\\"), L"\\\\srv\\share");
}

TEST(GetParentPath, LeavesItsArgumentAlone)
{
    const std::wstring path = L"C:\\Bilder\\";
    GetParentPath(path);
    EXPECT_EQ(path, L"C:\\Bilder\\");
}

TEST(GetFileName, TakesTheLastComponent)
{
    EXPECT_EQ(GetFileName(L"C:\\Bilder\\Wand.bmp"), L"Wand.bmp");
    EXPECT_EQ(GetFileName(L"C:\\Bilder\\"), L"Bilder");
    EXPECT_EQ(GetFileName(L"C:\\"), L"C:");
    EXPECT_EQ(GetFileName(L"Wand.bmp"), L"Wand.bmp");
    EXPECT_EQ(GetFileName(L""), L"");
    EXPECT_EQ(GetFileName(L"\\"), L"");
    EXPECT_EQ(GetFileName(L"\\\\srv\\share\\Wand.bmp"), L"Wand.bmp");
}

TEST(GetExtension, TakesWhatFollowsTheLastDot)
{
    EXPECT_EQ(GetExtension(L"Wand.bmp"), L"bmp");
    EXPECT_EQ(GetExtension(L"Wand.Tile.JPG"), L"JPG");
    EXPECT_EQ(GetExtension(L"Wand"), L"Wand");
    EXPECT_EQ(GetExtension(L"Wand."), L"");
    EXPECT_EQ(GetExtension(L".bmp"), L"bmp");
    EXPECT_EQ(GetExtension(L""), L"");
    // A trailing backslash goes first; the folder's dot counts, since backslashes do not stop the scan.
    EXPECT_EQ(GetExtension(L"Wand.bmp\\"), L"bmp");
    EXPECT_EQ(GetExtension(L"C:\\Urlaub.neu\\Bild"), L"neu\\Bild");
}

TEST(GetBaseName, DropsTheExtensionAndItsDot)
{
    EXPECT_EQ(GetBaseName(L"Wand.bmp"), L"Wand");
    EXPECT_EQ(GetBaseName(L"Wand.Tile.JPG"), L"Wand.Tile");
    EXPECT_EQ(GetBaseName(L"Wand"), L"Wand");
    EXPECT_EQ(GetBaseName(L"Wand."), L"Wand.");
    EXPECT_EQ(GetBaseName(L".bmp"), L"");
    EXPECT_EQ(GetBaseName(L""), L"");
    EXPECT_EQ(GetBaseName(L"C:\\Urlaub.neu\\Bild"), L"C:\\Urlaub");
    // No trailing backslash is removed before the scan.
    EXPECT_EQ(GetBaseName(L"Wand.bmp\\"), L"Wand");
}
