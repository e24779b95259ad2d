// The main window and the inputs the dialog tests share.

#include "dialog_fixture.h"

#include "common/commands.h"
#include "support/pixels.h"

namespace dialogtest {

namespace {

// A 2 x 2 pixel 24-bit bitmap file whose pixels all have the given colour.
std::string BitmapBytes(BYTE red, BYTE green, BYTE blue)
{
    return testsupport::Bmp24(testsupport::Filled(
        2, 2, (static_cast<std::uint32_t>(red) << 16) | (static_cast<std::uint32_t>(green) << 8) | blue));
}

}  // namespace

void TypeChar(HWND window, wchar_t ch)
{
    SendMessageW(window, WM_CHAR, ch, 1);
}

void TypeChars(HWND window, const std::wstring& text)
{
    for (const wchar_t ch : text)
        TypeChar(window, ch);
}

void Click(HWND button)
{
    SendMessageW(button, BM_CLICK, 0, 0);
}

HeldFile::HeldFile(const std::wstring& path, DWORD access, DWORD share)
    : handle_(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
{}

HeldFile::~HeldFile()
{
    if (handle_ != INVALID_HANDLE_VALUE)
        CloseHandle(handle_);
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring FileCommandsTest::AddSource(const std::wstring& name, BYTE shade)
{
    const std::wstring path = images_ / name;
    EXPECT_TRUE(testsupport::WriteFileBytes(path, BitmapBytes(shade, 0x40, 0x80)));
    return path;
}

std::wstring FileCommandsTest::AddTile(const std::wstring& name, BYTE shade)
{
    const std::wstring path = collection_ / name;
    EXPECT_TRUE(testsupport::WriteFileBytes(path, BitmapBytes(0x10, shade, 0x20)));
    return path;
}

std::wstring FileCommandsTest::OpenNameConflict(bool move)
{
    const std::wstring source = AddSource(L"Wand.bmp", 0x11);
    AddTile(L"Wand.bmp", 0x22);
    SelectSource(L"Wand.bmp");
    if (move)
        form_->mnuMove_Click();
    else
        form_->mnuCopy_Click();
    return source;
}

void FileCommandsTest::SelectSource(const std::wstring& name)
{
    std::wstring folder = images_.Path();
    folder.pop_back();
    ASSERT_TRUE(form_->File1.SetPath(folder));
    ASSERT_TRUE(Select(name)) << "not listed";
    ASSERT_EQ(Commands::CurrentFile, name);
    ASSERT_EQ(Commands::CurrentFolder, images_.Path());
    ASSERT_TRUE(form_->PicM.HasPicture());
}

}  // namespace dialogtest
