#pragma once
// A decoded picture in memory, and loading one from a file through WIC.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/handles.h"

namespace forms {

// A 32-bit top-down DIB section (BGRA) that owns its pixels. Alpha is premultiplied, as GDI blends it,
// unless the picture says otherwise: decoded files keep the straight alpha of the file.
class Picture {
public:
    Picture() = default;
    Picture(UniqueHbitmap bitmap, int width, int height, bool hasAlpha, bool premultiplied = true)
        : bitmap_(std::move(bitmap)), width_(width), height_(height), hasAlpha_(hasAlpha), premultiplied_(premultiplied)
    {}

    HBITMAP Bitmap() const { return bitmap_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool HasAlpha() const { return hasAlpha_; }  // some pixels are not fully opaque
    bool Premultiplied() const { return premultiplied_; }
    bool Empty() const { return !bitmap_; }
    // The pixels, rows top-down, Width() * 4 bytes each; nullptr when empty.
    const std::uint8_t* Bits() const;

private:
    UniqueHbitmap bitmap_;
    int width_ = 0;
    int height_ = 0;
    bool hasAlpha_ = false;
    bool premultiplied_ = true;
};

// A decoded picture, or why there is none.
struct DecodedPicture {
    std::optional<Picture> picture;
    HRESULT failure = S_OK;  // the failing step's result when there is no picture (E_ABORT: cancelled)
};

// Decodes the first frame (page) of a picture file completely, on the calling thread, and releases the
// file before returning, so it can be renamed or deleted while it is shown: whatever the system decodes
// (BMP, GIF, JPEG, TIFF, PNG, ICO, DDS and installed codecs), else TGA, PSD, QOI or Radiance HDR
// (picture_formats.h). JPEG and TIFF camera pictures come upright. No picture when the file is missing,
// unreadable, damaged, of an unsupported kind or too large to hold, or when `cancelled` (polled between
// bands of rows) says so. Joins the multithreaded apartment for the call when the thread has none yet.
// Meant for a job's or a worker's thread.
DecodedPicture DecodePicture(const std::wstring& path, const std::function<bool()>& cancelled = nullptr);
// Decoded pixels in memory that is kept from one picture to the next: a thread that decodes many
// pictures touches fresh pages (slow under some systems) only for the first.
struct PixelBuffer {
    std::vector<std::uint8_t> pixels;  // rows top-down, width * 4 bytes each, BGRA, straight alpha
    std::vector<std::uint8_t> band;    // rows on their way from the decoder
    int width = 0;                     // 0 when there is no picture
    int height = 0;
    bool hasAlpha = false;
};
// Decodes as DecodePicture does, into `buffer`; S_OK, or why there is no picture.
HRESULT DecodePixels(const std::wstring& path, PixelBuffer& buffer, const std::function<bool()>& cancelled = nullptr);
// The same, for callers that need no reason or only its status.
std::optional<Picture> LoadPicture(const std::wstring& path, HRESULT* failure = nullptr);
// A one-line text for a decoding failure, German where the program knows the case, else the system's;
// empty when there is none to give.
std::wstring FailureReason(HRESULT failure);

// Largest picture accepted, in pixels (width times height).
constexpr long long kMaxPicturePixels = 256LL * 1024 * 1024;

// The header of a 32-bit top-down DIB (BGRA, no palette) of that size.
BITMAPINFO TopDownDibInfo(int width, int height);

// Makes an empty 32-bit top-down DIB section; bits receives the pixel pointer.
UniqueHbitmap CreateDib32(int width, int height, void** bits);

}  // namespace forms
