#pragma once
// A main window pointed at a folder of real images, a separate collection folder, and the
// small inputs the dialog tests send: typed characters, button clicks, pasted text.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/main_window_test.h"

namespace dialogtest {

// Types the characters into a window one WM_CHAR at a time, as the keyboard would.
void TypeChars(HWND window, const std::wstring& text);
void TypeChar(HWND window, wchar_t ch);
// Clicks a button as the user would (BM_CLICK).
void Click(HWND button);

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

// The main window with images in images_ and the collection folder collection_.
class FileCommandsTest : public testsupport::MainWindowTest {
protected:
    // Writes an image into the source folder and returns its full path.
    std::wstring AddSource(const std::wstring& name, BYTE shade);
    // Writes an image into the collection folder and returns its full path.
    std::wstring AddTile(const std::wstring& name, BYTE shade);
    // Shows the source folder in the file list and selects the file as the user would.
    void SelectSource(const std::wstring& name);
    // Wand.bmp in both folders (shades 0x11 and 0x22), selected, then "kopieren" or "umbewegen":
    // the copy dialog opens on the name conflict. Returns the source's full path.
    std::wstring OpenNameConflict(bool move);
    bool ListShows(const std::wstring& name) const { return IndexInFile1(name) >= 0; }
};

}  // namespace dialogtest
