#pragma once
// Pixels read back from DCs, bitmaps and the clipboard, and the clipboard's text, for every test
// that looks at what the program drew or copied.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "forms/handles.h"
#include "forms/picture_box.h"
#include "support/pixels.h"

namespace testsupport {

// Most checks compare colours; a few look at the alpha a DIB holds.
enum class Alpha { Cleared, Kept };

// A DC area, read through a fresh 32-bit DIB; empty when it cannot be read.
Pixels ReadDc(HDC dc, int width, int height, Alpha alpha = Alpha::Cleared);
// A picture box's whole image.
Pixels ReadBox(const forms::PictureBox& box, Alpha alpha = Alpha::Cleared);
// A bitmap that is not selected into any DC; empty when it cannot be read.
Pixels ReadBitmap(HBITMAP bitmap, Alpha alpha = Alpha::Cleared);
// A 32-bit DIB holding the pixels as given.
forms::UniqueHbitmap MakeDib(const Pixels& pixels);

// The clipboard's CF_BITMAP, read with the clipboard open for the window; empty when there is none.
Pixels ReadClipboardBitmap(HWND owner = nullptr);
bool ClipboardHasBitmap();
// Puts text alone on the clipboard (CF_UNICODETEXT), so a test sees whether something replaced it.
bool PutClipboardText(const std::wstring& text);
// The clipboard's CF_UNICODETEXT; empty when there is none.
std::wstring ClipboardText();

// Whether the pixels repeat the tile from the top-left corner, colours compared.
::testing::AssertionResult IsTiling(const Pixels& pixels, const Pixels& tile);
// The same for Pattern(tileWidth, tileHeight, seed).
::testing::AssertionResult IsTiling(const Pixels& pixels, int tileWidth, int tileHeight, std::uint32_t seed);

}  // namespace testsupport
