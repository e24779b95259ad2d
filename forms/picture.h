#pragma once
// A decoded picture in memory, and loading one from a file through WIC.

#include <windows.h>

#include <cstdint>
#include <functional>
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

// A decoded picture, or why there is none.
struct DecodedPicture {
    std::optional<Picture> picture;
    HRESULT failure = S_OK;  // the failing step's result when there is no picture (E_ABORT: cancelled)
};

// Decodes the first frame (page) of a BMP, GIF, JPEG, TIFF, PNG or ICO file completely, on the
// calling thread (which has COM), and releases the file before returning, so it can be renamed or
// deleted while it is shown. No picture when the file is missing, unreadable, damaged or too large
// to hold, or when `cancelled` (polled between bands of rows) says so. Meant for a job's thread.
DecodedPicture DecodePicture(const std::wstring& path, const std::function<bool()>& cancelled = nullptr);
// The same, for callers that need no reason.
std::optional<Picture> LoadPicture(const std::wstring& path);
// The system's one-line text for a decoding failure; empty when there is none to give.
std::wstring FailureReason(HRESULT failure);

// Largest picture accepted, in pixels (width times height).
constexpr long long kMaxPicturePixels = 256LL * 1024 * 1024;

// Makes an empty 32-bit top-down DIB section; bits receives the pixel pointer.
UniqueHbitmap CreateDib32(int width, int height, void** bits);

}  // namespace forms
