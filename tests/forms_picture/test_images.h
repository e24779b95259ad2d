#pragma once
// Image files, windows and pixel read-back for the picture, clipboard and drop tests.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "forms/handles.h"

namespace picturetest {

// Pixels as 0xAARRGGBB, rows top to bottom.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
    std::uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
};

// A pattern where nearly every pixel differs from its neighbours, opaque.
Pixels Pattern(int width, int height, std::uint32_t seed);

// Writes an uncompressed 24-bit bottom-up BMP (the alpha of the pixels is ignored).
bool WriteBmp24(const std::wstring& path, const Pixels& pixels);

// Writes a GIF89a with a 4-colour palette; palette index `transparent` (or -1) is transparent.
bool WriteGif(const std::wstring& path, int width, int height, const std::vector<std::uint8_t>& indexes,
              const std::uint32_t (&palette)[4], int transparent);

// Encodes opaque pixels with a WIC encoder (GUID_ContainerFormatPng, ...Tiff, ...Jpeg).
bool WriteWithWic(const std::wstring& path, const GUID& container, const Pixels& pixels);

// Reads the pixels of a DC area through a fresh 32-bit DIB.
Pixels ReadDc(HDC dc, int width, int height);
// Reads any bitmap (not selected into a DC) as 32-bit pixels.
Pixels ReadBitmap(HBITMAP bitmap);

// A 32-bit DIB holding the pixels.
forms::UniqueHbitmap MakeDib(const Pixels& pixels);
// The clipboard's CF_BITMAP, read while the clipboard is open for the window; empty when there is none.
Pixels ClipboardPixels(HWND window);
// Fails the test unless both have the same size and colours (alpha aside).
void ExpectSameColours(const Pixels& got, const Pixels& want);

// A plain top-level window hosting the controls of a test; reflects notifications to them.
class HostWindow {
public:
    HostWindow();
    HWND get() const { return hwnd_.get(); }

private:
    forms::UniqueHwnd hwnd_;
};

// Dispatches every queued message of this thread.
void PumpMessages();

}  // namespace picturetest
