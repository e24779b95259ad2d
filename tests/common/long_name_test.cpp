#include <gtest/gtest.h>

#include <vector>

#include "common/commands.h"
#include "support/test_env.h"

using Commands::GetLongName;
using testsupport::TempFolder;

namespace {

std::wstring ShortPath(const std::wstring& path)
{
    const DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (size == 0)
        return {};
    std::vector<wchar_t> buffer(size + 1);
    const DWORD length = GetShortPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::wstring(buffer.data(), length);
}

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Runs a test inside an empty current folder, so that relative names resolve to nothing.
class EmptyCurrentFolder {
public:
    EmptyCurrentFolder()
    {
        std::vector<wchar_t> buffer(GetCurrentDirectoryW(0, nullptr) + 1);
        GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        saved_ = buffer.data();
        SetCurrentDirectoryW(temp_.Path().c_str());
    }
    ~EmptyCurrentFolder() { SetCurrentDirectoryW(saved_.c_str()); }

private:
    TempFolder temp_;
    std::wstring saved_;
};

}  // namespace

TEST(GetLongName, ShortFormOfAnExistingFileBecomesItsLongForm)
{
    TempFolder temp;
    const std::wstring folder = temp / L"Bilder Archiv mit langem Namen";
    const std::wstring file = folder + L"\\Wand 1 aus dem Urlaub.bmp";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(file, "BM"));
    const std::wstring shortForm = ShortPath(file);
    ASSERT_FALSE(shortForm.empty());
    ASSERT_FALSE(SamePath(shortForm, file)) << "no short names on this volume";

    const std::wstring result = GetLongName(shortForm);
    EXPECT_TRUE(SamePath(result, file)) << result;
    EXPECT_EQ(Commands::GetFileName(result), L"Wand 1 aus dem Urlaub.bmp");
    EXPECT_EQ(Commands::GetFileName(Commands::GetParentPath(result)), L"Bilder Archiv mit langem Namen");
}

TEST(GetLongName, LongFormOfAnExistingPathKeepsItsName)
{
    TempFolder temp;
    const std::wstring file = temp / L"Grüne Wand (alt).JPG";
    ASSERT_TRUE(testsupport::WriteFileBytes(file, "x"));
    const std::wstring result = GetLongName(file);
    EXPECT_TRUE(SamePath(result, file)) << result;
    // An existing name is taken as Windows reports it, not by the case rule.
    EXPECT_EQ(Commands::GetFileName(result), L"Grüne Wand (alt).JPG");
}

TEST(GetLongName, LongFormBeyond260CharactersIsReturnedWhole)
{
    TempFolder temp;
    const std::wstring level(60, L'L');
    std::wstring longPath = temp.Path();
    for (int i = 0; i < 4; ++i) {
        longPath += level + std::to_wstring(i);
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + longPath).c_str(), nullptr));
        longPath += L"\\";
    }
    const std::wstring file = longPath + L"Eine Kachel mit einem langen Namen.bmp";
    ASSERT_TRUE(testsupport::WriteFileBytes(L"\\\\?\\" + file, "BM"));
    ASSERT_GT(file.size(), 260u);

    std::wstring shortForm = ShortPath(L"\\\\?\\" + file);
    ASSERT_EQ(shortForm.rfind(L"\\\\?\\", 0), 0u);
    shortForm.erase(0, 4);
    ASSERT_LT(shortForm.size(), 260u);

    const std::wstring result = GetLongName(shortForm);
    EXPECT_EQ(result.size(), file.size());
    EXPECT_TRUE(SamePath(result, file)) << result;

    DeleteFileW((L"\\\\?\\" + file).c_str());
    for (int i = 3; i >= 0; --i) {
        longPath.pop_back();
        RemoveDirectoryW((L"\\\\?\\" + longPath).c_str());
        longPath = Commands::GetParentPath(longPath) + L"\\";
    }
}

TEST(GetLongName, UnresolvablePathsFollowTheCaseRule)
{
    EmptyCurrentFolder empty;
    EXPECT_EQ(GetLongName(L"c:\\meine bilder\\wand_rot-(alt).BMP"), L"C:\\Meine Bilder\\Wand_Rot-(Alt).bmp");
    EXPECT_EQ(GetLongName(L"C:\\FOTOS\\URLAUB.NEU\\BILD.JPG"), L"C:\\Fotos\\Urlaub.neu\\Bild.jpg");
    EXPECT_EQ(GetLongName(L"d:\\o'neil\\3d-muster.gif"), L"D:\\O'neil\\3d-Muster.gif");
    EXPECT_EQ(GetLongName(L"über äpfel"), L"Über Äpfel");
    EXPECT_EQ(GetLongName(L"x"), L"X");
    EXPECT_EQ(GetLongName(L""), L"");
}

TEST(GetLongName, OnlyFiveCharactersSeparateWords)
{
    EmptyCurrentFolder empty;
    // Dot, colon, apostrophe, closing parenthesis, digit and slash start no word.
    EXPECT_EQ(GetLongName(L"A.B:C'D)E1F/G"), L"A.b:c'd)e1f/g");
    EXPECT_EQ(GetLongName(L"a b-c(d_e\\f"), L"A B-C(D_E\\F");
    EXPECT_EQ(GetLongName(L"ÄÖÜ öäü"), L"Äöü Öäü");
}

TEST(GetLongName, QuotedOrDoublePathsAreOnlyRecased)
{
    EmptyCurrentFolder empty;
    EXPECT_EQ(GetLongName(L"\"C:\\BILD.BMP\""), L"\"c:\\Bild.bmp\"");
    EXPECT_EQ(GetLongName(L"C:\\A.BMP D:\\B.GIF"), L"C:\\A.bmp D:\\B.gif");
}
