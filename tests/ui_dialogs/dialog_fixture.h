#pragma once
// A main window pointed at a folder of real images, a separate collection folder, and the
// small inputs the dialog tests send: typed characters, button clicks, pasted text.

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "support/test_env.h"
#include "ui/main/form1.h"

namespace dialogtest {

// A 2 x 2 pixel 24-bit bitmap file whose pixels all have the given colour.
std::string BitmapBytes(BYTE red, BYTE green, BYTE blue);

// Types the characters into a window one WM_CHAR at a time, as the keyboard would.
void TypeChars(HWND window, const std::wstring& text);
void TypeChar(HWND window, wchar_t ch);
// Clicks a button as the user would (BM_CLICK).
void Click(HWND button);
// Puts text on the clipboard as CF_UNICODETEXT.
bool SetClipboardText(const std::wstring& text);

// Holds a file open with the given access and sharing for the life of the object.
class HeldFile {
public:
    HeldFile(const std::wstring& path, DWORD access, DWORD share);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

bool Exists(const std::wstring& path);

class FileCommandsTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes an image into the source folder and returns its full path.
    std::wstring AddSource(const std::wstring& name, BYTE shade);
    // Writes an image into the collection folder and returns its full path.
    std::wstring AddTile(const std::wstring& name, BYTE shade);
    // Shows the source folder in the file list and selects the file as the user would.
    void SelectSource(const std::wstring& name);
    bool ListShows(const std::wstring& name) const;

    std::unique_ptr<ui::Form1> form_;
    testsupport::TempFolder sources_;
    testsupport::TempFolder tiles_;
    std::wstring savedTilesFolder_;
    std::wstring savedAppTitle_;
};

}  // namespace dialogtest
