#include "helpers.h"

#include <windows.h>
#include <cmath>
#include <wincodec.h>
#include <wrl/client.h>

#include "forms/handles.h"

namespace imagingtest {

using Microsoft::WRL::ComPtr;

imaging::Image32 SampleTile(int width, int height, std::uint32_t seed)
{
    imaging::Image32 tile(width, height);
    for (std::size_t i = 0; i < tile.pixels.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        const std::uint32_t alpha = i % 7 == 3 ? 0x00u : i % 4 == 1 ? 0x80u : 0xFFu;
        tile.pixels[i] = (alpha << 24) | (seed >> 8);
    }
    return tile;
}

namespace {

long long Modulo(long long value, long long period)
{
    return ((value % period) + period) % period;
}

long long Quotient(long long value, long long period)
{
    return (value - Modulo(value, period)) / period;
}

}  // namespace

std::uint32_t RepeatDefinition(const imaging::Image32& tile, imaging::Repeat repeat, long long x, long long y)
{
    const long long w = tile.width;
    const long long h = tile.height;
    const long long i = Quotient(x, w);
    const long long j = Quotient(y, h);
    const auto halfUp = [&repeat](long long side) {
        return static_cast<long long>(std::floor(static_cast<double>(side) / repeat.n + 0.5));
    };
    long long tx = Modulo(x, w);
    long long ty = Modulo(y, h);
    switch (repeat.kind) {
    case imaging::RepeatKind::HalfDrop: ty = Modulo(y - i * halfUp(h), h); break;
    case imaging::RepeatKind::HalfBrick: tx = Modulo(x - j * halfUp(w), w); break;
    case imaging::RepeatKind::Mirror:
        if (i % 2 != 0)
            tx = w - 1 - tx;
        if (j % 2 != 0)
            ty = h - 1 - ty;
        break;
    case imaging::RepeatKind::Block: break;
    }
    return tile.At(static_cast<int>(tx), static_cast<int>(ty));
}

std::optional<imaging::Image32> Decode(const std::string& bytes)
{
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    UINT width = 0;
    UINT height = 0;
    if (bytes.empty() ||
        FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) ||
        FAILED(factory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())),
                                            static_cast<DWORD>(bytes.size()))) ||
        FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&width, &height)) ||
        FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return std::nullopt;
    imaging::Image32 image(static_cast<int>(width), static_cast<int>(height));
    if (FAILED(converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(image.pixels.size() * 4),
                                     reinterpret_cast<BYTE*>(image.pixels.data()))))
        return std::nullopt;
    return image;
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    const forms::UniqueFind find(FindFirstFileW((folder + L"*").c_str(), &data));
    for (bool more = bool(find); more; more = FindNextFileW(find.get(), &data)) {
        if (std::wstring(data.cFileName) != L"." && std::wstring(data.cFileName) != L"..")
            names.push_back(data.cFileName);
    }
    return names;
}

}  // namespace imagingtest
