#pragma once
// A decoded picture in memory, and loading one from a file through WIC.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

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

// Decodes the first frame (page) of a picture file completely and releases the file before
// returning, so it can be renamed or deleted while it is shown: whatever the system decodes (BMP, GIF,
// JPEG, TIFF, PNG, ICO, DDS and installed codecs), else TGA, PSD, QOI or Radiance HDR (picture_formats.h).
// JPEG and TIFF camera pictures come upright. Nothing on failure: missing, unreadable, damaged, of
// an unsupported kind, or too large to hold; `failure` (when given) then holds the status of the step
// that failed, for PictureFailureText. While it decodes, the calling thread answers messages sent to
// its windows (see AnswerSentMessages), and nothing else.
std::optional<Picture> LoadPicture(const std::wstring& path, HRESULT* failure = nullptr);

// The same decoding on the calling thread, which it blocks until the picture is done: for worker
// threads. Joins the multithreaded apartment for the call when the thread has none yet.
std::optional<Picture> DecodePicture(const std::wstring& path, HRESULT* failure = nullptr);

// Largest picture accepted, in pixels (width times height).
constexpr long long kMaxPicturePixels = 256LL * 1024 * 1024;

// Makes an empty 32-bit top-down DIB section; bits receives the pixel pointer.
UniqueHbitmap CreateDib32(int width, int height, void** bits);

}  // namespace forms
