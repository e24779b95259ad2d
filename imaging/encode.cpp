#include "imaging/encode.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "imaging/tiling.h"

namespace imaging {

using Microsoft::WRL::ComPtr;

namespace {

// Strips of about this size keep memory flat however tall the picture is.
constexpr std::size_t kStripBytes = std::size_t(2) << 20;

struct FormatInfo {
    const GUID* container;
    const GUID* pixels;  // the layout handed to the encoder
    int bytesPerPixel;
};

FormatInfo InfoOf(ImageFormat format)
{
    switch (format) {
    case ImageFormat::Bmp: return {&GUID_ContainerFormatBmp, &GUID_WICPixelFormat24bppBGR, 3};
    case ImageFormat::Jpeg: return {&GUID_ContainerFormatJpeg, &GUID_WICPixelFormat24bppBGR, 3};
    case ImageFormat::Tiff: return {&GUID_ContainerFormatTiff, &GUID_WICPixelFormat32bppBGRA, 4};
    case ImageFormat::Png: break;
    }
    return {&GUID_ContainerFormatPng, &GUID_WICPixelFormat32bppBGRA, 4};
}

HRESULT SetJpegQuality(IPropertyBag2* options)
{
    PROPBAG2 option{};
    option.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_R4;
    value.fltVal = 0.95f;
    return options->Write(1, &option, &value);
}

// Hands one strip to the frame: directly when the encoder took our layout, else through WIC's
// converter into the layout it asked for.
HRESULT WriteStrip(IWICImagingFactory* factory, IWICBitmapFrameEncode* frame, const FormatInfo& info,
                   const WICPixelFormatGUID& wanted, int width, int rows, UINT stride, std::uint8_t* bits)
{
    const UINT bytes = stride * static_cast<UINT>(rows);
    if (IsEqualGUID(wanted, *info.pixels))
        return frame->WritePixels(static_cast<UINT>(rows), stride, bytes, bits);
    ComPtr<IWICBitmap> strip;
    HRESULT hr = factory->CreateBitmapFromMemory(static_cast<UINT>(width), static_cast<UINT>(rows), *info.pixels,
                                                 stride, bytes, bits, &strip);
    ComPtr<IWICFormatConverter> converter;
    if (SUCCEEDED(hr))
        hr = factory->CreateFormatConverter(&converter);
    if (SUCCEEDED(hr))
        hr = converter->Initialize(strip.Get(), wanted, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom);
    if (SUCCEEDED(hr))
        hr = frame->WriteSource(converter.Get(), nullptr);
    return hr;
}

HRESULT Encode(IStream* out, ImageFormat format, ConstPixels tile, int width, int height, std::uint32_t background,
               Repeat repeat, const RowProgress& progress)
{
    const FormatInfo info = InfoOf(format);
    ComPtr<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
    if (FAILED(hr))
        return hr;
    ComPtr<IWICBitmapEncoder> encoder;
    if (FAILED(hr = factory->CreateEncoder(*info.container, nullptr, &encoder)))
        return hr;
    if (FAILED(hr = encoder->Initialize(out, WICBitmapEncoderNoCache)))
        return hr;
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    if (FAILED(hr = encoder->CreateNewFrame(&frame, &options)))
        return hr;
    if (format == ImageFormat::Jpeg && options && FAILED(hr = SetJpegQuality(options.Get())))
        return hr;
    if (FAILED(hr = frame->Initialize(options.Get())))
        return hr;
    if (FAILED(hr = frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))))
        return hr;
    if (FAILED(hr = frame->SetResolution(96.0, 96.0)))
        return hr;
    WICPixelFormatGUID wanted = *info.pixels;
    if (FAILED(hr = frame->SetPixelFormat(&wanted)))
        return hr;

    // 4-byte aligned rows; sides are capped, so strides and strips fit in a UINT.
    const UINT stride = (static_cast<UINT>(width) * info.bytesPerPixel + 3u) & ~3u;
    const int stripRows = static_cast<int>(std::clamp<std::size_t>(kStripBytes / stride, 1, std::size_t(height)));
    std::vector<std::uint8_t> strip(std::size_t(stride) * stripRows);
    for (int y = 0; y < height; y += stripRows) {
        const int rows = std::min(stripRows, height - y);
        if (info.bytesPerPixel == 4)
            TileRows(tile, width, y, rows, {width, rows, static_cast<std::ptrdiff_t>(stride), strip.data()}, repeat);
        else
            TileRowsBgr(tile, width, y, rows, background, strip.data(), stride, repeat);
        if (FAILED(hr = WriteStrip(factory.Get(), frame.Get(), info, wanted, width, rows, stride, strip.data())))
            return hr;
        if (progress && !progress(y + rows, height))
            return E_ABORT;
    }
    if (FAILED(hr = frame->Commit()))
        return hr;
    return encoder->Commit();
}

}  // namespace

HRESULT EncodeTiling(IStream* out, ImageFormat format, ConstPixels tile, int width, int height,
                     std::uint32_t background, Repeat repeat, const RowProgress& progress)
{
    if (!out || tile.Empty() || width < 1 || height < 1 || width > kMaxOutputSide || height > kMaxOutputSide)
        return E_INVALIDARG;
    try {
        return Encode(out, format, tile, width, height, background, repeat, progress);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

std::vector<std::uint8_t> EncodePngToMemory(ConstPixels tile, int width, int height, Repeat repeat)
{
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)))
        return {};
    if (FAILED(EncodeTiling(stream.Get(), ImageFormat::Png, tile, width, height, 0, repeat)))
        return {};
    STATSTG status{};
    HGLOBAL memory = nullptr;
    if (FAILED(stream->Stat(&status, STATFLAG_NONAME)) || FAILED(GetHGlobalFromStream(stream.Get(), &memory)))
        return {};
    const std::size_t size = static_cast<std::size_t>(status.cbSize.QuadPart);
    if (size == 0 || size > GlobalSize(memory))
        return {};
    const void* bytes = GlobalLock(memory);
    if (!bytes)
        return {};
    std::vector<std::uint8_t> png;
    try {
        png.assign(static_cast<const std::uint8_t*>(bytes), static_cast<const std::uint8_t*>(bytes) + size);
    } catch (const std::bad_alloc&) {
        png.clear();
    }
    GlobalUnlock(memory);
    return png;
}

}  // namespace imaging
