#include "forms/picture_upright.h"

#include <propvarutil.h>
#include <wrl/client.h>

#include <cstdint>
#include <vector>

#include "forms/handles.h"
#include "forms/skip.h"
#include "imaging/orientation.h"

namespace forms {

using Microsoft::WRL::ComPtr;

namespace {

// WIC turns clockwise first, then flips.
WICBitmapTransformOptions TransformFor(int orientation)
{
    switch (orientation) {
    case 2: return WICBitmapTransformFlipHorizontal;
    case 3: return WICBitmapTransformRotate180;
    case 4: return WICBitmapTransformFlipVertical;
    case 5:
        return static_cast<WICBitmapTransformOptions>(WICBitmapTransformRotate90 | WICBitmapTransformFlipHorizontal);
    case 6: return WICBitmapTransformRotate90;
    case 7:
        return static_cast<WICBitmapTransformOptions>(WICBitmapTransformRotate270 | WICBitmapTransformFlipHorizontal);
    case 8: return WICBitmapTransformRotate270;
    default: return WICBitmapTransformRotate0;
    }
}

bool TurnWithWic(IWICImagingFactory* factory, const Picture& picture, int orientation, std::uint8_t* target,
                 UINT targetWidth, UINT targetHeight)
{
    const UINT width = static_cast<UINT>(picture.Width());
    const UINT height = static_cast<UINT>(picture.Height());
    const std::uint64_t bytes = std::uint64_t{width} * height * 4;
    ComPtr<IWICBitmap> stored;
    ComPtr<IWICBitmapFlipRotator> rotator;
    UINT turnedWidth = 0;
    UINT turnedHeight = 0;
    if (!factory || bytes > UINT_MAX ||
        FAILED(factory->CreateBitmapFromMemory(width, height, GUID_WICPixelFormat32bppBGRA, width * 4,
                                               static_cast<UINT>(bytes), const_cast<BYTE*>(picture.Bits()), &stored)) ||
        FAILED(factory->CreateBitmapFlipRotator(&rotator)) ||
        FAILED(rotator->Initialize(stored.Get(), TransformFor(orientation))) ||
        FAILED(rotator->GetSize(&turnedWidth, &turnedHeight)) || turnedWidth != targetWidth ||
        turnedHeight != targetHeight)
        return false;
    // Some systems' flip rotator turns nothing but top to bottom (E_NOTIMPL otherwise).
    return SkipIfFailed(rotator->CopyPixels(nullptr, targetWidth * 4, static_cast<UINT>(bytes), target),
                        L"turn a picture with the flip rotator");
}

}  // namespace

namespace {

// The orientation in a JPEG's own headers: they lie within its first 64 KiB plus a little.
int OrientationFromFile(const std::wstring& path)
{
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::vector<std::uint8_t> head(70000);
    DWORD read = 0;
    if (!file || !ReadFile(file.get(), head.data(), static_cast<DWORD>(head.size()), &read, nullptr))
        return 1;
    return imaging::JpegExifOrientation(head.data(), read);
}

}  // namespace

int ExifOrientation(IWICBitmapDecoder* decoder, IWICBitmapFrameDecode* frame, const std::wstring& path)
{
    GUID container{};
    if (!decoder || !frame || FAILED(decoder->GetContainerFormat(&container)))
        return 1;
    const wchar_t* query = container == GUID_ContainerFormatJpeg   ? L"/app1/ifd/{ushort=274}"
                           : container == GUID_ContainerFormatTiff ? L"/ifd/{ushort=274}"
                                                                   : nullptr;
    ComPtr<IWICMetadataQueryReader> metadata;
    if (!query || FAILED(frame->GetMetadataQueryReader(&metadata)))
        return 1;
    PROPVARIANT value;
    PropVariantInit(&value);
    const HRESULT found = metadata->GetMetadataByName(query, &value);
    int orientation = 1;
    if (SUCCEEDED(found) && value.vt == VT_UI2 && value.uiVal >= 1 && value.uiVal <= 8)
        orientation = value.uiVal;
    PropVariantClear(&value);
    // Some systems' JPEG decoders (Wine's) show no EXIF block: the file's own headers then tell.
    if (FAILED(found) && container == GUID_ContainerFormatJpeg)
        return OrientationFromFile(path);
    return orientation;
}

Picture UprightPicture(IWICImagingFactory* factory, Picture picture, int orientation)
{
    if (orientation <= 1 || orientation > 8 || picture.Empty() || !picture.Bits())
        return picture;
    const bool swap = imaging::OrientationSwapsSides(orientation);
    const int width = swap ? picture.Height() : picture.Width();
    const int height = swap ? picture.Width() : picture.Height();
    void* bits = nullptr;
    UniqueHbitmap dib = CreateDib32(width, height, &bits);
    if (!SkipIfFalse(dib && bits, L"make room for the upright picture"))
        return picture;
    GdiFlush();
    auto* const target = static_cast<std::uint8_t*>(bits);
    if (!TurnWithWic(factory, picture, orientation, target, static_cast<UINT>(width), static_cast<UINT>(height))) {
        const imaging::ConstPixels source{picture.Width(), picture.Height(), std::ptrdiff_t{picture.Width()} * 4,
                                          picture.Bits()};
        imaging::TurnUpright(source, orientation, {width, height, std::ptrdiff_t{width} * 4, target});
    }
    return Picture(std::move(dib), width, height, picture.HasAlpha(), picture.Premultiplied());
}

}  // namespace forms
