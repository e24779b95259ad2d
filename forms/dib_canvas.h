#pragma once
// A 32-bit top-down DIB section selected into a memory DC of its own: drawn into through its pixels
// or its DC, and blitted from.

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "forms/handles.h"
#include "forms/picture.h"

namespace forms {

class DibCanvas {
public:
    DibCanvas() = default;
    ~DibCanvas() { Release(); }
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    // Exactly width x height pixels, the old ones gone (their memory first). False, holding nothing,
    // when the memory could not be had.
    bool Make(int width, int height)
    {
        Release();
        void* bits = nullptr;
        UniqueHbitmap image = CreateDib32(width, height, &bits);
        UniqueHdc dc(CreateCompatibleDC(nullptr));
        if (!image || !bits || !dc)
            return false;
        original_ = SelectObject(dc.get(), image.get());
        image_ = std::move(image);
        dc_ = std::move(dc);
        bits_ = static_cast<std::uint8_t*>(bits);
        width_ = width;
        height_ = height;
        return true;
    }

    // Room for at least width x height pixels, kept while it suffices (fresh memory is dear); the old
    // pixels go when it grows.
    bool Reserve(int width, int height)
    {
        if (dc_ && width <= width_ && height <= height_)
            return true;
        return Make(std::max(width, width_), std::max(height, height_));
    }

    void Release()
    {
        if (dc_ && original_)
            SelectObject(dc_.get(), original_);
        original_ = nullptr;
        dc_.reset();
        image_.reset();
        bits_ = nullptr;
        width_ = height_ = 0;
    }

    bool Empty() const { return !dc_; }
    HDC Dc() const { return dc_.get(); }
    std::uint8_t* Bits() const { return bits_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    UniqueHdc dc_;
    UniqueHbitmap image_;
    HGDIOBJ original_ = nullptr;
    std::uint8_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace forms
