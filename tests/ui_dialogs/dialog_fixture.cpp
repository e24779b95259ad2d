// The main window and the inputs the dialog tests share.

#include "dialog_fixture.h"

#include "common/commands.h"
#include "forms/events.h"
#include "ui/dialogs/frm_copy.h"
#include "ui/dialogs/frm_rename.h"

namespace dialogtest {

std::string BitmapBytes(BYTE red, BYTE green, BYTE blue)
{
    constexpr int kRowBytes = 8;  // two pixels of three bytes, padded to four
    constexpr int kPixelBytes = kRowBytes * 2;
    constexpr int kFileBytes = 14 + 40 + kPixelBytes;
    std::string bytes(kFileBytes, '\0');
    auto put16 = [&](int at, int value) {
        bytes[at] = static_cast<char>(value & 0xFF);
        bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
    };
    auto put32 = [&](int at, int value) {
        put16(at, value & 0xFFFF);
        put16(at + 2, (value >> 16) & 0xFFFF);
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, kFileBytes);
    put32(10, 14 + 40);
    put32(14, 40);
    put32(18, 2);
    put32(22, 2);
    put16(26, 1);
    put16(28, 24);
    put32(34, kPixelBytes);
    for (int row = 0; row < 2; ++row)
        for (int pixel = 0; pixel < 2; ++pixel) {
            const int at = 54 + row * kRowBytes + pixel * 3;
            bytes[at] = static_cast<char>(blue);
            bytes[at + 1] = static_cast<char>(green);
            bytes[at + 2] = static_cast<char>(red);
        }
    return bytes;
}

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

bool SetClipboardText(const std::wstring& text)
{
    if (!OpenClipboard(nullptr))
        return false;
    EmptyClipboard();
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool done = false;
    if (memory) {
        if (void* target = GlobalLock(memory)) {
            CopyMemory(target, text.c_str(), bytes);
            GlobalUnlock(memory);
            done = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        }
        if (!done)
            GlobalFree(memory);
    }
    CloseClipboard();
    return done;
}

HeldFile::HeldFile(const std::wstring& path, DWORD access, DWORD share)
    : handle_(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
{
}

HeldFile::~HeldFile()
{
    if (handle_ != INVALID_HANDLE_VALUE)
        CloseHandle(handle_);
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void FileCommandsTest::SetUp()
{
    testsupport::Prompter().Reset();
    savedTilesFolder_ = Commands::TilesFolder;
    savedAppTitle_ = Commands::AppTitle;
    Commands::TilesFolder = tiles_.Path();
    Commands::AppTitle = L"Brenwick Quadrino";
    form_ = std::make_unique<ui::Form1>();
    ASSERT_TRUE(form_->Create());
    ui::SetMainForm(form_.get());
    form_->Show();
    // The delayed redraw after a resize would reload the preview at a moment no test chooses.
    form_->Timer1.Stop();
}

void FileCommandsTest::TearDown()
{
    // A dialog left open by a failed check must not outlive the main window it points at.
    if (ui::CopyDialog().IsLoaded())
        ui::CopyDialog().Command1_Click();
    if (ui::RenameDialog().IsLoaded())
        ui::RenameDialog().Command1_Click();
    ui::SetMainForm(nullptr);
    form_.reset();
    forms::DoEvents();
    Commands::TilesFolder = savedTilesFolder_;
    Commands::AppTitle = savedAppTitle_;
    testsupport::Prompter().Reset();
}

std::wstring FileCommandsTest::AddSource(const std::wstring& name, BYTE shade)
{
    const std::wstring path = sources_ / name;
    EXPECT_TRUE(testsupport::WriteFileBytes(path, BitmapBytes(shade, 0x40, 0x80)));
    return path;
}

std::wstring FileCommandsTest::AddTile(const std::wstring& name, BYTE shade)
{
    const std::wstring path = tiles_ / name;
    EXPECT_TRUE(testsupport::WriteFileBytes(path, BitmapBytes(0x10, shade, 0x20)));
    return path;
}

void FileCommandsTest::SelectSource(const std::wstring& name)
{
    std::wstring folder = sources_.Path();
    folder.pop_back();
    ASSERT_TRUE(form_->File1.SetPath(folder));
    for (int i = 0; i < form_->File1.ListCount(); ++i)
        if (form_->File1.List(i) == name) {
            form_->File1.SetSelected(i);
            ASSERT_EQ(Commands::CurrentFile, name);
            ASSERT_EQ(Commands::CurrentFolder, sources_.Path());
            ASSERT_TRUE(form_->PicM.HasPicture());
            return;
        }
    FAIL() << "not listed";
}

bool FileCommandsTest::ListShows(const std::wstring& name) const
{
    for (int i = 0; i < form_->File1.ListCount(); ++i)
        if (form_->File1.List(i) == name)
            return true;
    return false;
}

}  // namespace dialogtest
