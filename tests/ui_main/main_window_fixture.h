#pragma once
// A main window under test, image files with known pixels, and pixel read-back from the
// preview and the clipboard.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/test_env.h"
#include "ui/main/form1.h"

namespace mainwindowtest {

// Pixels as 0x00RRGGBB, rows top to bottom.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;
    std::uint32_t At(int x, int y) const
    {
        return rgb[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
};

// A colour for each pixel that differs from its neighbours, so a shifted tile is noticed.
std::uint32_t PatternColour(int x, int y, int seed);

// An uncompressed 24-bit BMP of the pattern.
std::string PatternBmp(int width, int height, int seed);

// Reads a DC area through a fresh 32-bit DIB.
Pixels ReadDc(HDC dc, int width, int height);
// Reads a bitmap that is not selected into any DC.
Pixels ReadBitmap(HBITMAP bitmap);
// The clipboard's CF_BITMAP, read; empty when there is none.
Pixels ReadClipboardBitmap();
// Puts text on the clipboard, so a test sees whether a bitmap replaced it.
bool PutClipboardText(const std::wstring& text);
bool ClipboardHasBitmap();

// Whether the pixels are the pattern repeated from the top-left corner.
::testing::AssertionResult IsTiling(const Pixels& pixels, int tileWidth, int tileHeight, int seed);

// Keeps and restores the program-wide variables a test changes.
class SavedEnvironment {
public:
    SavedEnvironment();
    ~SavedEnvironment();

private:
    std::wstring appTitle_, crLf_, startFile_, tilesFolder_, currentFolder_, currentFile_;
};

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a pattern image into the folder and returns its full path.
    std::wstring AddImage(const testsupport::TempFolder& folder, const std::wstring& name, int width, int height,
                          int seed);
    // Points the lists at the folder as the user would by choosing it in Dir1.
    void ShowFolder(const std::wstring& folder);
    // The index of a name in File1, or -1.
    int IndexInFile1(const std::wstring& name) const;

    std::unique_ptr<SavedEnvironment> saved_;
    std::unique_ptr<ui::Form1> form_;
    testsupport::TempFolder images_;
};

}  // namespace mainwindowtest
