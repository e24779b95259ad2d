#pragma once
// Pixels with known values and the image files made of them, for every test that writes an image.

#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// Pixels as 0xAARRGGBB, rows top to bottom.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
    std::uint32_t At(int x, int y) const
    {
        return argb[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
};

// A pattern where neighbouring pixels differ (so a shifted tile is noticed), opaque.
Pixels Pattern(int width, int height, std::uint32_t seed);
// Every pixel the same.
Pixels Filled(int width, int height, std::uint32_t argb);

// An uncompressed 24-bit bottom-up BMP of the pixels (their alpha is left out).
std::string Bmp24(const Pixels& pixels);
// A 32-bit top-down BMP with an alpha mask (BITMAPV5HEADER), pixels as given (straight alpha).
std::string Bmp32Alpha(const Pixels& pixels);

// The pieces of a BMP, for files the writers above do not make (palettes, lying headers).
void AppendLe16(std::string& out, unsigned value);
void AppendLe32(std::string& out, std::uint32_t value);
// "BM", the file size, two reserved words and the offset of the pixels.
std::string BmpFileHeader(std::uint32_t fileSize, std::uint32_t pixelOffset);
// A BITMAPINFOHEADER (BI_RGB, bottom-up for a positive height).
void AppendBmpInfoHeader(std::string& out, int width, int height, int bits, std::uint32_t imageSize,
                         std::uint32_t paletteEntries);

// A GIF image's data: minimum code size 2, the indexes (0 to 3) as LZW codes with a clear code before
// each literal (so the code width stays 3 bits for every decoder), sub-blocks and the terminator.
void AppendGifIndexes(std::string& out, const std::vector<std::uint8_t>& indexes);

// Encodes frames with WIC (GUID_ContainerFormatJpeg, ...Tiff, ...Png), one picture per frame; empty on failure.
std::string EncodeWithWic(const GUID& container, const std::vector<Pixels>& frames);
// Writes one encoded picture to a file; false when encoding or writing fails.
bool WriteWithWic(const std::wstring& path, const GUID& container, const Pixels& pixels);

}  // namespace testsupport
