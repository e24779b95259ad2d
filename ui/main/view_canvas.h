#pragma once
// A 32-bit top-down DIB selected into a memory DC, through which PicW paints a view that differs from its image.

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "forms/handles.h"
#include "forms/picture.h"

namespace ui {

class ViewCanvas {
public:
    ViewCanvas() = default;
    ~ViewCanvas() { Release(); }
    ViewCanvas(const ViewCanvas&) = delete;
    ViewCanvas& operator=(const ViewCanvas&) = delete;

    // Room for at least width x height pixels, kept while it suffices (fresh memory is dear); the old
    // pixels go when it grows. False when the memory could not be had.
    bool Reserve(int width, int height)
    {
        if (dc_ && width <= width_ && height <= height_)
            return true;
        width = std::max(width, width_);
        height = std::max(height, height_);
        Release();
        void* bits = nullptr;
        forms::UniqueHbitmap image = forms::CreateDib32(width, height, &bits);
        forms::UniqueHdc dc(CreateCompatibleDC(nullptr));
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

    HDC Dc() const { return dc_.get(); }
    std::uint8_t* Bits() const { return bits_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
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

    forms::UniqueHdc dc_;
    forms::UniqueHbitmap image_;
    HGDIOBJ original_ = nullptr;
    std::uint8_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace ui
