#pragma once
// A decoded picture in memory, and loading one from a file through WIC.

#include <windows.h>

#include <optional>
#include <string>

#include "forms/handles.h"

namespace forms {

// A 32-bit top-down DIB section (BGRA, premultiplied alpha) that owns its pixels.
class Picture {
public:
    Picture() = default;
    Picture(UniqueHbitmap bitmap, int width, int height, bool hasAlpha)
        : bitmap_(std::move(bitmap)), width_(width), height_(height), hasAlpha_(hasAlpha) {}

    HBITMAP Bitmap() const { return bitmap_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool HasAlpha() const { return hasAlpha_; }  // some pixels are not fully opaque
    bool Empty() const { return !bitmap_; }

private:
    UniqueHbitmap bitmap_;
    int width_ = 0;
    int height_ = 0;
    bool hasAlpha_ = false;
};

// Decodes the first frame (page) of a BMP, GIF, JPEG, TIFF, PNG or ICO file completely and
// releases the file before returning, so it can be renamed or deleted while it is shown.
// Nothing on failure: missing, unreadable, damaged, or too large to hold.
std::optional<Picture> LoadPicture(const std::wstring& path);

// Largest picture accepted, in pixels (width times height).
constexpr long long kMaxPicturePixels = 256LL * 1024 * 1024;

// Makes an empty 32-bit top-down DIB section; bits receives the pixel pointer.
UniqueHbitmap CreateDib32(int width, int height, void** bits);

}  // namespace forms
