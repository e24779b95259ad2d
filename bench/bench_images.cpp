#include "bench/bench_images.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace bench {

using Microsoft::WRL::ComPtr;

forms::Picture PatternPicture(int width, int height, unsigned seed, bool premultiplied)
{
    void* bits = nullptr;
    forms::UniqueHbitmap dib = forms::CreateDib32(width, height, &bits);
    if (!dib || !bits)
        return forms::Picture();
    auto* pixel = static_cast<std::uint32_t*>(bits);
    std::uint32_t state = seed * 2654435761u + 1u;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    for (std::size_t i = 0; i < count; ++i) {
        state = state * 1664525u + 1013904223u;
        pixel[i] = 0xff000000u | (state >> 8);
    }
    return forms::Picture(std::move(dib), width, height, false, premultiplied);
}

bool WriteJpeg(const std::wstring& path, int width, int height)
{
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))))
        return false;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    if (FAILED(factory->CreateStream(&stream)) || FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &encoder)) ||
        FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(&frame, &options)) || FAILED(frame->Initialize(options.Get())) ||
        FAILED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))))
        return false;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat24bppBGR)
        return false;

    // Smooth shapes with fine grain: the detail of a photographed texture, not of noise.
    constexpr int kStrip = 64;
    const UINT stride = static_cast<UINT>(width) * 3;
    std::vector<BYTE> strip(static_cast<std::size_t>(stride) * kStrip);
    std::uint32_t grain = 7;
    for (int top = 0; top < height; top += kStrip) {
        const int rows = top + kStrip <= height ? kStrip : height - top;
        for (int row = 0; row < rows; ++row) {
            const int y = top + row;
            BYTE* line = strip.data() + static_cast<std::size_t>(row) * stride;
            for (int x = 0; x < width; ++x) {
                grain = grain * 1664525u + 1013904223u;
                const int noise = static_cast<int>((grain >> 24) & 15) - 8;
                const int r = ((x * 255) / width + noise) & 0xff;
                const int g = ((y * 255) / height + ((x ^ y) & 31) + noise) & 0xff;
                const int b = (((x + y) * 127) / (width + height) + 64 + noise) & 0xff;
                line[x * 3] = static_cast<BYTE>(b);
                line[x * 3 + 1] = static_cast<BYTE>(g);
                line[x * 3 + 2] = static_cast<BYTE>(r);
            }
        }
        if (FAILED(frame->WritePixels(static_cast<UINT>(rows), stride, stride * static_cast<UINT>(rows), strip.data())))
            return false;
    }
    return SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

Canvas::Canvas(int width, int height)
{
    // Touched once, so the reference copy does not pay for first use of the memory.
    if (pixels_.Make(width, height))
        std::memset(pixels_.Bits(), 0x5a, static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
}

}  // namespace bench
