#include "forms/picture.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <climits>
#include <cstdint>

namespace forms {

using Microsoft::WRL::ComPtr;

namespace {

// One factory for the process, made on first success and never released, so that nothing
// touches it after CoUninitialize.
IWICImagingFactory* Factory()
{
    static IWICImagingFactory* factory = nullptr;
    if (!factory) {
        ComPtr<IWICImagingFactory> created;
        if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&created))))
            factory = created.Detach();
    }
    return factory;
}

// Decodes into a fresh DIB section; every WIC object is gone (and the file closed) on return.
std::optional<Picture> Decode(const std::wstring& path)
{
    IWICImagingFactory* factory = Factory();
    if (!factory)
        return std::nullopt;

    // Declared first so that it is released last, after the frame and the converter.
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                  &decoder)))
        return std::nullopt;
    UINT frames = 0;
    if (FAILED(decoder->GetFrameCount(&frames)) || frames == 0)
        return std::nullopt;
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, &frame)))
        return std::nullopt;

    UINT width = 0;
    UINT height = 0;
    if (FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0)
        return std::nullopt;
    const std::uint64_t pixels = std::uint64_t{width} * height;
    if (width > 0x7fffffffu || height > 0x7fffffffu || pixels > std::uint64_t(kMaxPicturePixels))
        return std::nullopt;
    const std::uint64_t stride = std::uint64_t{width} * 4;
    const std::uint64_t bytes = stride * height;
    if (stride > UINT_MAX || bytes > UINT_MAX)
        return std::nullopt;

    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(&converter)))
        return std::nullopt;
    // Straight alpha, as the file holds it: the clipboard and saved files give it on unchanged.
    if (FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return std::nullopt;

    void* bits = nullptr;
    UniqueHbitmap dib = CreateDib32(static_cast<int>(width), static_cast<int>(height), &bits);
    if (!dib || !bits)
        return std::nullopt;
    if (FAILED(converter->CopyPixels(nullptr, static_cast<UINT>(stride), static_cast<UINT>(bytes),
                                     static_cast<BYTE*>(bits))))
        return std::nullopt;

    bool hasAlpha = false;
    const auto* pixel = static_cast<const std::uint8_t*>(bits);
    for (std::uint64_t i = 0; i < pixels; ++i) {
        if (pixel[i * 4 + 3] != 255) {
            hasAlpha = true;
            break;
        }
    }
    return Picture(std::move(dib), static_cast<int>(width), static_cast<int>(height), hasAlpha, false);
}

}  // namespace

const std::uint8_t* Picture::Bits() const
{
    DIBSECTION section{};
    if (!bitmap_ || GetObjectW(bitmap_.get(), sizeof(section), &section) != sizeof(section))
        return nullptr;
    return static_cast<const std::uint8_t*>(section.dsBm.bmBits);
}

UniqueHbitmap CreateDib32(int width, int height, void** bits)
{
    if (bits)
        *bits = nullptr;
    if (width <= 0 || height <= 0)
        return UniqueHbitmap();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    UniqueHbitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (bits)
        *bits = bitmap ? pixels : nullptr;
    return bitmap;
}

std::optional<Picture> LoadPicture(const std::wstring& path)
{
    if (path.empty())
        return std::nullopt;
    return Decode(path);
}

}  // namespace forms
