#include "helpers.h"

#include <windows.h>
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
