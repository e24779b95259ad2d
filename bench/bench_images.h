#pragma once
// Pictures and image files the benchmark works on, made here so every run sees the same data.

#include <windows.h>

#include <string>

#include "forms/dib_canvas.h"
#include "forms/picture.h"

namespace bench {

// A picture whose neighbouring pixels differ, so no copy can be skipped as uniform.
// Opaque noise; straight alpha (as decoded files have it) when not premultiplied.
forms::Picture PatternPicture(int width, int height, unsigned seed, bool premultiplied = true);

// Writes a photo-like JPEG through WIC, a strip at a time so that writing it takes little memory.
bool WriteJpeg(const std::wstring& path, int width, int height);

// A 32-bit top-down bitmap with its own memory DC, for the reference copy.
class Canvas {
public:
    Canvas(int width, int height);
    HDC Dc() const { return pixels_.Dc(); }
    bool Ok() const { return !pixels_.Empty(); }

private:
    forms::DibCanvas pixels_;
};

}  // namespace bench
