#pragma once
// Camera pictures shown as they are meant to be seen: the EXIF orientation of a JPEG or TIFF, and
// the decoded picture turned accordingly.

#include <windows.h>
#include <wincodec.h>

#include <string>

#include "forms/picture.h"

namespace forms {

// The frame's EXIF orientation (1 to 8); 1 when the picture is no JPEG or TIFF or says nothing.
// Where the system's JPEG decoder shows no EXIF block (Wine's), the file's own headers are read.
int ExifOrientation(IWICBitmapDecoder* decoder, IWICBitmapFrameDecode* frame, const std::wstring& path);

// The picture turned upright for `orientation` (sides swapped for 5 to 8), through WIC's flip rotator
// where it can, else turned here; the picture unchanged for orientation 1 or when no memory is left.
Picture UprightPicture(IWICImagingFactory* factory, Picture picture, int orientation);

}  // namespace forms
